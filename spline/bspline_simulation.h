// Degree reduction of a clamped B-spline curve by exactly one degree, knot by
// knot: every Bezier piece is split off by knot insertion, reduced, and
// joined back by knot removal, while an error bound per knot is summed; the
// reduction stops as soon as a bound passes the tolerance. Points only: the
// weights are neither read nor changed.
#pragma once

#include "base/model_state.h"
#include "base/outcome.h"
#include "base/platform.h"

namespace tambra {

// The error bound, in pixels, that no knot may pass.
inline constexpr float kSimulationTolerance = 1000.0f;

enum SimulationStatus : int {
  kSimulationDone = 0,
  // A knot's error bound passed the tolerance (or was not a number).
  kSimulationBoundExceeded = 1,
  // The input cannot be reduced: an order below 3, a count below the order,
  // more than kMaxPoints points, n + k above the knot storage, knots that
  // are not finite, not non-decreasing or not clamped, an inner knot
  // repeated more than k - 1 times, or a result that is not finite.
  kSimulationRefused = 2,
};

struct ReducedSpline {
  int count = 0;
  int order = 0;
  Point2 points[kMaxPoints];
  // count + order knots, then the terminating 0.
  float knots[kMaxKnots];
};

// Reduces the curve of n points, order k and n + k knots. Writes `out` only
// when it returns kSimulationDone; the result always has fewer points and
// knots than the input.
[[nodiscard]] SimulationStatus ReduceBSplineByOneDegree(const Point2* points, int n, int order,
                                                        const float* knots, ReducedSpline& out);

// The menu command: the reduced curve, drawn as a NURBS curve in red, kept
// in the model only with Save on. When the reduction stops or is refused
// nothing is drawn and the model is left exactly as it was.
Outcome BSplineSimulation(const CommandInput& input);

}  // namespace tambra
