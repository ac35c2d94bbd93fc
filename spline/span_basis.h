// The basis values of a display's samples on a valid knot vector, span by
// span: the samples between two knots share their span, the knots of its
// triangle and the differences of those knots, and the vector kernels take
// them four or eight at a time. Each value is formed by the operations of
// BSplineBasisValues in their order, so it is the same bits.
#pragma once

namespace tambra {

// The parameters of the samples: t(j) = a + j * (b - a) / segments.
struct SampleGrid {
  double a, b;
  int segments;
  double At(int j) const { return a + j * (b - a) / segments; }
};

// BSplineBasisValues at t(j) for j = begin .. end - 1 into
// values + (j - begin) * order, the index of the first function into
// first[j - begin]. The vector must be kKnotsValid for count and order;
// samples of a span u(s) <= t < u(s+1) with order - 1 <= s < count take the
// span path (the vector kernels where the CPU has them), any other sample
// (at the right end, or count below order) BSplineBasisValues itself.
void SplineBasisSamples(const float* knots, int count, int order, const SampleGrid& grid,
                        int begin, int end, int* first, double* values);

// The k values of samples begin .. end - 1 into values + (j - begin) * k,
// every t(j) in span s: u(s) <= t(j) < u(s+1), k - 1 <= s, s + 1 within the
// vector. One sample at a time, four, or eight (which need AVX2, AVX-512).
void SpanBasisPlain(const float* knots, int k, int s, const SampleGrid& grid, int begin, int end,
                    double* values);
void SpanBasisAvx2(const float* knots, int k, int s, const SampleGrid& grid, int begin, int end,
                   double* values);
void SpanBasisAvx512(const float* knots, int k, int s, const SampleGrid& grid, int begin, int end,
                     double* values);

}  // namespace tambra
