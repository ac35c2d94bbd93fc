#include "spline/knot_operations.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/c_locale.h"
#include "base/canvas.h"
#include "base/curve_deviation.h"
#include "base/model_state.h"
#include "base/snapshots.h"
#include "numeric/knot_vector.h"
#include "numeric/matrix.h"
#include "spline/spline_display.h"

namespace tambra {

namespace {

bool IsFinite(const Point2& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The span r of u, t(r) <= u < t(r + 1), among the curve's n + k knots; -1
// when there is none or the curve's order and knots cannot be used.
int FindSpan(const CurveCopy& c, float u) {
  const int n = c.pointCount, k = c.order;
  if (n < 1 || n > kMaxPoints || k < 1 || CheckKnotVector(c.knots, n, k) != kKnotsValid) return -1;
  return FindKnotInterval(c.knots, n + k, u);
}

// Why the curve's knots cannot take a knot operation at all, or "".
std::string KnotVectorRefusal(const char* name, const CurveCopy& c) {
  const int n = c.pointCount, k = c.order;
  if (k < 1) return std::string(name) + " needs an order of 1 or more; it is " + ShortNumber(k);
  if (n < k) {
    return std::string(name) + " needs at least " + ShortNumber(k) + " points for order " + ShortNumber(k) +
           "; this curve has " + ShortNumber(n);
  }
  if (n > kMaxKnots - k) {
    return std::string(name) + " needs fewer than " + ShortNumber(kMaxKnots) +
           " points and order together; this curve has " + ShortNumber(n) + " points and order " +
           ShortNumber(k);
  }
  if (n > kMaxPoints || CheckKnotVector(c.knots, n, k) != kKnotsValid) {
    return std::string(name) + " needs " + ShortNumber(double(n) + k) +
           " knots that never decrease; the curve's knot vector is not one";
  }
  return "";
}

// The curve the operation starts from: a B-spline takes weights 1.
CurveCopy StartingCurve(const ModelState& m) {
  CurveCopy c = CurrentCurve(m);
  if (m.curveKind == kBSpline) std::fill_n(c.weights, std::clamp(c.pointCount, 0, kMaxPoints), 1.0f);
  return c;
}

// The knot operations draw the curve they worked on, changed or not.
Outcome KnotOutcome(const CurveCopy& curve, int mode, std::string refusal, std::string summary) {
  Outcome outcome;
  outcome.refusal = std::move(refusal);
  outcome.summary = std::move(summary);
  outcome.drawings.push_back(Drawing{curve, DrawNurbsCurve, mode});
  return outcome;
}

}  // namespace

std::string InsertKnot(CurveCopy& c, float u) {
  constexpr char kName[] = "Knot insertion";
  if (std::string why = KnotVectorRefusal(kName, c); !why.empty()) return why;
  const int r = FindSpan(c, u);
  const int n = c.pointCount, k = c.order;
  // Boehm's formulas reach points r - k + 1 .. r, which must exist.
  if (r < k - 1 || r > n - 1) {
    return std::string(kName) + " needs a Knot to insert from " + ShortNumber(c.knots[k - 1]) + " to below " +
           ShortNumber(c.knots[n]) + "; it is " + ShortNumber(u);
  }
  if (n + 1 > kMaxPoints || n + 1 + k >= kMaxKnots) {
    return std::string(kName) + " would pass the capacity of " + ShortNumber(kMaxPoints) +
           " points and " + ShortNumber(kMaxKnots - 1) + " knots";
  }
  const double value = u;
  const float* t = c.knots;
  const float* w = c.weights;
  const Point2* p = c.points;

  float v[kMaxPoints + 1];
  Point2 q[kMaxPoints + 1];
  for (int j = 0; j <= n; ++j) {
    double x, y;
    if (j <= r - k + 1) {
      v[j] = w[j];
      x = double(p[j].x) * w[j], y = double(p[j].y) * w[j];
    } else if (j <= r) {
      const double alpha = (value - t[j]) / (double(t[j + k - 1]) - t[j]);
      const double before = (1.0 - alpha) * w[j - 1], after = alpha * w[j];
      v[j] = static_cast<float>(before + after);
      x = before * p[j - 1].x + after * p[j].x;
      y = before * p[j - 1].y + after * p[j].y;
    } else {
      v[j] = w[j - 1];
      x = double(p[j - 1].x) * w[j - 1], y = double(p[j - 1].y) * w[j - 1];
    }
    if (v[j] == 0.0f) return std::string(kName) + " gives point " + ShortNumber(j) + " a weight of 0";
    q[j] = Point2{static_cast<float>(x / v[j]), static_cast<float>(y / v[j])};
    if (!std::isfinite(v[j]) || !IsFinite(q[j])) {
      return std::string(kName) + " gives point " + ShortNumber(j) + " a value that is not finite";
    }
  }

  std::copy_n(q, n + 1, c.points);
  std::copy_n(v, n + 1, c.weights);
  c.pointCount = n + 1;
  float* knots = c.knots;
  knots[n + 1 + k] = 0.0f;  // the terminating entry after the last knot
  for (int i = n + k; i >= r + 2; --i) knots[i] = knots[i - 1];
  knots[r + 1] = u;
  return "";
}

std::string DeleteKnot(CurveCopy& c, float u, NumericScratch& scratch) {
  constexpr char kName[] = "Knot deletion";
  if (std::string why = KnotVectorRefusal(kName, c); !why.empty()) return why;
  const int r = FindSpan(c, u);
  const int n = c.pointCount, k = c.order;
  if (r < 0 || c.knots[r] != u) {
    return std::string(kName) + " removes the knot typed as Knot to insert; the curve has no knot " +
           ShortNumber(u);
  }
  // One of the first k knots cannot go; the affected points must exist.
  if (r < k || r > n - 1) {
    return std::string(kName) + " can remove only knots " + ShortNumber(k) + " to " + ShortNumber(n - 1) +
           " (the interior ones); " + ShortNumber(u) + " is knot " + ShortNumber(r);
  }
  if (k + 1 > kMatrixSize) {
    return std::string(kName) + " needs an order below " + ShortNumber(kMatrixSize) + "; it is " +
           ShortNumber(k);
  }
  const double value = u;
  const int newCount = n - 1;
  float t[kMaxKnots];
  std::copy_n(c.knots, n + k, t);
  for (int i = r; i < newCount + k; ++i) t[i] = t[i + 1];
  t[newCount + k] = 0.0f;
  const int s = r - 1;

  // A maps the k new points onto the k + 1 points that inserting u again gives.
  Matrix& a = scratch.matrixE;
  for (int row = 0; row <= k; ++row) std::fill_n(a[row], k, 0.0f);
  a[0][0] = 1.0f;
  for (int j = s - k + 2, row = 1; j <= s; ++j, ++row) {
    const double alpha = (value - t[j]) / (double(t[j + k - 1]) - t[j]);
    a[row][row - 1] = static_cast<float>(1.0 - alpha);
    a[row][row] = static_cast<float>(alpha);
  }
  a[k][k - 1] = 1.0f;

  Matrix& normal = scratch.matrixA;
  Matrix& b = scratch.matrixB;
  for (int i = 1; i <= k; ++i) {
    for (int j = 1; j <= k; ++j) {
      double sum = 0.0;
      for (int l = 0; l <= k; ++l) sum += double(a[l][i - 1]) * a[l][j - 1];
      normal[i][j] = static_cast<float>(sum);
    }
    std::fill_n(b[i] + 1, k, 0.0f);  // the solver's right-hand block starts clean
  }
  if (SolveGaussJordan(normal, b, k) == 0) {
    return std::string(kName) + " of " + ShortNumber(u) + ": the least-squares system is singular";
  }
  for (int i = 1; i <= k; ++i) {
    for (int j = 1; j <= k + 1; ++j) {
      double sum = 0.0;
      for (int l = 1; l <= k; ++l) sum += double(normal[i][l]) * a[j - 1][l - 1];
      b[i][j] = static_cast<float>(sum);
    }
  }

  const float* w = c.weights;
  const Point2* p = c.points;
  float v[kMaxPoints];
  Point2 q[kMaxPoints];
  for (int i = 0; i < newCount; ++i) {
    if (i <= s - k) {
      v[i] = w[i], q[i] = p[i];
    } else if (i <= s) {
      double weight = 0.0, x = 0.0, y = 0.0;
      for (int l = 0; l <= k; ++l) {
        const int old = l + s - k + 1;
        const double f = double(b[i - s + k][l + 1]) * w[old];
        weight += f;
        x += f * p[old].x;
        y += f * p[old].y;
      }
      v[i] = static_cast<float>(weight);
      if (v[i] == 0.0f) return std::string(kName) + " gives point " + ShortNumber(i) + " a weight of 0";
      q[i] = Point2{static_cast<float>(x / v[i]), static_cast<float>(y / v[i])};
    } else {
      v[i] = w[i + 1], q[i] = p[i + 1];
    }
    if (!std::isfinite(v[i]) || !IsFinite(q[i])) {
      return std::string(kName) + " gives point " + ShortNumber(i) + " a value that is not finite";
    }
  }

  std::copy_n(q, newCount, c.points);
  std::copy_n(v, newCount, c.weights);
  std::copy_n(t, newCount + k + 1, c.knots);
  c.pointCount = newCount;
  return "";
}

Outcome KnotInsertCommand(const CommandInput& input) {
  CurveCopy curve = StartingCurve(input.model);
  const int before = curve.pointCount;
  std::string why = InsertKnot(curve, input.model.insertKnot);
  if (!why.empty()) curve = StartingCurve(input.model);
  return KnotOutcome(curve, kBlueMode, std::move(why),
                     "Knot insertion of " + ShortNumber(input.model.insertKnot) + ": " +
                         ShortNumber(before) + " to " + ShortNumber(curve.pointCount) + " points");
}

Outcome KnotDeleteCommand(const CommandInput& input) {
  CurveCopy curve = StartingCurve(input.model);
  const int before = curve.pointCount;
  std::string why = DeleteKnot(curve, input.model.insertKnot, input.scratch);
  const CurveCopy given = StartingCurve(input.model);
  if (!why.empty()) curve = given;
  Outcome outcome =
      KnotOutcome(curve, kRedMode, std::move(why),
                  "Knot deletion of " + ShortNumber(input.model.insertKnot) + ": " +
                      ShortNumber(before) + " to " + ShortNumber(curve.pointCount) + " points");
  if (outcome.refusal.empty()) {
    AddDeviation(outcome, MaxDeviation({MeasuredCurve::Form::kSpline, given, true},
                                       {MeasuredCurve::Form::kSpline, curve, true}));
  }
  return outcome;
}

}  // namespace tambra
