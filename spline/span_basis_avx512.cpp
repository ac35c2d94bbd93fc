// The span kernel eight samples at a time: lane L of every vector belongs to
// sample j + L and sees exactly the operations the one-sample kernel does
// for it, without fused multiply-adds (this file is built without
// contraction, so the FMA instructions AVX-512 brings are never used).
#include <cmath>
#include <cstring>

#include "base/model_state.h"
#include "numeric/knot_vector.h"
#include "spline/span_basis.h"

#if defined(__x86_64__)

#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx512vl")
#include "spline/span_basis_kernel.h"

namespace tambra {

namespace {
typedef double Lanes8 __attribute__((vector_size(64)));
}  // namespace

void SpanBasisAvx512(const float* knots, int k, int s, const SampleGrid& grid, int begin, int end,
                     double* values, const SplineSums* sums) {
  span_kernel::SpanBasisLanes<Lanes8>(knots, k, s, grid, begin, end, values, sums);
}

void SplinePointsAvx512(const SplineSums& sums, int first, int terms, const double* basis,
                        int width, int begin, int end) {
  span_kernel::SplinePointLanes<Lanes8>(sums, first, terms, basis, width, begin, end);
}

}  // namespace tambra
#pragma GCC pop_options

#else

namespace tambra {
// Never chosen.
void SpanBasisAvx512(const float*, int, int, const SampleGrid&, int, int, double*,
                     const SplineSums*) {}
void SplinePointsAvx512(const SplineSums&, int, int, const double*, int, int, int) {}
}  // namespace tambra

#endif
