// Knot insertion (Boehm, on homogeneous coordinates, so the curve stays
// exactly where it was) and knot deletion (least squares on the homogeneous
// points the removed knot affected), on the curve fields.
#pragma once

#include "base/platform.h"

namespace tambra {

// Inserts insertKnot into the knot vector. A B-spline (curveKind 3) first
// has its weights set to 1. Does nothing more when the value lies outside
// the span of the curve's knots, the curve would pass its capacity (100
// points, 99 knots), a weight it divides by is 0 or a result is not finite.
void InsertKnot();

// Removes the last copy of the knot equal to insertKnot and refits the
// affected points and weights. A B-spline first has its weights set to 1.
// Does nothing more when no knot equals the value, it is one of the first
// `order` knots, or the fit is singular or not finite.
void DeleteKnot();

// The menu commands: the operation under the snapshot protocol, its result
// drawn as a NURBS curve in blue (insertion) or red (deletion).
void KnotInsertCommand(Platform& window);
void KnotDeleteCommand(Platform& window);

}  // namespace tambra
