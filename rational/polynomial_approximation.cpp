// The three approximations work in the one-based scratch matrices: the
// elevation matrix, MatrixA (normal matrix, then its inverse) and MatrixB.
// Sums run in double and are stored in single precision; the products over
// the elevation matrix skip its zeros (rational/elevated_sums.h).
#include "rational/polynomial_approximation.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_deviation.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "base/snapshots.h"
#include "numeric/coefficients.h"
#include "numeric/matrix.h"
#include "rational/elevated_sums.h"
#include "rational/rational_display.h"

namespace tambra {

namespace {

bool IsFinite(const Point2& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The polynomial curve of `count` points (weights 1), drawn in red.
Outcome PolynomialOutcome(const ModelState& m, const char* name, const Point2* points, int count) {
  CurveCopy curve = CurrentCurve(m);
  std::copy_n(points, count, curve.points);
  std::fill_n(curve.weights, count, 1.0f);
  curve.pointCount = count;
  Outcome outcome;
  outcome.drawings.push_back(Drawing{curve, DrawRationalBezierCurve, kRedMode});
  outcome.summary = std::string(name) + " " + std::to_string(m.pointCount) + " to " +
                    std::to_string(count) + " points";
  const CurveCopy before = CurrentCurve(m);
  AddDeviation(outcome, MaxDeviation({MeasuredCurve::Form::kRationalBezier, before},
                                     {MeasuredCurve::Form::kRationalBezier, curve}));
  return outcome;
}

std::string Text(int value) { return std::to_string(value); }

// Why the counts refuse an approximation of n points with approximation
// degree s, or "".
std::string CountRefusal(const std::string& name, int n, int s) {
  if (n < 3) return name + " needs a curve of at least 3 points; this one has " + Text(n);
  if (s < 1) return name + " needs an Approximation degree of 1 or more; it is " + Text(s);
  return "";
}

constexpr char kLeastSquares[] = "Least-squares approximation";
constexpr char kConsistent[] = "Consistent-equation approximation";

}  // namespace

Outcome ApproxLeastSquares(const CommandInput& input) {
  const ModelState& m = input.model;
  const std::string name = kLeastSquares;
  const int n = m.pointCount, s = m.approxDim, r = m.degreeStep;
  if (const std::string why = CountRefusal(name, n, s); !why.empty()) return Outcome::Refused(why);
  if (r < 0 || s < r) {
    return Outcome::Refused(name + " needs a Degree step from 0 to the Approximation degree (" +
                            Text(s) + "); it is " + Text(r));
  }
  // n + s and n + r at most 99, compared without forming a sum that could overflow.
  if (s > kMaxOneBasedSize - n || r > kMaxOneBasedSize - n) {
    return Outcome::Refused(name + " takes at most 99 points and Approximation degree together; "
                            "this curve has " + Text(n) + " points and the degree is " + Text(s));
  }
  // The control points of R written in degree p + s.
  Matrix& e = input.scratch.elevationMatrix;
  BuildElevationMatrix(e, n, s, 1, ElevationPrecision::kDouble);
  Point2 data[kMatrixSize];
  for (int j = 1; j <= n + s; ++j) {
    const ElevatedSums<double> sums = SumElevatedColumn<double>(e, n, s, j, m.points, m.weights);
    const float wj = static_cast<float>(sums.w);
    if (wj == 0.0f) return Outcome::Refused(name + ": a weight of the elevated curve is 0");
    data[j] = Point2{static_cast<float>(static_cast<float>(sums.x) / double(wj)),
                     static_cast<float>(static_cast<float>(sums.y) / double(wj))};
    if (!IsFinite(data[j])) return Outcome::Refused(name + ": a result is not finite");
  }
  const int k = n + r;
  BuildElevationMatrix(e, k, s - r, 1, ElevationPrecision::kDouble);
  Point2 q[kMatrixSize];
  if (!FitLeastSquares(e, k, n + s, s - r, data, q, input.scratch)) {
    return Outcome::Refused(name + ": the system is singular or the result is not finite");
  }
  return PolynomialOutcome(m, kLeastSquares, q, k);
}

Outcome ApproxConsistentEquation(const CommandInput& input) {
  const ModelState& m = input.model;
  const std::string name = kConsistent;
  const int n = m.pointCount, s = m.approxDim;
  if (const std::string why = CountRefusal(name, n, s); !why.empty()) return Outcome::Refused(why);
  if (s > kMaxOneBasedSize || s - 1 > kMaxOneBasedSize - n) {
    return Outcome::Refused(name + " takes at most 100 points and Approximation degree together; "
                            "this curve has " + Text(n) + " points and the degree is " + Text(s));
  }
  const int cols = n + s - 1;
  // The coefficients of X(t) in degree p + s - 1.
  Matrix& e = input.scratch.elevationMatrix;
  BuildElevationMatrix(e, n, s - 1, 1, ElevationPrecision::kDouble);
  Point2 coefficients[kMatrixSize];
  for (int j = 1; j <= cols; ++j) {
    const ElevatedSums<double> sums =
        SumElevatedColumn<double>(e, n, s - 1, j, m.points, m.weights);
    coefficients[j] = Point2{static_cast<float>(sums.x), static_cast<float>(sums.y)};
    if (!IsFinite(coefficients[j])) return Outcome::Refused(name + ": a result is not finite");
  }
  // M maps the s points of Q to the coefficients of Q(t) W(t).
  BuildElevationMatrix(e, s, n - 1, 1, ElevationPrecision::kDouble);
  for (int i = 1; i <= s; ++i) {
    for (int j = i; j <= i + n - 1; ++j)
      e[i][j] = static_cast<float>(double(e[i][j]) * m.weights[j - i]);
  }
  Point2 q[kMatrixSize];
  if (!FitLeastSquares(e, s, cols, n - 1, coefficients, q, input.scratch)) {
    return Outcome::Refused(name + ": the system is singular or the result is not finite");
  }
  return PolynomialOutcome(m, kConsistent, q, s);
}

namespace {

// Sum over k of factor(k) (P(k) - H(index(k))), added to `base`, in double.
template <typename Factor, typename Index>
Point2 Accumulate(const Point2& base, int from, int to, const Point2* p, const Point2* h,
                  Factor factor, Index index) {
  double x = base.x, y = base.y;
  for (int k = from; k <= to; ++k) {
    const double c = factor(k);
    const Point2& hk = h[index(k)];
    x += c * (double(p[k].x) - hk.x);
    y += c * (double(p[k].y) - hk.y);
  }
  return Point2{static_cast<float>(x), static_cast<float>(y)};
}

// How far the hybrid form Q(t) + B(h, 2h)(t) E(t) lies from the curve.
double HybridDeviation(const ModelState& m, const Point2* q, int d, const CurveCopy& error) {
  CurveCopy polynomial = CurrentCurve(m);
  std::copy_n(q, d + 1, polynomial.points);
  polynomial.pointCount = d + 1;
  const CurveCopy given = CurrentCurve(m);
  CurveEvaluator curve({MeasuredCurve::Form::kRationalBezier, given});
  CurveEvaluator part({MeasuredCurve::Form::kBezier, polynomial});
  CurveEvaluator rest({MeasuredCurve::Form::kRationalBezier, error});
  if (!curve.Valid() || !part.Valid() || !rest.Valid()) return std::nan("");
  return MaxDistance(
      Breakpoints(curve, part), kDeviationSamplesPerSpan, [&](double t) { return curve.At(t); },
      [&](double t) {
        const CurvePoint a = part.At(t), e = rest.At(t);
        const double b = BernsteinValue(d, d / 2, t);
        return CurvePoint{a.x + b * e.x, a.y + b * e.y};
      });
}

void LogHybridHeader(int count) {
  LogFormat("\r\n\r\n# In Hybrid Bezier curve, control point count:=%d\r\n", count);
}

// The hybrid form R(t) = Q(t) + B(h, d)(t) E(t), d = 2h: Q's d + 1 points
// (its point h is 0) and the error curve E's n points (weights of R).
struct HybridForm {
  int h = 0, d = 0;
  Point2 polynomial[kMatrixSize + 1];
  Point2 error[kMaxPoints];
};

// Why the hybrid form of the model's curve cannot be computed, or "" with
// `form` filled.
std::string ComputeHybridForm(const ModelState& m, HybridForm& form) {
  const std::string name = "Hybrid approximation";
  const int n = m.pointCount, s = m.approxDim;
  if (const std::string why = CountRefusal(name, n, s); !why.empty()) return why;
  const int h = s / 2, d = 2 * h, p = n - 1;
  if (n > kMaxPoints || d > kMaxOneBasedSize) {
    return name + " needs an Approximation degree below " + Text(kMaxOneBasedSize + 1) + "; it is " + Text(s);
  }
  const Point2* pts = m.points;
  const float* w = m.weights;
  for (int i = 0; i <= p; ++i) {
    if (w[i] == 0.0f) return name + " needs weights that are not 0; weight " + Text(i) + " is 0";
  }
  form.h = h, form.d = d;

  // Q's points: H(0) .. H(h-1) from the front, H(h) = 0, H(h+1) .. H(d) from the back.
  Point2* hp = form.polynomial;
  std::fill_n(hp, kMatrixSize + 1, Point2{0.0f, 0.0f});
  for (int j = 0; j <= h - 1; ++j) {
    hp[j] = Accumulate(
        pts[0], 1, std::min(p, j), pts, hp,
        [&](int k) { return Binomial(p, k) * Binomial(d, j - k) * w[k] / (Binomial(d, j) * w[0]); },
        [&](int k) { return j - k; });
  }
  hp[h] = Point2{0.0f, 0.0f};
  for (int l = d + p; l >= h + p + 1; --l) {
    hp[l - p] = Accumulate(
        pts[p], std::max(l - d, 0), p - 1, pts, hp,
        [&](int k) {
          return Binomial(p, k) * Binomial(d, l - k) * w[k] / (Binomial(d, l - p) * w[p]);
        },
        [&](int k) { return l - k; });
  }
  // The error curve's points, only the terms of positive factor.
  Point2* error = form.error;
  for (int i = 0; i <= p; ++i) {
    double x = 0.0, y = 0.0;
    for (int k = std::max(i + h - d, 0); k <= std::min(i + h, p); ++k) {
      const double e =
          Binomial(p, k) * Binomial(d, i + h - k) * w[k] / (Binomial(d, h) * Binomial(p, i) * w[i]);
      if (!(e > 0.0)) continue;
      x += e * (double(pts[k].x) - hp[i + h - k].x);
      y += e * (double(pts[k].y) - hp[i + h - k].y);
    }
    error[i] = Point2{static_cast<float>(x), static_cast<float>(y)};
  }
  if (!std::all_of(hp, hp + d + 1, IsFinite) || !std::all_of(error, error + n, IsFinite)) {
    return name + " gives a value that is not finite";
  }
  return "";
}

}  // namespace

std::string HybridPolynomial(const ModelState& m, CurveCopy& polynomial) {
  const auto form = std::make_unique<HybridForm>();
  if (std::string why = ComputeHybridForm(m, *form); !why.empty()) return why;
  CurveCopy error = CurrentCurve(m);
  std::copy_n(form->error, m.pointCount, error.points);
  CurveEvaluator at({MeasuredCurve::Form::kRationalBezier, error});
  const CurvePoint middle = at.Valid() ? at.At(0.5) : CurvePoint{std::nan(""), std::nan("")};
  const Point2 fixed{static_cast<float>(middle.x), static_cast<float>(middle.y)};
  if (!IsFinite(fixed)) return "Hybrid approximation: the error curve has no value at t = 1/2";
  polynomial = CurrentCurve(m);
  std::copy_n(form->polynomial, form->d + 1, polynomial.points);
  std::fill_n(polynomial.weights, form->d + 1, 1.0f);
  polynomial.points[form->h] = fixed;
  polynomial.pointCount = form->d + 1;
  return "";
}

Outcome HybridBezierCurve(const CommandInput& input) {
  const ModelState& m = input.model;
  const std::string name = "Hybrid approximation";
  const auto form = std::make_unique<HybridForm>();
  if (std::string why = ComputeHybridForm(m, *form); !why.empty()) return Outcome::Refused(why);
  const int n = m.pointCount, h = form->h, d = form->d;
  const Point2* hp = form->polynomial;
  const Point2* error = form->error;

  // Shown, never kept: the model stays whatever Save says.
  Outcome outcome;
  outcome.keepsResult = false;
  Drawing polygons;
  polygons.paint = [q = std::vector<Point2>(hp, hp + d + 1), h, d](Platform& window) {
    const bool logging = Model().logActive == 1;
    if (logging) LogHybridHeader(h + 1);
    DrawPolygon(window, q.data(), 0, h, kBlueMode);
    if (logging) LogHybridHeader(d - h);
    DrawPolygon(window, q.data(), h + 1, d + 1, kBlueMode);
    if (logging) LogText("# End Data \r\n\r\n");
  };
  outcome.drawings.push_back(std::move(polygons));
  CurveCopy curve = CurrentCurve(m);
  std::copy_n(error, n, curve.points);
  outcome.drawings.push_back(Drawing{curve, DrawRationalBezierCurve, kBlackMode});
  outcome.summary = name + ": two polynomial pieces of " + Text(h + 1) + " and " + Text(d - h) +
                    " points and the error curve of " + Text(n) + " points";
  AddDeviation(outcome, HybridDeviation(m, hp, d, curve));
  return outcome;
}

}  // namespace tambra
