// The rational Bezier curve of the polygon and its weights.
#pragma once

#include "base/platform.h"

namespace tambra {

// Draws the control polygon and the rational Bezier curve of the current
// points and weights in the given DrawMode, and writes the curve's log
// section (with the weight line) while the log is active. Polygons of fewer
// than 3 points draw and log nothing. A sample whose weight sum is 0, or
// whose quotient is not finite, is skipped: the polyline still starts at the
// first and ends at the last control point.
void DrawRationalBezierCurve(Platform& window, int mode);

}  // namespace tambra
