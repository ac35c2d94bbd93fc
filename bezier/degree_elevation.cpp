#include "bezier/degree_elevation.h"

#include <algorithm>
#include <cmath>

#include "bezier/bezier_display.h"
#include "numeric/matrix.h"
#include "base/canvas.h"
#include "base/model_state.h"
#include "base/snapshots.h"

namespace tambra {

namespace {

// The elevation matrix M, 0-based in MatrixA: M(i, i + k) = C(n-1, i) C(r, k)
// / C(n-1+r, i+k), formed from running products in double and the binomial
// column c(k) = C(i+k, k) kept as in-place running sums (Farin, "Curves and
// Surfaces for CAGD", degree elevation). The sums are kept in double so that
// M(n-1, n-1+r) is exactly 1 and the last point stays where it was.
void BuildZeroBasedElevation(int n, int r) {
  Matrix& m = MatrixA();
  for (int i = 0; i <= n; ++i) std::fill_n(m[i], n + r + 1, 0.0f);
  double c[kMatrixSize] = {};
  double denominator = 1.0;
  for (int f = n; f <= n + r - 1; ++f) denominator *= f;
  for (int i = 0; i < n; ++i) {
    c[0] = 1.0;
    for (int k = 1; k <= r; ++k) c[k] += c[k - 1];
    for (int k = 0; k <= r; ++k) {
      double falling = 1.0;
      for (int f = r; f >= r - k + 1; --f) falling *= f;
      double rising = 1.0;
      for (int f = n - i; f <= n - i + r - k - 1; ++f) rising *= f;
      m[i][i + k] = static_cast<float>(falling * c[k] * rising / denominator);
    }
  }
}

}  // namespace

void BezierDegreeElevation(Platform& window) {
  ModelState& model = Model();
  const int n = model.pointCount;
  const int r = model.degreeStep;
  if (n <= 0 || r < 0 || r > kMaxElevationStep || n + r > kMaxElevatedPoints) return;

  Point2 old[kMaxPoints];
  std::copy_n(model.points, n, old);
  BuildZeroBasedElevation(n, r);
  const Matrix& m = MatrixA();
  Point2 elevated[kMaxPoints];
  elevated[0] = old[0];
  for (int j = 1; j < n + r; ++j) {
    float x = 0.0f, y = 0.0f;
    for (int i = 0; i < n; ++i) {
      x = static_cast<float>(x + static_cast<double>(old[i].x) * m[i][j]);
      y = static_cast<float>(y + static_cast<double>(old[i].y) * m[i][j]);
    }
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    elevated[j] = Point2{x, y};
  }

  const bool keep = model.saveResults == 1;
  if (!keep) TakeSnapshot();
  std::copy_n(elevated, n + r, model.points);
  model.pointCount = n + r;
  DrawBezierCurve(window, kBlueMode);
  if (!keep) RestoreSnapshot();
}

}  // namespace tambra
