// Bezier and rational Bezier surface patches: the tensor-product patch of a
// rectangular net and the triangular patch of a triangular net, sampled on
// the grid and drawn through the surface view. The model is only read.
#pragma once

#include <span>

#include "base/model_state.h"
#include "base/platform.h"

namespace tambra {

// The largest grid a patch is sampled on: (G + 1) by (G + 1) samples fit
// the net's 100 by 100 shape.
inline constexpr int kMaxPatchGrid = kMaxNet - 1;

// The surface at (u, v) from the net as it stands (N, M, net, netWeights).
// Sums are in double, each coordinate is rounded once to float; a point that
// is not finite in float (weights summing to 0, an overflow) comes out NaN. A triangular net keeps
// row a's points in net[a][0 .. a]; point (a, b) has the exponents
// u^(n-a) v^(a-b) w^b, n = N - 1, w = 1 - u - v.
Point3 EvalBezierRectPoint(double u, double v);
Point3 EvalRationalRectPoint(double u, double v);
Point3 EvalBezierTrianglePoint(double u, double v);
Point3 EvalRationalTrianglePoint(double u, double v);

// The values the patch samples share, formed afresh by every call below
// (nothing in them is read before it is written): the Bernstein values of
// the columns at every grid value, and the trinomial of every point of a
// triangular net.
struct PatchTables {
  double basisV[kMaxNet][kMaxNet + 1];                    // [b][j]: Bernstein(M, b, j / G)
  double trinomials[kMaxTriangleRows][kMaxTriangleRows];  // [a][b]
};

// The samples the displays draw, with the same bits as the evaluators
// above. Rectangular: (G + 1) by (G + 1), sample [i][j] at (i / G, j / G)
// stored at i * (G + 1) + j. Triangular: G + 1 rows packed row by row,
// sample [i][b] at ((G - i) / G, b / G). A sample that is not finite is
// stored as NaN (drawn as a gap). Returns the sample count, or 0 when the
// grid or the net is refused or `samples` is too short.
int SampleRectPatch(bool rational, int grid, std::span<Point3> samples, PatchTables& tables);
int SampleTrianglePatch(bool rational, int grid, std::span<Point3> samples, PatchTables& tables);

// Bezier > Bezier and RBezier > Rational Bezier in Surfaces mode: the
// control net in black, then the patch in the mode's colour, both logged
// while the log is open.
void DrawBezierSurface(Platform& window, int mode);
void DrawRationalBezierSurface(Platform& window, int mode);

}  // namespace tambra
