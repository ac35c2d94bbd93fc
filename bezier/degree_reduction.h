// The six Bezier degree reductions. Each draws its reduced polygon and curve
// in red over the picture; the model keeps the result only while Save is
// checked. A reduction that cannot run (too few points, a system that is
// singular or too large, a result that is not finite) does nothing.
#pragma once

#include "base/platform.h"

namespace tambra {

// Least squares: the reduced polygon of n - degreeStep points whose
// elevation is closest to the current one. Needs 3 new points.
void LseDegreeReduction(Platform& window);
// The same with both end points kept. Needs 3 new points.
void LseC0DegreeReduction(Platform& window);
// Also keeps the directions of the end tangents. Needs 4 new points.
void LseC1DegreeReduction(Platform& window);
// Also keeps the directions of the second differences at both ends. Needs 6
// new points.
void LseC2DegreeReduction(Platform& window);
// One degree down: removes the leading power-basis term, then least squares
// with step 1. Needs 4 points; degreeStep is left as it was.
void SimpleDegreeReduction(Platform& window);
// One degree down by Eck's blend of the forward and backward recursions.
// Needs 3 points.
void EckDegreeReduction(Platform& window);

}  // namespace tambra
