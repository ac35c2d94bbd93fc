#include "spline/span_basis.h"

#include <algorithm>

#include "base/curve_samples.h"
#include "numeric/bspline_basis.h"
#include "spline/span_basis_kernel.h"

namespace tambra {

void SpanBasisPlain(const float* knots, int k, int s, const SampleGrid& grid, int begin, int end,
                    double* values, const SplineSums* sums) {
  span_kernel::SpanBasisLanes<double>(knots, k, s, grid, begin, end, values, sums);
}

void SplinePointsPlain(const SplineSums& sums, int first, int terms, const double* basis, int width,
                       int begin, int end) {
  span_kernel::SplinePointLanes<double>(sums, first, terms, basis, width, begin, end);
}

void SplinePoints(const SplineSums& sums, int first, int terms, const double* basis, int width,
                  int begin, int end) {
  // A span of a sample or two (a small grid over many knots) fills no vector.
  if (end - begin < 3) {
    SplinePointsPlain(sums, first, terms, basis, width, begin, end);
  } else if (UseWideEvaluation()) {
    SplinePointsAvx512(sums, first, terms, basis, width, begin, end);
  } else if (UseVectorEvaluation()) {
    SplinePointsAvx2(sums, first, terms, basis, width, begin, end);
  } else {
    SplinePointsPlain(sums, first, terms, basis, width, begin, end);
  }
}

void SplineBasisSamples(const float* knots, int count, int order, const SampleGrid& grid, int begin,
                        int end, int* first, double* values, const SplineSums* sums) {
  const bool vector = UseVectorEvaluation(), wide = UseWideEvaluation();
  const float* const spanFrom = knots + order - 1;  // u(k-1) .. u(n) hold the curve's spans
  const float* const spanTo = knots + count + 1;
  // The sums from sample j on.
  const auto sumsFrom = [&](int j) {
    return SplineSums{sums->points, sums->weights, sums->rational, sums->out + (j - begin),
                      sums->drawn + (j - begin)};
  };
  int j = begin;
  while (j < end) {
    double* out = values + static_cast<long>(j - begin) * order;
    const double t = grid.At(j);
    // The interval u(s) <= t < u(s+1) within u(k-1) .. u(n); none at the
    // right end or beyond, nor when count < order leaves no such interval.
    const float* above = count >= order ? std::upper_bound(spanFrom, spanTo, t) : spanFrom;
    if (above == spanFrom || above == spanTo) {
      const int from = BSplineBasisValues(knots, count, order, t, out);
      first[j - begin] = from;
      if (sums != nullptr && from < 0) {
        sums->out[j - begin] = Point2{0.0f, 0.0f};
        sums->drawn[j - begin] = 0;
      } else if (sums != nullptr) {
        SplinePointsPlain(sumsFrom(j), from, std::min(order, count - from), out, order, j, j + 1);
      }
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
    SplineSums run{};
    if (sums != nullptr) run = sumsFrom(j);
    const SplineSums* runSums = sums != nullptr ? &run : nullptr;
    if (wide) {
      SpanBasisAvx512(knots, order, s, grid, j, stop, out, runSums);
    } else if (vector) {
      SpanBasisAvx2(knots, order, s, grid, j, stop, out, runSums);
    } else {
      SpanBasisPlain(knots, order, s, grid, j, stop, out, runSums);
    }
    std::fill(first + (j - begin), first + (stop - begin), s - order + 1);
    j = stop;
  }
}

}  // namespace tambra
