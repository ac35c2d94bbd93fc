// Degree elevation and reduction of clamped B-spline and NURBS curves,
// through matrices: the curve is split into its Bezier pieces by knot
// insertion, the pieces are elevated with the Bernstein formula, and the
// way back to one spline is a least-squares fit (exact for elevation, the
// continuous L2 approximation for reduction). Rational curves are handled
// in homogeneous coordinates (w P, w).
//
// Matrix entries, insertion coefficients and the running sums of products
// and of mapped points are single precision, each term evaluated in double
// and rounded into its sum (as MatMul does); only the new control points of
// an elevation are summed in double.
//
// The builders fill the given matrix (rows of 100 floats, 0-based) and
// return its row count, or -1, with the matrix of no use, when a size would
// leave the 100 by 100 storage or the knots do not fit the operation.
#pragma once

#include <string>

#include "base/outcome.h"
#include "base/platform.h"
#include "numeric/matrix.h"

namespace tambra {

// One Boehm insertion of value u at position r of `knots` (degree p),
// applied to the rows of `a`: rows 0 .. lastRow-1 exist before, 0 .. lastRow
// after; columns 0 .. lastCol. Row i = r-p .. r-1 becomes (1 - alpha) row
// i-1 + alpha row i with alpha = (u - knots[i]) / (knots[i+p] - knots[i]),
// and the rows from r on move down by one. `knots` is not changed. r may be
// the last copy of a value already present (alpha is then 1 at r-p and 0 at
// the copies) or one past the last knot below a new value. Does nothing
// when an index would leave the storage.
void InsertKnotRows(Matrix& a, const float* knots, int r, float u, int lastCol, int lastRow, int p);

// The matrix whose row j holds the weights of the control points in Bezier
// point j, for the first knotCount knots of a clamped vector of `order`
// whose interior multiplicities are at most order - 1: pS + 1 rows for S
// pieces, knotCount - order columns.
int BuildSplineToBezierMatrix(Matrix& a, const float* knots, int knotCount, int order);

// The elevation by `step` of S Bernstein pieces of degree order - 1 sharing
// end points: (p + step)S + 1 rows, pS + 1 columns. Entry (i, j) of one piece
// is C(p, j) C(t, i - j) / C(p + t, i).
int BuildPiecewiseElevationMatrix(Matrix& e, int order, int step, int pieces);

// The knot vector of the elevated curve (every distinct value `step` more
// times, then a terminating entry) into newKnots (room for kMaxKnots) and
// its used length into *newKnotCount; `b` gets the least-squares map (A^T
// A)^-1 A^T from the elevated Bezier points to the new control points.
// Returns the new point count. Uses the scratch's matrices A and B.
int BuildBezierToSplineMatrix(Matrix& b, const float* knots, int knotCount, int order, int step,
                              float* newKnots, int* newKnotCount, NumericScratch& scratch);

// The Gram matrix of S Bernstein pieces of degree order - 1 joined at shared
// end points, each on a unit interval: pS + 1 rows and columns. Returns the
// size, or -1.
int BuildBernsteinGramMatrix(Matrix& g, int order, int pieces);

// The menu commands (B-spline and NURBS > Degree elevation, > Degree
// reduction). Elevation raises the degree by degreeStep and draws the
// result in blue (B-spline weights first set to 1; with the Chaikin value 0
// the Bezier points before and after are marked). Reduction lowers the
// degree and every knot multiplicity by degreeStep, writes "matrix.dat" and
// draws the result in red, measuring its "error sum". Both keep it only
// with Save on. A curve that does not fit (not clamped, too low an order, a
// knot repeated too few or too many times, a result beyond the storage, a
// zero or non-finite weight or result) is refused with the reason.
Outcome SplineDegreeElevation(const CommandInput& input);
Outcome SplineDegreeReduction(const CommandInput& input);

// Shared by the spline commands: why the curve cannot take the command
// `name` ("" when it can): its knots must be a clamped vector of count +
// order entries followed by a smaller terminating entry and its order at
// least minOrder; with bezierSplit, no interior value may be repeated more
// than order - 1 times.
std::string CurveKnotsRefusal(const ModelState& m, const std::string& name, int minOrder,
                              bool bezierSplit);
// The used knot count of such a curve, -1 when it cannot take the command.
int UsableCurveKnots(const ModelState& m, int minOrder, bool bezierSplit);

// The terminating entry written after a last knot: 0, or a value below the
// last knot when that is not positive. Not finite when there is none.
float TerminatingKnot(float last);

}  // namespace tambra
