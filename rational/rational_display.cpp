#include "rational/rational_display.h"

#include <algorithm>
#include <utility>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_polyline.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "rational/rational_evaluation.h"

namespace tambra {

namespace {

// What the rational Bezier display keeps in the window between drawings.
struct RationalCurveCache {
  KeptPolyline kept;
  RationalBasisTable table;
};

// "# Weight vector : " and every weight "%5.2f", comma-separated, on one line.
void LogWeights(const float* weights, int count) {
  LogText("# Weight vector : ");
  for (int j = 0; j < count; ++j) {
    LogFormat(j + 1 < count ? "%5.2f, " : "%5.2f\r\n", static_cast<double>(weights[j]));
  }
}

}  // namespace

void DrawRationalBezierCurve(Platform& window, int mode) {
  ModelState& m = Model();
  const int n = std::min(m.pointCount, kMaxPoints);
  if (n < 3) return;
  const bool logging = m.logActive == 1;
  if (logging) {
    LogFormat("\r\n\r\n# In Rational Bezier curve, control point count:=%d\r\n", n);
    LogWeights(m.weights, n);
  }
  DrawPolygon(window, m.points, 0, n, mode);
  const int segments = CurveSegments();
  if (logging) LogFormat("\r\n\r\n# In Rational Bezier curve, data point count:=%d\r\n", segments);

  // The curve is a function of the points, the weights and the segment
  // count alone.
  RationalCurveCache& cache = window.Displays().Get<RationalCurveCache>();
  PolylineKey key;
  key.Add(segments);
  key.Add(m.points, n);
  key.Add(m.weights, n);
  const CurveSamples& samples = cache.kept.Get(std::move(key), [&](CurveSamples& out) {
    RationalCurveSamples(m.points, m.weights, n, segments, out, cache.table);
  });
  const CurvePolyline line{mode, segments, "# End Data\r\n\r\n", m.chaikinSteps == 0};
  DrawCurvePolyline(window, line, m.points[0], m.points[n - 1], samples);
}

}  // namespace tambra
