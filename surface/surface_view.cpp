#include "surface/surface_view.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/canvas.h"

namespace tambra {

namespace {

// What the surface view keeps in the window between drawings: the
// projections of the points being drawn, grown to the largest grid or
// triangle drawn so far.
struct SurfaceViewCache {
  std::vector<ScreenPoint> projected;
};

std::vector<ScreenPoint>& Projected(Platform& window, std::size_t count) {
  std::vector<ScreenPoint>& projected = window.Displays().Get<SurfaceViewCache>().projected;
  if (projected.size() < count) projected.resize(count);
  return projected;
}

// A segment between two projected points, drawn only when both are visible.
void Segment(Raster& dc, const ScreenPoint& from, const ScreenPoint& to) {
  if (!from.visible || !to.visible) return;
  dc.MoveTo(from.x, from.y);
  dc.LineTo(to.x, to.y);
}

}  // namespace

ScreenPoint ProjectPoint(float x, float y, float z) {
  const ModelState& m = Model();
  const float pi = 3.141593f;
  const float a = static_cast<float>(double(m.tht) * pi / 180.0);
  const float b = static_cast<float>(double(m.phi) * pi / 180.0);
  const float sa = static_cast<float>(std::sin(double(a))),
              ca = static_cast<float>(std::cos(double(a)));
  const float sb = static_cast<float>(std::sin(double(b))),
              cb = static_cast<float>(std::cos(double(b)));
  const float xe = static_cast<float>(-double(x) * sa + double(y) * ca);
  const float ye = static_cast<float>(-double(x) * ca * cb - double(y) * sa * cb + double(z) * sb);
  const float ze =
      static_cast<float>(-double(x) * sb * ca - double(y) * sb * sa - double(z) * cb + 30.0);
  // A point at or behind the eye has no place in the picture.
  if (!(ze > 0.0f) || m.scale == 0.0f) return ScreenPoint{0, 0, false};
  const double focal = 420.0 / m.scale;
  const float px = static_cast<float>(focal * (double(xe) / ze));
  const float py = static_cast<float>(focal * (double(ye) / ze));
  const double sx = double(px) + m.tx;
  const double sy = double(TruncateToPixel(m.ty)) - py;
  if (!std::isfinite(sx) || !std::isfinite(sy)) return ScreenPoint{0, 0, false};
  return ScreenPoint{TruncateToPixel(sx), TruncateToPixel(sy), true};
}

void DrawPointGrid(Platform& window, int mode, const Point3* points, int stride, int rows,
                   int cols) {
  if (rows <= 0 || cols <= 0) return;
  std::vector<ScreenPoint>& projected = Projected(window, static_cast<std::size_t>(rows) * cols);
  auto s = [&](int i, int j) -> ScreenPoint& { return projected[i * cols + j]; };
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      const Point3& p = points[i * stride + j];
      s(i, j) = ProjectPoint(p.x, p.y, p.z);
    }
  }
  Raster& dc = window.Canvas();
  const DrawRoleScope role(dc, DrawRole::kSurface);
  const Rgb previous = SelectModePen(dc, mode);
  // Every segment between neighbours once: down each column and along each
  // row, then the last column's piece of the row, then the last row.
  for (int i = 0; i + 1 < rows; ++i) {
    for (int j = 0; j + 1 < cols; ++j) {
      Segment(dc, s(i + 1, j), s(i, j));
      Segment(dc, s(i, j), s(i, j + 1));
    }
    Segment(dc, s(i, cols - 1), s(i + 1, cols - 1));
  }
  for (int j = 0; j + 1 < cols; ++j) Segment(dc, s(rows - 1, j), s(rows - 1, j + 1));
  dc.SelectPen(previous);
}

void DrawPointTriangle(Platform& window, int mode, std::span<const Point3> packed, int rows) {
  if (rows <= 0) return;
  const std::size_t count = static_cast<std::size_t>(rows) * (rows + 1) / 2;
  if (packed.size() < count) return;
  std::vector<ScreenPoint>& s = Projected(window, count);
  for (std::size_t k = 0; k < count; ++k) s[k] = ProjectPoint(packed[k].x, packed[k].y, packed[k].z);
  Raster& dc = window.Canvas();
  const DrawRoleScope role(dc, DrawRole::kSurface);
  const Rgb previous = SelectModePen(dc, mode);
  // Each point with the two below it: (r, c), (r + 1, c), (r + 1, c + 1).
  std::size_t k = 0;
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c <= r; ++c, ++k) {
      Segment(dc, s[k], s[k + r + 1]);
      Segment(dc, s[k + r + 1], s[k + r + 2]);
      Segment(dc, s[k + r + 2], s[k]);
    }
  }
  dc.SelectPen(previous);
}

void DrawRectNet(Platform& window, int mode) {
  const DrawRoleScope role(window.Canvas(), DrawRole::kControlNet);
  const ModelState& m = Model();
  const int rows = std::min(m.netRows, kMaxNet), cols = std::min(m.netCols, kMaxNet);
  DrawPointGrid(window, mode, &m.net[0][0], kMaxNet, rows, cols);
}

void DrawTriangleNet(Platform& window, int mode) {
  const DrawRoleScope role(window.Canvas(), DrawRole::kControlNet);
  const ModelState& m = Model();
  if (m.netRows > kMaxTriangleRows || m.netCols <= 0) return;
  DrawPointTriangle(window, mode, m.triangleList, m.netRows);
}

void DrawControlNet(Platform& window, int mode) {
  const ModelState& m = Model();
  if (m.netRows <= 0 || m.netCols <= 0) return;
  if (m.triangles == 1) {
    DrawTriangleNet(window, mode);
  } else {
    DrawRectNet(window, mode);
  }
}

}  // namespace tambra
