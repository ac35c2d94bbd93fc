// The curvature of a curve in double from exact derivatives: the hodograph
// of a Bezier curve, the derivative basis of a spline, the quotient rule
// for rational curves; never finite differences.
#pragma once

#include <vector>

#include "base/curve_deviation.h"

namespace tambra {

// One tooth of a curvature comb: at parameter t (the curve's own), the
// curve point, the unit normal (the tangent turned a quarter to the left)
// and the signed curvature.
struct CombTooth {
  double t;
  double x, y;
  double nx, ny;
  double kappa;
};

// Teeth at `perSpan` + 1 parameters in every non-empty knot span (a Bezier
// curve is one span), ends included, each span's teeth its own run (a
// break at a knot shows as a jump). A parameter where the first derivative
// vanishes, the weights sum to 0 or a value is not finite has no tooth.
// Empty when the curve cannot be evaluated.
std::vector<std::vector<CombTooth>> CurvatureComb(const MeasuredCurve& curve, int perSpan);

}  // namespace tambra
