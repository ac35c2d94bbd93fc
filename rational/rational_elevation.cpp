#include "rational/rational_elevation.h"

#include <algorithm>
#include <cmath>

#include "base/canvas.h"
#include "base/model_state.h"
#include "base/snapshots.h"
#include "numeric/matrix.h"
#include "rational/elevated_sums.h"
#include "rational/rational_display.h"

namespace tambra {

void RationalDegreeElevation(Platform& window) {
  ModelState& m = Model();
  const int n = m.pointCount;
  const int r = m.degreeStep;
  // n + r below 100, written so that a huge step cannot overflow the sum.
  if (n <= 0 || r < 0 || r >= kMatrixSize - n) return;

  BuildElevationMatrix(n, r);
  const Matrix& e = ElevationMatrix();
  Point2 points[kMaxPoints];
  float weights[kMaxPoints];
  for (int j = 1; j <= n + r; ++j) {
    // Sums rounded to single precision after every term.
    const auto [w, x, y] = SumElevatedColumn<float>(e, n, r, j, m.points, m.weights);
    weights[j - 1] = w;
    points[j - 1] = Point2{static_cast<float>(x / double(w)), static_cast<float>(y / double(w))};
    if (w == 0.0f || !std::isfinite(w) || !std::isfinite(points[j - 1].x) ||
        !std::isfinite(points[j - 1].y)) {
      return;
    }
  }

  CurveResult result;
  std::copy_n(points, n + r, m.points);
  std::copy_n(weights, n + r, m.weights);
  m.pointCount = n + r;
  DrawRationalBezierCurve(window, kBlueMode);
}

}  // namespace tambra
