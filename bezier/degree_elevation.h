#pragma once

#include "base/outcome.h"

namespace tambra {

// Largest degree step of one elevation, and the bound on the elevated size.
inline constexpr int kMaxElevationStep = 40;
inline constexpr int kMaxElevatedPoints = 99;

// The Bezier curve of n points rewritten as the same curve with n +
// degreeStep points, drawn in blue and kept in the model only while Save is
// checked. Refused when n is 0, degreeStep is negative or above 40, or n +
// degreeStep is 100 or more.
Outcome BezierDegreeElevation(const CommandInput& input);

}  // namespace tambra
