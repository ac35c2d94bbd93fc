// The samples of the B-spline and NURBS displays: at t = a + i (b - a) /
// segments, [a, b] the parameter range u(k-1) .. u(n), the basis sum of the
// points (weighted and divided by the weighted sum when rational), in
// double, in increasing index.
#pragma once

#include <vector>

#include "base/curve_samples.h"
#include "base/model_state.h"

namespace tambra {

struct SplineSums;

// The basis values of every sample for one knot vector, order, point count
// and grid: they do not depend on the points or the weights, so a drag step
// or a weight change finds them ready.
class SplineBasisTable {
 public:
  // The values of sample i are Values(i)[0 .. width) for functions First(i)
  // on; First(i) < 0 when the sample has none.
  int First(int i) const { return first_[i - 1]; }
  const double* Values(int i) const { return values_.data() + std::size_t(i - 1) * width_; }
  int Width() const { return width_; }

  // Makes the values ready for these arguments. When they were not, and the
  // vector is valid, the curve points of `sums` (samples 1 on) are formed
  // with them and the result is true.
  bool Prepare(const float* knots, int count, int order, bool windowed, int segments,
               const SplineSums& sums);

 private:
  bool ready_ = false;
  PolylineKey key_;
  int width_ = 0;
  std::vector<int> first_;
  std::vector<double> values_;
};

// Samples 1 .. segments - 1 of `count` points of order `order` over knots
// that CheckKnotVector does not refuse; `windowed` when it finds them valid
// (non-decreasing), so that only the order's window of basis functions is
// evaluated at each t. A sample whose weighted sum is 0 or whose point is
// not finite is not drawn. The basis values are kept in `table` for the
// next call with the same knots, order and grid (a drag step). Evaluated
// afresh on a valid vector, the samples between two knots share the work of
// their span, four or eight at a time where the CPU has the vector
// instructions, and their points are formed with the values; the cores
// share the work where it pays; the same bits either way.
void SplineCurveSamples(const Point2* points, const float* weights, const float* knots, int count,
                        int order, bool windowed, bool rational, int segments, CurveSamples& out,
                        SplineBasisTable& table);

}  // namespace tambra
