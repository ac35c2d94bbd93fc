#pragma once

#include "base/canvas.h"
#include "base/platform.h"

namespace tambra {

// Draws the control polygon and the Bezier curve of the current points in
// the given DrawMode, and writes the curve's log section while the log is
// active. Polygons of fewer than 3 points draw and log nothing.
void DrawBezierCurve(Platform& window, int mode);

}  // namespace tambra
