#include "rational/rational_elevation.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/canvas.h"
#include "base/model_state.h"
#include "base/snapshots.h"
#include "numeric/matrix.h"
#include "rational/elevated_sums.h"
#include "rational/rational_display.h"

namespace tambra {

Outcome RationalDegreeElevation(const CommandInput& input) {
  const ModelState& m = input.model;
  const int n = m.pointCount;
  const int r = m.degreeStep;
  if (n <= 0) return Outcome::Refused("Rational degree elevation needs a polygon; there are no points");
  if (r < 0) return Outcome::Refused("Rational degree elevation needs a Degree step of 0 or more");
  // n + r below 100, written so that a huge step cannot overflow the sum.
  if (r >= kMatrixSize - n) {
    return Outcome::Refused("Rational degree elevation gives at most 99 points; " +
                            std::to_string(n) + " points raised by " + std::to_string(r) +
                            " would give more");
  }

  Matrix& e = input.scratch.elevationMatrix;
  BuildElevationMatrix(e, n, r, 1, ElevationPrecision::kDouble);
  CurveCopy curve = CurrentCurve(m);
  for (int j = 1; j <= n + r; ++j) {
    // Sums rounded to single precision after every term.
    const auto [w, x, y] = SumElevatedColumn<float>(e, n, r, j, m.points, m.weights);
    curve.weights[j - 1] = w;
    const Point2 p{static_cast<float>(x / double(w)), static_cast<float>(y / double(w))};
    curve.points[j - 1] = p;
    if (w == 0.0f || !std::isfinite(w) || !std::isfinite(p.x) || !std::isfinite(p.y)) {
      return Outcome::Refused("Rational degree elevation: a new weight is 0 or a result is not finite");
    }
  }
  curve.pointCount = n + r;
  Outcome outcome;
  outcome.drawings.push_back(Drawing{curve, DrawRationalBezierCurve, kBlueMode});
  outcome.summary = "Rational degree elevation " + std::to_string(n) + " to " +
                    std::to_string(n + r) + " points";
  return outcome;
}

}  // namespace tambra
