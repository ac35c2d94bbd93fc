#include "base/curve_deviation.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "base/c_locale.h"

namespace tambra {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

CurveEvaluator::CurveEvaluator(const MeasuredCurve& c)
    : c_(c.curve), form_(c.form), rational_(c.rational) {
  n_ = std::clamp(c_.pointCount, 0, kMaxPoints);
  k_ = c_.order;
  if (form_ != MeasuredCurve::Form::kSpline) {
    valid_ = n_ >= 2;
    return;
  }
  valid_ = k_ >= 1 && n_ >= k_ && n_ + k_ <= kMaxKnots;
  if (!valid_) return;
  for (int i = 0; i + 1 < n_ + k_; ++i) valid_ = valid_ && c_.knots[i] <= c_.knots[i + 1];
  lo_ = c_.knots[k_ - 1], hi_ = c_.knots[n_];
  valid_ = valid_ && std::isfinite(lo_) && std::isfinite(hi_) && lo_ < hi_;
  span_ = k_ - 1;
  basis_.assign(k_, 0.0), left_.assign(k_, 0.0), right_.assign(k_, 0.0);
  inverse_.assign(static_cast<std::size_t>(k_) * k_, 0.0);
}

void CurveEvaluator::AddBreaks(std::vector<double>& breaks) const {
  breaks.push_back(0.0), breaks.push_back(1.0);
  if (form_ != MeasuredCurve::Form::kSpline) return;
  for (int i = k_; i < n_; ++i) breaks.push_back((double(c_.knots[i]) - lo_) / (hi_ - lo_));
}

CurvePoint CurveEvaluator::At(double s) {
  return form_ == MeasuredCurve::Form::kSpline ? SplineAt(lo_ + s * (hi_ - lo_)) : BezierAt(s);
}

bool CurveEvaluator::Weighted() const {
  return form_ == MeasuredCurve::Form::kRationalBezier ||
         (form_ == MeasuredCurve::Form::kSpline && rational_);
}

CurvePoint CurveEvaluator::Sum(int first, const double* basis, int count) const {
  double x = 0, y = 0, w = 0;
  const bool weighted = Weighted();
  for (int j = 0; j < count; ++j) {
    const int i = first + j;
    const double b = basis[j] * (weighted ? double(c_.weights[i]) : 1.0);
    x += b * c_.points[i].x, y += b * c_.points[i].y, w += b;
  }
  if (!weighted) return CurvePoint{x, y};
  return w == 0.0 ? CurvePoint{kNaN, kNaN} : CurvePoint{x / w, y / w};
}

// The Bernstein values of degree n at t (none for n below 0), by the ratio
// recurrence from the end nearer to t: n terms, and the first value never
// underflows.
void BernsteinValues(int n, double t, std::vector<double>& out) {
  out.assign(std::max(n + 1, 0), 0.0);
  if (n < 0) return;
  const bool flip = t > 0.5;
  const double u = flip ? 1.0 - t : t;
  double b = std::pow(1.0 - u, n);
  for (int i = 0; i <= n; ++i) {
    out[flip ? n - i : i] = b;
    b *= u / (1.0 - u) * (n - i) / (i + 1);
  }
}

double BernsteinValue(int degree, int i, double t) {
  if (i < 0 || i > degree) return 0.0;
  // The ratio recurrence from the end nearer to t: the first value never
  // underflows.
  const bool flip = t > 0.5;
  const double u = flip ? 1.0 - t : t;
  const int target = flip ? degree - i : i;
  double b = std::pow(1.0 - u, degree);
  for (int j = 0; j < target; ++j) b *= u / (1.0 - u) * (degree - j) / (j + 1);
  return b;
}

CurvePoint CurveEvaluator::BezierAt(double t) {
  BernsteinValues(n_ - 1, t, basis_);
  return Sum(0, basis_.data(), n_);
}

// The k non-zero basis values at u by the triangular scheme.
CurvePoint CurveEvaluator::SplineAt(double u) {
  while (span_ + 1 < n_ && u >= c_.knots[span_ + 1]) ++span_;
  while (span_ > k_ - 1 && u < c_.knots[span_]) --span_;
  const float* t = c_.knots;
  // The denominators are knot differences of the span: their reciprocals
  // are formed once a span.
  if (inverseSpan_ != span_) {
    inverseSpan_ = span_;
    for (int j = 1; j < k_; ++j) {
      for (int r = 0; r < j; ++r) {
        const double d = double(t[span_ + r + 1]) - t[span_ + 1 - j + r];
        inverse_[j * k_ + r] = d == 0.0 ? 0.0 : 1.0 / d;
      }
    }
  }
  double* basis = basis_.data();
  double* left = left_.data();
  double* right = right_.data();
  basis[0] = 1.0;
  for (int j = 1; j < k_; ++j) {
    left[j] = u - t[span_ + 1 - j];
    right[j] = t[span_ + j] - u;
    double saved = 0.0;
    for (int r = 0; r < j; ++r) {
      const double term = basis[r] * inverse_[j * k_ + r];
      basis[r] = saved + right[r + 1] * term;
      saved = left[j - r] * term;
    }
    basis[j] = saved;
  }
  return Sum(span_ - k_ + 1, basis, k_);
}

std::vector<double> Breakpoints(const CurveEvaluator& a, const CurveEvaluator& b) {
  std::vector<double> breaks;
  a.AddBreaks(breaks), b.AddBreaks(breaks);
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
  return breaks;
}

double MaxDistance(const std::vector<double>& breaks, int perSpan,
                   const std::function<CurvePoint(double)>& f,
                   const std::function<CurvePoint(double)>& g) {
  if (perSpan < 1) return kNaN;
  double largest = 0.0;
  for (std::size_t piece = 0; piece + 1 < breaks.size(); ++piece) {
    const double from = breaks[piece], to = breaks[piece + 1];
    for (int i = 0; i <= perSpan; ++i) {
      const double s = i == perSpan ? to : from + (to - from) * i / perSpan;
      const CurvePoint p = f(s), q = g(s);
      const double dx = p.x - q.x, dy = p.y - q.y;
      const double d = std::sqrt(dx * dx + dy * dy);
      if (!std::isfinite(d)) return kNaN;
      largest = std::max(largest, d);
    }
  }
  return largest;
}

double MaxDeviation(const MeasuredCurve& before, const MeasuredCurve& after, int perSpan) {
  CurveEvaluator a(before), b(after);
  if (!a.Valid() || !b.Valid()) return kNaN;
  // The spans of the curve the user had: a refinement's result has twice as
  // many breakpoints, all on the same curve.
  return MaxDistance(Breakpoints(a, a), perSpan, [&](double s) { return a.At(s); },
                     [&](double s) { return b.At(s); });
}

void AddDeviation(Outcome& outcome, double deviation) {
  if (!std::isfinite(deviation)) return;
  outcome.measurements.push_back(Measurement{"max deviation", deviation});
  char text[64];
  FormatC(text, sizeof text, ": max deviation %.2f px", deviation);
  outcome.summary += text;
}

}  // namespace tambra
