// The basis values of a display's samples on a valid knot vector, span by
// span: the samples between two knots share their span, the knots of its
// triangle and the differences of those knots, and the vector kernels take
// them four or eight at a time. Each value is formed by the operations of
// BSplineBasisValues in their order, so it is the same bits.
#pragma once

#include "base/model_state.h"

namespace tambra {

// The parameters of the samples: t(j) = a + j * (b - a) / segments.
struct SampleGrid {
  double a, b;
  int segments;
  double At(int j) const { return a + j * (b - a) / segments; }
};

// What the curve points of samples are summed from, and where they go:
// the sums of the points (weighted, and divided by the weighted sum, when
// rational) with the sample's basis values, in double, in increasing index.
// A sample whose weighted sum is 0 or whose point is not finite is not
// drawn (drawn 0, point {0, 0}). `out` and `drawn` hold the first sample
// of the call.
struct SplineSums {
  const Point2* points;
  const float* weights;
  bool rational;
  Point2* out;
  unsigned char* drawn;
};

// BSplineBasisValues at t(j) for j = begin .. end - 1 into
// values + (j - begin) * order, the index of the first function into
// first[j - begin], and, unless `sums` is null, the curve points with them.
// The vector must be kKnotsValid for count and order; samples of a span
// u(s) <= t < u(s+1) with order - 1 <= s < count take the span path (the
// vector kernels where the CPU has them), any other sample (at the right
// end, or count below order) BSplineBasisValues itself.
void SplineBasisSamples(const float* knots, int count, int order, const SampleGrid& grid, int begin,
                        int end, int* first, double* values, const SplineSums* sums);

// The curve points of samples begin .. end - 1 that share their first
// function (first >= 0): `terms` values of sample j at basis + (j - begin) *
// width, for functions first on.
void SplinePoints(const SplineSums& sums, int first, int terms, const double* basis, int width,
                  int begin, int end);

// The kernels of the two: one sample at a time, four, or eight (which need
// AVX2, AVX-512). SpanBasis* evaluate samples all in span s: u(s) <= t(j) <
// u(s+1), k - 1 <= s, s + 1 within the vector.
void SpanBasisPlain(const float* knots, int k, int s, const SampleGrid& grid, int begin, int end,
                    double* values, const SplineSums* sums);
void SpanBasisAvx2(const float* knots, int k, int s, const SampleGrid& grid, int begin, int end,
                   double* values, const SplineSums* sums);
void SpanBasisAvx512(const float* knots, int k, int s, const SampleGrid& grid, int begin, int end,
                     double* values, const SplineSums* sums);
void SplinePointsPlain(const SplineSums& sums, int first, int terms, const double* basis, int width,
                       int begin, int end);
void SplinePointsAvx2(const SplineSums& sums, int first, int terms, const double* basis, int width,
                      int begin, int end);
void SplinePointsAvx512(const SplineSums& sums, int first, int terms, const double* basis,
                        int width, int begin, int end);

}  // namespace tambra
