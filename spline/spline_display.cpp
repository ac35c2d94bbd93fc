#include "spline/spline_display.h"

#include <algorithm>
#include <utility>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_polyline.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "numeric/knot_vector.h"
#include "spline/spline_evaluation.h"

namespace tambra {

namespace {

// What the B-spline and NURBS displays keep in the window between drawings
// (one curve for both: the key tells them apart).
struct SplineCurveCache {
  KeptPolyline kept;
  SplineBasisTable table;
};

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

  // The curve is a function of these fields alone (a valid vector draws
  // the window of each sample, any other one every function).
  const bool windowed = knots == kKnotsValid;
  SplineCurveCache& cache = window.Displays().Get<SplineCurveCache>();
  PolylineKey key;
  key.Add(segments), key.Add(section.rational), key.Add(k);
  key.Add(m.points, n);
  key.Add(m.knots, n + k);
  if (section.rational) key.Add(m.weights, n);
  const CurveSamples& samples = cache.kept.Get(std::move(key), [&](CurveSamples& out) {
    SplineCurveSamples(m.points, m.weights, m.knots, n, k, windowed, section.rational, segments,
                       out, cache.table);
  });
  DrawCurvePolyline(window, CurvePolyline{mode, segments, section.end, false}, m.points[0],
                    m.points[n - 1], samples);
}

}  // namespace

void DrawBSplineCurve(Platform& window, int mode) {
  DrawSplineCurve(window, mode, SplineSection{false, "# End Data \r\n\r\n"});
}

void DrawNurbsCurve(Platform& window, int mode) {
  DrawSplineCurve(window, mode, SplineSection{true, "# End Data\r\n\r\n"});
}

}  // namespace tambra
