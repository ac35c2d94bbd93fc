#include "rational/rational_display.h"

#include <algorithm>
#include <cmath>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_polyline.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "numeric/coefficients.h"

namespace tambra {

namespace {

// "# Weight vector : " and every weight "%5.2f", comma-separated, on one line.
void LogWeights(const float* weights, int count) {
  LogText("# Weight vector : ");
  for (int j = 0; j < count; ++j) {
    LogFormat(j + 1 < count ? "%5.2f, " : "%5.2f\r\n", static_cast<double>(weights[j]));
  }
}

// The weighted Bernstein sum over the weight sum at t; false when the
// weight sum is 0 or the quotient is not finite. Sums are kept in single
// precision, each term formed in double. `binomials` holds C(count - 1, j):
// the basis value is the one Bernstein gives, without forming the binomial
// again for every term of every sample (which made a drag step slow).
bool EvaluateRational(const Point2* points, const float* weights, const double* binomials,
                      int count, float t, Point2& out) {
  const double u = t, s = 1.0 - u;
  float w = 0.0f, x = 0.0f, y = 0.0f;
  for (int j = 0; j < count; ++j) {
    const double basis = binomials[j] * std::pow(u, double(j)) * std::pow(s, double(count - 1 - j));
    const float b = static_cast<float>(weights[j] * basis);
    w = static_cast<float>(double(w) + b);
    x = static_cast<float>(x + double(b) * points[j].x);
    y = static_cast<float>(y + double(b) * points[j].y);
  }
  if (w == 0.0f) return false;
  out = Point2{static_cast<float>(x / double(w)), static_cast<float>(y / double(w))};
  return std::isfinite(out.x) && std::isfinite(out.y);
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

  double binomials[kMaxPoints];
  for (int j = 0; j < n; ++j) binomials[j] = Binomial(n - 1, j);
  const CurvePolyline line{mode, segments, "# End Data\r\n\r\n", m.chaikinSteps == 0};
  DrawCurvePolyline(window, line, m.points[0], m.points[n - 1], [&](int i, Point2& q) {
    const float t = static_cast<float>(static_cast<double>(i) / segments);
    return EvaluateRational(m.points, m.weights, binomials, n, t, q);
  });
}

}  // namespace tambra
