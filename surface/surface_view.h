// The surface view: the control net as a perspective wireframe.
#pragma once

#include <span>

#include "base/model_state.h"
#include "base/platform.h"

namespace tambra {

// A projected point in window pixels; `visible` is false for a point at or
// behind the eye, or one the projection cannot place (scale 0, a value that
// is not finite). Segments touching an invisible point are not drawn.
struct ScreenPoint {
  int x;
  int y;
  bool visible;
};

// Projects the model point (x, y, z) with the view's angles, scale and
// translation: the eye 30 units from the origin, focal factor 420 / scale,
// window y downwards.
ScreenPoint ProjectPoint(float x, float y, float z);

// The current net in the DrawMode: a grid of rows and columns, or the
// triangles of a triangular net. An empty net draws nothing. What the net
// functions draw has the control net's role; what DrawPointGrid and
// DrawPointTriangle draw on their own has the surface's (unless the caller
// named another role).
void DrawControlNet(Platform& window, int mode);
// A grid of model points drawn as DrawRectNet draws the net: row i starts
// at points[i * stride].
void DrawPointGrid(Platform& window, int mode, const Point3* points, int stride, int rows,
                   int cols);
// A triangle of `rows` rows packed row by row (row r holds r + 1 points),
// drawn as DrawTriangleNet draws a triangular net; a list too short for
// the rows draws nothing.
void DrawPointTriangle(Platform& window, int mode, std::span<const Point3> packed, int rows);
void DrawRectNet(Platform& window, int mode);
void DrawTriangleNet(Platform& window, int mode);

}  // namespace tambra
