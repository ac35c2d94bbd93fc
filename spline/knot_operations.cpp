#include "spline/knot_operations.h"

#include <algorithm>
#include <cmath>

#include "base/canvas.h"
#include "base/model_state.h"
#include "base/snapshots.h"
#include "numeric/knot_vector.h"
#include "numeric/matrix.h"
#include "spline/spline_display.h"

namespace tambra {

namespace {

bool IsFinite(const Point2& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

void ResetBSplineWeights() {
  ModelState& m = Model();
  if (m.curveKind == kBSpline)
    std::fill_n(m.weights, std::clamp(m.pointCount, 0, kMaxPoints), 1.0f);
}

// The span r of insertKnot, t(r) <= u < t(r + 1), among the curve's n + k
// knots, stored in insertSpan; -1 when there is none or the curve's order
// and knots cannot be used.
int FindInsertSpan() {
  ModelState& m = Model();
  const int n = m.pointCount, k = m.order;
  if (n < 1 || n > kMaxPoints || k < 1 || CheckKnotVector(m.knots, n, k) != kKnotsValid) return -1;
  const int r = FindKnotInterval(m.knots, n + k, m.insertKnot);
  if (r >= 0) m.insertSpan = r;
  return r;
}

}  // namespace

void InsertKnot() {
  ResetBSplineWeights();
  ModelState& m = Model();
  const int r = FindInsertSpan();
  const int n = m.pointCount, k = m.order;
  // No span (also an order below 1); Boehm's formulas reach points
  // r - k + 1 .. r, which must exist.
  if (r < 0 || r < k - 1 || r > n - 1 || n + 1 > kMaxPoints || n + 1 + k >= kMaxKnots) return;
  const double u = m.insertKnot;
  const float* t = m.knots;
  const float* w = m.weights;
  const Point2* p = m.points;

  float v[kMaxPoints + 1];
  Point2 q[kMaxPoints + 1];
  for (int j = 0; j <= n; ++j) {
    double x, y;
    if (j <= r - k + 1) {
      v[j] = w[j];
      x = double(p[j].x) * w[j], y = double(p[j].y) * w[j];
    } else if (j <= r) {
      const double alpha = (u - t[j]) / (double(t[j + k - 1]) - t[j]);
      const double before = (1.0 - alpha) * w[j - 1], after = alpha * w[j];
      v[j] = static_cast<float>(before + after);
      x = before * p[j - 1].x + after * p[j].x;
      y = before * p[j - 1].y + after * p[j].y;
    } else {
      v[j] = w[j - 1];
      x = double(p[j - 1].x) * w[j - 1], y = double(p[j - 1].y) * w[j - 1];
    }
    if (v[j] == 0.0f) return;
    q[j] = Point2{static_cast<float>(x / v[j]), static_cast<float>(y / v[j])};
    if (!std::isfinite(v[j]) || !IsFinite(q[j])) return;
  }

  std::copy_n(q, n + 1, m.points);
  std::copy_n(v, n + 1, m.weights);
  m.pointCount = n + 1;
  float* knots = m.knots;
  knots[n + 1 + k] = 0.0f;  // the terminating entry after the last knot
  for (int i = n + k; i >= r + 2; --i) knots[i] = knots[i - 1];
  knots[r + 1] = m.insertKnot;
}

void DeleteKnot() {
  ResetBSplineWeights();
  ModelState& m = Model();
  const int r = FindInsertSpan();
  const int n = m.pointCount, k = m.order;
  if (r < 0 || m.knots[r] != m.insertKnot) return;
  // One of the first k knots cannot go; the affected points must exist.
  if (r < k || r > n - 1 || k + 1 > kMatrixSize) return;
  const double u = m.insertKnot;
  const int newCount = n - 1;
  float t[kMaxKnots];
  std::copy_n(m.knots, n + k, t);
  for (int i = r; i < newCount + k; ++i) t[i] = t[i + 1];
  t[newCount + k] = 0.0f;
  const int s = r - 1;

  // A maps the k new points onto the k + 1 points that inserting u again gives.
  Matrix& a = MatrixE();
  for (int row = 0; row <= k; ++row) std::fill_n(a[row], k, 0.0f);
  a[0][0] = 1.0f;
  for (int j = s - k + 2, row = 1; j <= s; ++j, ++row) {
    const double alpha = (u - t[j]) / (double(t[j + k - 1]) - t[j]);
    a[row][row - 1] = static_cast<float>(1.0 - alpha);
    a[row][row] = static_cast<float>(alpha);
  }
  a[k][k - 1] = 1.0f;

  Matrix& normal = MatrixA();
  Matrix& b = MatrixB();
  for (int i = 1; i <= k; ++i) {
    for (int j = 1; j <= k; ++j) {
      double sum = 0.0;
      for (int l = 0; l <= k; ++l) sum += double(a[l][i - 1]) * a[l][j - 1];
      normal[i][j] = static_cast<float>(sum);
    }
    std::fill_n(b[i] + 1, k, 0.0f);  // the solver's right-hand block starts clean
  }
  if (SolveGaussJordan(k) == 0) return;
  for (int i = 1; i <= k; ++i) {
    for (int j = 1; j <= k + 1; ++j) {
      double sum = 0.0;
      for (int l = 1; l <= k; ++l) sum += double(normal[i][l]) * a[j - 1][l - 1];
      b[i][j] = static_cast<float>(sum);
    }
  }

  const float* w = m.weights;
  const Point2* p = m.points;
  float v[kMaxPoints];
  Point2 q[kMaxPoints];
  for (int i = 0; i < newCount; ++i) {
    if (i <= s - k) {
      v[i] = w[i], q[i] = p[i];
    } else if (i <= s) {
      double weight = 0.0, x = 0.0, y = 0.0;
      for (int l = 0; l <= k; ++l) {
        const int old = l + s - k + 1;
        const double c = double(b[i - s + k][l + 1]) * w[old];
        weight += c;
        x += c * p[old].x;
        y += c * p[old].y;
      }
      v[i] = static_cast<float>(weight);
      if (v[i] == 0.0f) return;
      q[i] = Point2{static_cast<float>(x / v[i]), static_cast<float>(y / v[i])};
    } else {
      v[i] = w[i + 1], q[i] = p[i + 1];
    }
    if (!std::isfinite(v[i]) || !IsFinite(q[i])) return;
  }

  std::copy_n(q, newCount, m.points);
  std::copy_n(v, newCount, m.weights);
  std::copy_n(t, newCount + k + 1, m.knots);
  m.pointCount = newCount;
}

void KnotInsertCommand(Platform& window) {
  CurveResult result;
  InsertKnot();
  DrawNurbsCurve(window, kBlueMode);
}

void KnotDeleteCommand(Platform& window) {
  CurveResult result;
  DeleteKnot();
  DrawNurbsCurve(window, kRedMode);
}

}  // namespace tambra
