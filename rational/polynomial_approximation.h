// Polynomial approximation of the current rational Bezier curve
// R(t) = X(t) / W(t) of n points, with s = approxDim.
#pragma once

#include <string>

#include "base/model_state.h"
#include "base/outcome.h"
#include "base/platform.h"

namespace tambra {

// The polynomial curve of n + degreeStep points fitted, in least squares,
// to the control points of R elevated by s degrees; drawn in red (weights
// 1). Refused when n < 3, s < 1, s < degreeStep, n + s or n + degreeStep
// above 99, a vanishing weight sum or a singular system.
Outcome ApproxLeastSquares(const CommandInput& input);

// The polynomial Q of s points that best satisfies Q(t) W(t) = X(t)
// coefficient by coefficient; drawn in red (weights 1). Refused when n < 3,
// s < 1, n + s - 1 above 99 or the system is singular.
Outcome ApproxConsistentEquation(const CommandInput& input);

// The hybrid form R(t) = Q(t) + B(h, 2h)(t) E(t), h = s / 2: the two
// halves of the polynomial part in blue, the error curve E (the weights of
// R) in black. Never changes the model. Refused when n < 3, s < 1, 2h above
// 99 or a weight it divides by is 0.
Outcome HybridBezierCurve(const CommandInput& input);

// The polynomial the hybrid form approximates R by: Q with its point h set
// to the error curve's value at t = 1/2, so that R(t) - Q(t) =
// B(h, 2h)(t) (E(t) - E(1/2)). Its 2h + 1 points (weights 1) go to
// `polynomial`; the result is "" or why there is none (as the command says).
std::string HybridPolynomial(const ModelState& model, CurveCopy& polynomial);

}  // namespace tambra
