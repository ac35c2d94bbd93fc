#include "base/curvature.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tambra {

namespace {

// Homogeneous sums of the basis values and their first two derivatives:
// A = sum w N P, W = sum w N (w = 1 for a polynomial curve).
struct Sums {
  double ax[3] = {}, ay[3] = {}, w[3] = {};
};

// The k basis functions of order k that are non-zero on span `span` at u,
// with their first and second derivatives: ders[d][j] for function span -
// k + 1 + j (the classical triangular scheme and its derivative recurrence).
void SplineDerivatives(const float* t, int span, int k, double u, double ders[3][kMaxKnots]) {
  const int p = k - 1;
  double ndu[kMaxKnots][kMaxKnots], left[kMaxKnots], right[kMaxKnots];
  ndu[0][0] = 1.0;
  for (int j = 1; j <= p; ++j) {
    left[j] = u - t[span + 1 - j];
    right[j] = t[span + j] - u;
    double saved = 0.0;
    for (int r = 0; r < j; ++r) {
      ndu[j][r] = right[r + 1] + left[j - r];
      const double temp = ndu[j][r] == 0.0 ? 0.0 : ndu[r][j - 1] / ndu[j][r];
      ndu[r][j] = saved + right[r + 1] * temp;
      saved = left[j - r] * temp;
    }
    ndu[j][j] = saved;
  }
  for (int j = 0; j <= p; ++j) ders[0][j] = ndu[j][p];
  double a[2][kMaxKnots];
  for (int r = 0; r <= p; ++r) {
    int s1 = 0, s2 = 1;
    a[0][0] = 1.0;
    for (int d = 1; d <= 2; ++d) {
      double value = 0.0;
      const int rk = r - d, pk = p - d;
      if (r >= d) {
        a[s2][0] = ndu[pk + 1][rk] == 0.0 ? 0.0 : a[s1][0] / ndu[pk + 1][rk];
        value = a[s2][0] * ndu[rk][pk];
      }
      const int j1 = rk >= -1 ? 1 : -rk, j2 = r - 1 <= pk ? d - 1 : p - r;
      for (int j = j1; j <= j2; ++j) {
        a[s2][j] = ndu[pk + 1][rk + j] == 0.0 ? 0.0
                                              : (a[s1][j] - a[s1][j - 1]) / ndu[pk + 1][rk + j];
        value += a[s2][j] * ndu[rk + j][pk];
      }
      if (r <= pk) {
        a[s2][d] = ndu[pk + 1][r] == 0.0 ? 0.0 : -a[s1][d - 1] / ndu[pk + 1][r];
        value += a[s2][d] * ndu[r][pk];
      }
      ders[d][r] = d > p ? 0.0 : value;
      std::swap(s1, s2);
    }
  }
  for (int d = 1; d <= 2; ++d) {
    const double factor = d == 1 ? p : double(p) * (p - 1);
    for (int j = 0; j <= p; ++j) ders[d][j] *= factor;
  }
}

// The tooth at parameter t from the homogeneous sums; false where the curve
// has no curvature there.
bool Tooth(const Sums& s, double t, CombTooth& tooth) {
  const double w = s.w[0], w1 = s.w[1], w2 = s.w[2];
  if (w == 0.0) return false;
  const double x = s.ax[0] / w, y = s.ay[0] / w;
  const double dx = (s.ax[1] - w1 * x) / w, dy = (s.ay[1] - w1 * y) / w;
  const double ddx = (s.ax[2] - 2 * w1 * dx - w2 * x) / w;
  const double ddy = (s.ay[2] - 2 * w1 * dy - w2 * y) / w;
  const double speed = std::hypot(dx, dy);
  // A vanishing first derivative has no normal: no tooth.
  if (!(speed > 1e-9 * (1.0 + std::hypot(x, y)))) return false;
  tooth = CombTooth{t, x, y, -dy / speed, dx / speed, (dx * ddy - dy * ddx) / (speed * speed * speed)};
  return std::isfinite(tooth.kappa) && std::isfinite(x) && std::isfinite(y);
}

}  // namespace

std::vector<std::vector<CombTooth>> CurvatureComb(const MeasuredCurve& measured, int perSpan) {
  const CurveCopy& c = measured.curve;
  const int n = std::clamp(c.pointCount, 0, kMaxPoints), k = c.order;
  const bool spline = measured.form == MeasuredCurve::Form::kSpline;
  const bool weighted = measured.form == MeasuredCurve::Form::kRationalBezier ||
                        (spline && measured.rational);
  std::vector<std::vector<CombTooth>> comb;
  if (perSpan < 1 || !CurveEvaluator(measured).Valid()) return comb;
  auto add = [&](Sums& s, int i, double n0, double n1, double n2) {
    const double w = weighted ? double(c.weights[i]) : 1.0;
    const double basis[3] = {n0, n1, n2};
    for (int d = 0; d < 3; ++d) {
      s.ax[d] += basis[d] * w * c.points[i].x;
      s.ay[d] += basis[d] * w * c.points[i].y;
      s.w[d] += basis[d] * w;
    }
  };
  if (!spline) {
    // The hodograph: the homogeneous points (w P, w) and their first and
    // second differences, times p and p (p - 1), are the control points of
    // the first and second derivative curves of degree p - 1 and p - 2.
    const int p = n - 1;
    std::vector<std::array<double, 3>> q(n), d1(std::max(p, 0)), d2(std::max(p - 1, 0));
    for (int i = 0; i < n; ++i) {
      const double w = weighted ? double(c.weights[i]) : 1.0;
      q[i] = {w * c.points[i].x, w * c.points[i].y, w};
    }
    for (int i = 0; i + 1 < n; ++i) {
      for (int k = 0; k < 3; ++k) d1[i][k] = p * (q[i + 1][k] - q[i][k]);
    }
    for (int i = 0; i + 2 < n; ++i) {
      for (int k = 0; k < 3; ++k) d2[i][k] = (p - 1) * (d1[i + 1][k] - d1[i][k]);
    }
    std::vector<double> b0, b1, b2;
    auto sum = [](const std::vector<std::array<double, 3>>& points, const std::vector<double>& b,
                  double (&out)[3]) {
      out[0] = out[1] = out[2] = 0.0;
      for (std::size_t i = 0; i < points.size(); ++i) {
        for (int k = 0; k < 3; ++k) out[k] += b[i] * points[i][k];
      }
    };
    comb.emplace_back();
    for (int step = 0; step <= perSpan; ++step) {
      const double t = double(step) / perSpan;
      BernsteinValues(p, t, b0), BernsteinValues(p - 1, t, b1), BernsteinValues(p - 2, t, b2);
      Sums s;
      double v[3][3];
      sum(q, b0, v[0]), sum(d1, b1, v[1]), sum(d2, b2, v[2]);
      for (int d = 0; d < 3; ++d) s.ax[d] = v[d][0], s.ay[d] = v[d][1], s.w[d] = v[d][2];
      CombTooth tooth;
      if (Tooth(s, t, tooth)) comb.back().push_back(tooth);
    }
    return comb;
  }
  double ders[3][kMaxKnots];
  for (int span = k - 1; span < n; ++span) {
    const double from = c.knots[span], to = c.knots[span + 1];
    if (!(from < to)) continue;
    comb.emplace_back();
    for (int step = 0; step <= perSpan; ++step) {
      // The span's own end: the values from the left of its last knot.
      const double u = step == perSpan ? to : from + (to - from) * step / perSpan;
      SplineDerivatives(c.knots, span, k, u, ders);
      Sums s;
      for (int j = 0; j < k; ++j) add(s, span - k + 1 + j, ders[0][j], ders[1][j], ders[2][j]);
      CombTooth tooth;
      if (Tooth(s, u, tooth)) comb.back().push_back(tooth);
    }
  }
  return comb;
}

}  // namespace tambra
