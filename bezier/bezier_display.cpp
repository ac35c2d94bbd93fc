#include "bezier/bezier_display.h"

#include <algorithm>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_polyline.h"
#include "base/model_state.h"
#include "base/output_log.h"

namespace tambra {

namespace {

// One de Casteljau pass at t over a fresh copy of the control points, x and
// y kept apart so the inner loop vectorises; every intermediate value is
// stored in single precision.
Point2 EvaluateBezier(const Point2* points, int count, float t, float* xs, float* ys) {
  for (int j = 0; j < count; ++j) {
    xs[j] = points[j].x;
    ys[j] = points[j].y;
  }
  const double s = 1.0 - static_cast<double>(t);
  const double u = static_cast<double>(t);
  for (int level = 1; level < count; ++level) {
    for (int j = 0; j < count - level; ++j) {
      xs[j] = static_cast<float>(s * xs[j] + u * xs[j + 1]);
      ys[j] = static_cast<float>(s * ys[j] + u * ys[j + 1]);
    }
  }
  return Point2{xs[0], ys[0]};
}

}  // namespace

void DrawBezierCurve(Platform& window, int mode) {
  ModelState& m = Model();
  const int n = std::min(m.pointCount, kMaxPoints);
  if (n < 3) return;
  const bool logging = m.logActive == 1;
  if (logging) LogFormat("\r\n\r\n# In Bezier curve, control point count:=%d\r\n", n);
  DrawPolygon(window, m.points, 0, n, mode);
  const int segments = CurveSegments();
  if (logging) LogFormat("\r\n\r\n# In Bezier curve, data point count:=%d\r\n", segments);

  float xs[kMaxPoints];
  float ys[kMaxPoints];
  DrawCurvePolyline(window, CurvePolyline{mode, segments, "# End Data\r\n\r\n", false}, m.points[0],
                    m.points[n - 1], [&](int i, Point2& q) {
                      const float t = static_cast<float>(static_cast<double>(i) / segments);
                      q = EvaluateBezier(m.points, n, t, xs, ys);
                      return true;
                    });
}

}  // namespace tambra
