// Knot insertion (Boehm, on homogeneous coordinates, so the curve stays
// exactly where it was) and knot deletion (least squares on the homogeneous
// points the removed knot affected), on the curve fields.
#pragma once

#include <string>

#include "base/outcome.h"
#include "numeric/matrix.h"

namespace tambra {

// Inserts u into the curve's knot vector. Returns why it did nothing (the
// curve unchanged): u lies outside the span of the curve's knots, the curve
// would pass its capacity (100 points, 99 knots), a weight it divides by is
// 0 or a result is not finite; "" when done.
std::string InsertKnot(CurveCopy& curve, float u);

// Removes the last copy of the knot equal to u and refits the affected
// points and weights. Returns why it did nothing (the curve unchanged): no
// knot equals the value, it is one of the first `order` knots, or the fit is
// singular or not finite; "" when done. Uses the scratch's matrices A, B, E.
std::string DeleteKnot(CurveCopy& curve, float u, NumericScratch& scratch);

// The menu commands on the Knot to insert: a B-spline first takes weights 1;
// the curve is drawn as a NURBS curve in blue (insertion) or red (deletion),
// also when the operation refused (unchanged, and the status says why).
Outcome KnotInsertCommand(const CommandInput& input);
Outcome KnotDeleteCommand(const CommandInput& input);

}  // namespace tambra
