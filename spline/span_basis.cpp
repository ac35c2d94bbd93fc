#include "spline/span_basis.h"

#include <algorithm>

#include "base/curve_samples.h"
#include "numeric/bspline_basis.h"
#include "spline/span_basis_kernel.h"

namespace tambra {

void SpanBasisPlain(const float* knots, int k, int s, const SampleGrid& grid, int begin, int end,
                    double* values) {
  span_kernel::SpanBasisLanes<double>(knots, k, s, grid, begin, end, values);
}

void SplineBasisSamples(const float* knots, int count, int order, const SampleGrid& grid,
                        int begin, int end, int* first, double* values) {
  const bool vector = UseVectorEvaluation(), wide = UseWideEvaluation();
  const float* const spanFrom = knots + order - 1;  // u(k-1) .. u(n) hold the curve's spans
  const float* const spanTo = knots + count + 1;
  int j = begin;
  while (j < end) {
    double* out = values + static_cast<long>(j - begin) * order;
    const double t = grid.At(j);
    // The interval u(s) <= t < u(s+1) within u(k-1) .. u(n); none at the
    // right end or beyond, nor when count < order leaves no such interval.
    const float* above = count >= order ? std::upper_bound(spanFrom, spanTo, t) : spanFrom;
    if (above == spanFrom || above == spanTo) {
      first[j - begin] = BSplineBasisValues(knots, count, order, t, out);
      ++j;
      continue;
    }
    const int s = static_cast<int>(above - knots) - 1;
    // The samples share the span up to the first t at or past u(s+1): t
    // does not decrease with j (each of its operations is monotone).
    int stop = j + 1, beyond = end;
    while (stop < beyond) {
      const int middle = stop + (beyond - stop) / 2;
      if (grid.At(middle) < *above) {
        stop = middle + 1;
      } else {
        beyond = middle;
      }
    }
    if (wide) {
      SpanBasisAvx512(knots, order, s, grid, j, stop, out);
    } else if (vector) {
      SpanBasisAvx2(knots, order, s, grid, j, stop, out);
    } else {
      SpanBasisPlain(knots, order, s, grid, j, stop, out);
    }
    std::fill(first + (j - begin), first + (stop - begin), s - order + 1);
    j = stop;
  }
}

}  // namespace tambra
