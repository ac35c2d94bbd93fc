// The B-spline and NURBS curves of the polygon, its order, knots and (for
// NURBS) weights.
#pragma once

#include "base/platform.h"

namespace tambra {

// Draws the control polygon and the B-spline curve in the given DrawMode
// and writes its log section (with the knot line) while the log is active.
// Polygons of fewer than 3 points draw and log nothing. An order below 1,
// n + k beyond the knot storage or a knot that is not finite: only the
// polygon is drawn, and nothing is logged.
void DrawBSplineCurve(Platform& window, int mode);

// The same for the rational curve with the weights, with the NURBS log
// section (weight line, order). A sample whose weighted basis sum is 0 or
// not finite is skipped.
void DrawNurbsCurve(Platform& window, int mode);

}  // namespace tambra
