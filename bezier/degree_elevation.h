#pragma once

#include "base/platform.h"

namespace tambra {

// Largest degree step of one elevation, and the bound on the elevated size.
inline constexpr int kMaxElevationStep = 40;
inline constexpr int kMaxElevatedPoints = 99;

// Rewrites the Bezier curve of n points as the same curve with n +
// degreeStep points and draws it in blue; the model keeps the result only
// while Save is checked. Does nothing when n is 0, degreeStep is negative or
// above 40, or n + degreeStep is 100 or more.
void BezierDegreeElevation(Platform& window);

}  // namespace tambra
