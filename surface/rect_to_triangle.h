// Rectangular to triangular conversion: the triangular Bezier patch of
// degree p + q that reproduces the half of a rectangular patch of bidegree
// (p, q) cut off by a diagonal of its parameter square.
#pragma once

#include "base/platform.h"

namespace tambra {

// The corner of the net left out, as the Control Data table shows it.
enum TriangleCorner : int { kCornerSE = 0, kCornerNW = 1, kCornerSW = 2, kCornerNE = 3 };

// Turns the rectangular net so that the corner left out becomes R[p][q],
// converts it and draws the triangular net in blue; the model keeps it (N = M
// = p + q + 1, triangles set, the packed list) only while Save is checked.
// The triangular patch at (u, v) is the patch of R at (u, 1 - u - v).
// Does nothing on a triangular or empty net, for a corner outside 0..3, when
// the result would have more rows than a triangular net may, or when a new
// point is not finite.
void RectToTriangular(Platform& window, int corner);

// Bezier > Rec. to triangular > S.E., N.W., S.W. and N.E.
void TriangularSECommand(Platform& window);
void TriangularNWCommand(Platform& window);
void TriangularSWCommand(Platform& window);
void TriangularNECommand(Platform& window);

}  // namespace tambra
