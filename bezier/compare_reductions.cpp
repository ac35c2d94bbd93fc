#include "bezier/compare_reductions.h"

#include <string>
#include <vector>

#include "base/comparison.h"
#include "base/snapshots.h"
#include "bezier/bezier_display.h"
#include "bezier/degree_reduction.h"
#include "resources/command_ids.h"

namespace tambra {

Outcome CompareReductions(const CommandInput& input) {
  struct Method {
    const char* name;
    OutcomeCommand reduce;
  };
  static constexpr Method kMethods[] = {
      {"Simple", SimpleDegreeReduction},     {"Eck", EckDegreeReduction},
      {"LSE", LseDegreeReduction},           {"LSE (C0)", LseC0DegreeReduction},
      {"LSE (C1)", LseC1DegreeReduction},    {"LSE (C2)", LseC2DegreeReduction},
  };
  const std::string title = "Compare reductions";
  const std::string why = ComparisonRefusal(title, input.model.pointCount);
  if (!why.empty()) return Outcome::Refused(why);
  std::vector<MethodResult> results;
  for (const Method& method : kMethods) {
    const Outcome reduced = method.reduce(input);
    MethodResult result{method.name, reduced.refusal, std::nullopt};
    if (reduced.refusal.empty() && !reduced.drawings.empty()) {
      result.result = reduced.drawings.back().curve;
    }
    results.push_back(std::move(result));
  }
  const CurveCopy curve = CurrentCurve(input.model);
  return CompareMethods(title, kCmdCompareReductions, {MeasuredCurve::Form::kBezier, curve},
                        DrawBezierCurve, results);
}

}  // namespace tambra
