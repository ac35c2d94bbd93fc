// The span kernel eight samples at a time: lane L of every vector belongs to
// sample j + L and sees exactly the operations the one-sample kernel does
// for it, without fused multiply-adds (this file is built without
// contraction, so the FMA instructions AVX-512 brings are never used).
#include <cstring>

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
                   double* values) {
  span_kernel::SpanBasisLanes<Lanes8>(knots, k, s, grid, begin, end, values);
}

}  // namespace tambra
#pragma GCC pop_options

#else

namespace tambra {
void SpanBasisAvx512(const float*, int, int, const SampleGrid&, int, int, double*) {}  // never chosen
}  // namespace tambra

#endif
