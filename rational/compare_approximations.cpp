#include "rational/compare_approximations.h"

#include <string>
#include <vector>

#include "base/comparison.h"
#include "base/snapshots.h"
#include "rational/polynomial_approximation.h"
#include "rational/rational_display.h"
#include "resources/command_ids.h"

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
  const std::string title = "Compare approximations";
  const std::string why = ComparisonRefusal(title, input.model.pointCount);
  if (!why.empty()) return Outcome::Refused(why);
  std::vector<MethodResult> results;
  results.push_back(FromCommand("Least squares", ApproxLeastSquares(input)));
  results.push_back(FromCommand("Consistent equation", ApproxConsistentEquation(input)));
  MethodResult hybrid{"Hybrid", "", CurrentCurve(input.model)};
  hybrid.refusal = HybridPolynomial(input.model, *hybrid.result);
  if (!hybrid.refusal.empty()) hybrid.result.reset();
  results.push_back(std::move(hybrid));
  const CurveCopy curve = CurrentCurve(input.model);
  return CompareMethods(title, kCmdCompareApproximations,
                        {MeasuredCurve::Form::kRationalBezier, curve}, DrawRationalBezierCurve,
                        results);
}

}  // namespace tambra
