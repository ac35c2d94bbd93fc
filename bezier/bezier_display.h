#pragma once

#include "base/platform.h"

namespace tambra {

// The most line segments a curve display draws, whatever `grid` says: a
// larger grid only adds sub-pixel segments and would make a drag or a
// command take seconds or hang.
inline constexpr int kMaxCurveSegments = 4096;

// The number of segments the curve displays draw for the current grid.
int CurveSegments();

// Draws the control polygon and the Bezier curve of the current points in
// the given DrawMode, and writes the curve's log section while the log is
// active. Polygons of fewer than 3 points draw and log nothing.
void DrawBezierCurve(Platform& window, int mode);

}  // namespace tambra
