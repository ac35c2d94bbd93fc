#include "spline/spline_display.h"

#include <algorithm>
#include <cmath>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_polyline.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "numeric/bspline_basis.h"
#include "numeric/knot_vector.h"

namespace tambra {

namespace {

// Each value "%5.2f, "; the last with `lastFormat`.
void LogValues(const float* values, int count, const char* lastFormat) {
  for (int i = 0; i < count; ++i) {
    LogFormat(i + 1 < count ? "%5.2f, " : lastFormat, static_cast<double>(values[i]));
  }
}

// The section texts of the two displays.
struct SplineSection {
  bool rational;
  const char* end;
};

// The curve point at t: the basis sum of the points (weighted and divided
// by the weighted sum when rational), in double, in increasing index. The
// nonzero basis values of t come at once; the terms outside them are exact
// zeros that change no bit of the sums. A knot vector that decreases
// somewhere has no such window: there every function is evaluated.
bool EvaluateSpline(const ModelState& m, int n, int k, bool windowed, bool rational, double t,
                    Point2& out) {
  double basis[kMaxSplineOrder];
  int first = 0, count = n;
  if (windowed) {
    first = BSplineBasisValues(m.knots, n, k, t, basis);
    if (first < 0) return false;
    count = std::min(k, n - first);
  } else {
    for (int i = 0; i < n; ++i) basis[i] = BSplineBasis(m.knots, n, i, k, t);
  }
  double x = 0.0, y = 0.0, w = 0.0;
  for (int r = 0; r < count; ++r) {
    const int i = first + r;
    const double b = basis[r];
    if (rational) {
      x += m.points[i].x * b * m.weights[i];
      y += m.points[i].y * b * m.weights[i];
      w += m.weights[i] * b;
    } else {
      x += m.points[i].x * b;
      y += m.points[i].y * b;
    }
  }
  if (rational) {
    if (w == 0.0) return false;
    x /= w;
    y /= w;
  }
  out = Point2{static_cast<float>(x), static_cast<float>(y)};
  return std::isfinite(x) && std::isfinite(y) && std::isfinite(out.x) && std::isfinite(out.y);
}

void DrawSplineCurve(Platform& window, int mode, const SplineSection& section) {
  ModelState& m = Model();
  const int n = std::min(m.pointCount, kMaxPoints);
  const int k = m.order;
  if (n < 3) return;
  const KnotVectorStatus knots = CheckKnotVector(m.knots, n, k);
  if (knots == kKnotsRefused) {
    LogSuspension suspended;
    DrawPolygon(window, m.points, 0, n, mode);
    return;
  }
  const bool logging = m.logActive == 1;
  if (logging) {
    if (section.rational) {
      LogFormat("\r\n\r\n# In NURBS curve, control point count:=%d, order:=%d\r\n", n, k);
      LogText("# Weight vector : ");
      LogValues(m.weights, n, "%5.2f, ");
    } else {
      LogFormat("\r\n\r\n# In Bspline curve, control point count=%d\r\n", n);
    }
    LogText("\r\n# Knots vector : ");
    LogValues(m.knots, n + k, "%5.2f\r\n");
  }
  DrawPolygon(window, m.points, 0, n, mode);
  const int segments = CurveSegments();
  if (logging) {
    LogFormat(section.rational ? "\r\n\r\n# In NURBS curve, data point count:=%d\r\n"
                               : "\r\n\r\n# In Bspline curve, data point count=%d\r\n",
              segments);
  }

  const double a = m.knots[k - 1], b = m.knots[n];
  const bool windowed = knots == kKnotsValid;
  DrawCurvePolyline(window, CurvePolyline{mode, segments, section.end, false}, m.points[0],
                    m.points[n - 1], [&](int j, Point2& q) {
                      const double t = a + j * (b - a) / segments;
                      return EvaluateSpline(m, n, k, windowed, section.rational, t, q);
                    });
}

}  // namespace

void DrawBSplineCurve(Platform& window, int mode) {
  DrawSplineCurve(window, mode, SplineSection{false, "# End Data \r\n\r\n"});
}

void DrawNurbsCurve(Platform& window, int mode) {
  DrawSplineCurve(window, mode, SplineSection{true, "# End Data\r\n\r\n"});
}

}  // namespace tambra
