// The samples of the B-spline and NURBS displays: at t = a + i (b - a) /
// segments, [a, b] the parameter range u(k-1) .. u(n), the basis sum of the
// points (weighted and divided by the weighted sum when rational), in
// double, in increasing index.
#pragma once

#include "base/curve_samples.h"
#include "base/model_state.h"

namespace tambra {

// Samples 1 .. segments - 1 of `count` points of order `order` over knots
// that CheckKnotVector does not refuse; `windowed` when it finds them valid
// (non-decreasing), so that only the order's window of basis functions is
// evaluated at each t. A sample whose weighted sum is 0 or whose point is
// not finite is not drawn. The basis values are kept for the next call with
// the same knots, order and grid (a drag step). Evaluated afresh on a valid
// vector, the samples between two knots share the work of their span, four
// or eight at a time where the CPU has the vector instructions, and their
// points are formed with the values; the cores share the work where it
// pays; the same bits either way.
void SplineCurveSamples(const Point2* points, const float* weights, const float* knots, int count,
                        int order, bool windowed, bool rational, int segments, CurveSamples& out);

}  // namespace tambra
