// Rectangular to triangular conversion: the triangular Bezier patch of
// degree p + q that reproduces the half of a rectangular patch of bidegree
// (p, q) cut off by a diagonal of its parameter square.
#pragma once

#include <string>

#include "base/outcome.h"

namespace tambra {

// The corner of the net left out, as the Control Data table shows it.
enum TriangleCorner : int { kCornerSE = 0, kCornerNW = 1, kCornerSW = 2, kCornerNE = 3 };

// Turns the rectangular net so that the corner left out becomes R[p][q] and
// converts it: N = M = p + q + 1, triangles set, the packed list. The
// triangular patch at (u, v) is the patch of R at (u, 1 - u - v). Returns
// why it did nothing (the surface unchanged): a triangular or empty net, a
// corner outside 0..3, a result with more rows than a triangular net may
// have, or a new point that is not finite; "" when done.
std::string RectToTriangular(SurfaceCopy& surface, int corner);

// Bezier > Rec. to triangular > S.E., N.W., S.W. and N.E.: the triangular
// net drawn in blue, kept in the model only while Save is checked.
Outcome TriangularSECommand(const CommandInput& input);
Outcome TriangularNWCommand(const CommandInput& input);
Outcome TriangularSWCommand(const CommandInput& input);
Outcome TriangularNECommand(const CommandInput& input);

}  // namespace tambra
