#include "bezier/bezier_display.h"

#include <algorithm>
#include <utility>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_polyline.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "bezier/bezier_evaluation.h"

namespace tambra {

namespace {

// What the Bezier display keeps in the window between drawings.
struct BezierCurveCache {
  KeptPolyline kept;
};

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

  // The curve is a function of the points and the segment count alone.
  KeptPolyline& kept = window.Displays().Get<BezierCurveCache>().kept;
  PolylineKey key;
  key.Add(segments);
  key.Add(m.points, n);
  const CurveSamples& samples = kept.Get(
      std::move(key), [&](CurveSamples& out) { BezierCurveSamples(m.points, n, segments, out); });
  DrawCurvePolyline(window, CurvePolyline{mode, segments, "# End Data\r\n\r\n", false}, m.points[0],
                    m.points[n - 1], samples);
}

}  // namespace tambra
