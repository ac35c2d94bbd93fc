#include "rational/compare_approximations.h"

#include <vector>

#include "base/comparison.h"
#include "base/snapshots.h"
#include "rational/polynomial_approximation.h"
#include "rational/rational_display.h"

namespace tambra {

namespace {

MethodResult FromCommand(const char* name, const Outcome& outcome) {
  MethodResult result{name, outcome.refusal, std::nullopt};
  if (outcome.refusal.empty() && !outcome.drawings.empty()) {
    result.result = outcome.drawings.back().curve;
  }
  return result;
}

}  // namespace

Outcome CompareApproximations(const CommandInput& input) {
  std::vector<MethodResult> results;
  results.push_back(FromCommand("Least squares", ApproxLeastSquares(input)));
  results.push_back(FromCommand("Consistent equation", ApproxConsistentEquation(input)));
  MethodResult hybrid{"Hybrid", "", CurrentCurve(input.model)};
  hybrid.refusal = HybridPolynomial(input.model, *hybrid.result);
  if (!hybrid.refusal.empty()) hybrid.result.reset();
  results.push_back(std::move(hybrid));
  const CurveCopy curve = CurrentCurve(input.model);
  return CompareMethods("Compare approximations", {MeasuredCurve::Form::kRationalBezier, curve},
                        DrawRationalBezierCurve, results);
}

}  // namespace tambra
