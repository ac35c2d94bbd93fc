// The six Bezier degree reductions. Each hands back its reduced polygon,
// drawn in red over the picture and kept in the model only while Save is
// checked, or, when it cannot run (too few points, a system that is singular
// or too large, a result that is not finite), why.
#pragma once

#include "base/outcome.h"

namespace tambra {

// Least squares: the reduced polygon of n - degreeStep points whose
// elevation is closest to the current one. Needs 3 new points.
Outcome LseDegreeReduction(const CommandInput& input);
// The same with both end points kept. Needs 3 new points.
Outcome LseC0DegreeReduction(const CommandInput& input);
// Also keeps the directions of the end tangents. Needs 4 new points.
Outcome LseC1DegreeReduction(const CommandInput& input);
// Also keeps the directions of the second differences at both ends. Needs 6
// new points.
Outcome LseC2DegreeReduction(const CommandInput& input);
// One degree down: removes the leading power-basis term, then least squares
// with step 1. Needs 4 points; degreeStep is left as it was.
Outcome SimpleDegreeReduction(const CommandInput& input);
// One degree down by Eck's blend of the forward and backward recursions.
// Needs 3 points.
Outcome EckDegreeReduction(const CommandInput& input);

}  // namespace tambra
