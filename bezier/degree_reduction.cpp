// The six Bezier degree reductions as thin commands: each reads the current
// polygon, checks the counts its kernel (numeric/bezier_degree.h) needs so
// that a refusal can say which, runs the kernel and hands back the result to
// show in red.
#include "bezier/degree_reduction.h"

#include <string>

#include "base/canvas.h"
#include "base/curve_deviation.h"
#include "base/snapshots.h"
#include "bezier/kernel_polygon.h"

namespace tambra {

namespace {

// The sizes a reduction takes: its fewest new points, its most given points
// and the unknowns it solves for with m new points.
struct ReductionNeeds {
  const char* method;  // "LSE (C2)"; the command is its reduction
  int leastNew;
  int mostPoints;
  int (*unknowns)(int m);
  const char* failure;  // why the kernel may still give nothing
};

constexpr int kMostUnknowns = kMatrixSize - 1;

std::string Text(int value) { return std::to_string(value); }

// Why the counts refuse the reduction of n points to m, or "" when they do not.
// The user controls the curve and the Degree step, so the refusal speaks of
// those: the points the curve needs for this step, and the points it has.
std::string CountRefusal(const ReductionNeeds& needs, int n, int m) {
  const std::string method = needs.method;
  if (n > needs.mostPoints) {
    return method + " reduction takes a curve of at most " + Text(needs.mostPoints) +
           " points; this one has " + Text(n);
  }
  if (m > n) return method + " reduction needs a Degree step of 0 or more; it is " + Text(m - n);
  if (m < needs.leastNew) {
    return method + " lowering by " + Text(n - m) + " needs a curve of " +
           Text(needs.leastNew + n - m) + " points or more; this one has " + Text(n);
  }
  if (needs.unknowns != nullptr && needs.unknowns(m) > kMostUnknowns) {
    return method + " reduction solves for at most " + Text(kMostUnknowns) + " unknowns; " +
           Text(n) + " points need " + Text(needs.unknowns(m));
  }
  return "";
}

template <typename Kernel>
Outcome Reduce(const CommandInput& input, const ReductionNeeds& needs, int step, Kernel kernel) {
  const KernelInput p = PolygonOf(input.model);
  const std::string refusal = CountRefusal(needs, p.count, p.count - step);
  if (!refusal.empty()) return Outcome::Refused(refusal);
  Outcome outcome = PolygonOutcome(input.model, kernel(p), kRedMode,
                                   std::string(needs.method) + " reduction", needs.failure);
  if (outcome.refusal.empty()) {
    const CurveCopy before = CurrentCurve(input.model);
    AddDeviation(outcome, MaxDeviation({MeasuredCurve::Form::kBezier, before},
                                       {MeasuredCurve::Form::kBezier, outcome.drawings.back().curve}));
  }
  return outcome;
}

constexpr char kSingular[] = "the system is singular or the result is not finite";
constexpr char kEndDirection[] =
    "an end point equals its neighbour, the system is singular or the result is not finite";
constexpr char kEndCurvature[] =
    "an end point equals its neighbour, a second difference at an end is zero, the system is "
    "singular or the result is not finite";
constexpr char kNotFinite[] = "the result is not finite";

}  // namespace

Outcome LseDegreeReduction(const CommandInput& input) {
  static constexpr ReductionNeeds needs{"LSE", kLeastLseFree, 99, nullptr, kSingular};
  return Reduce(input, needs, input.model.degreeStep, [&](const KernelInput& p) {
    return ReduceLse(p.points, p.count, input.model.degreeStep, input.scratch);
  });
}

Outcome LseC0DegreeReduction(const CommandInput& input) {
  static constexpr ReductionNeeds needs{"LSE (C0)", kLeastLseC0, 99, nullptr, kSingular};
  return Reduce(input, needs, input.model.degreeStep, [&](const KernelInput& p) {
    return ReduceLseC0(p.points, p.count, input.model.degreeStep, input.scratch);
  });
}

Outcome LseC1DegreeReduction(const CommandInput& input) {
  static constexpr ReductionNeeds needs{"LSE (C1)", kLeastLseC1, kMaxPoints,
                                        [](int m) { return 2 * m - 6; }, kEndDirection};
  return Reduce(input, needs, input.model.degreeStep, [&](const KernelInput& p) {
    return ReduceLseC1(p.points, p.count, input.model.degreeStep, input.scratch);
  });
}

Outcome LseC2DegreeReduction(const CommandInput& input) {
  static constexpr ReductionNeeds needs{"LSE (C2)", kLeastLseC2, kMaxPoints,
                                        [](int m) { return 2 * m - 8; }, kEndCurvature};
  return Reduce(input, needs, input.model.degreeStep, [&](const KernelInput& p) {
    return ReduceLseC2(p.points, p.count, input.model.degreeStep, input.scratch);
  });
}

// Always one degree down, whatever degreeStep says.
Outcome SimpleDegreeReduction(const CommandInput& input) {
  static constexpr ReductionNeeds needs{"Simple", 3, 99, nullptr, kNotFinite};
  return Reduce(input, needs, 1, [&](const KernelInput& p) {
    return ReduceSimple(p.points, p.count, input.scratch);
  });
}

Outcome EckDegreeReduction(const CommandInput& input) {
  static constexpr ReductionNeeds needs{"Eck", 2, kMaxPoints, nullptr, kNotFinite};
  return Reduce(input, needs, 1,
                [](const KernelInput& p) { return ReduceEck(p.points, p.count); });
}

}  // namespace tambra
