// The span kernel four samples at a time: lane L of every vector belongs to
// sample j + L and sees exactly the operations the one-sample kernel does
// for it, without fused multiply-adds (the target names no FMA and this
// file is built without contraction).
#include <cstring>

#include "numeric/knot_vector.h"
#include "spline/span_basis.h"

#if defined(__x86_64__)

#pragma GCC push_options
#pragma GCC target("avx2")
#include "spline/span_basis_kernel.h"

namespace tambra {

namespace {
typedef double Lanes4 __attribute__((vector_size(32)));
}  // namespace

void SpanBasisAvx2(const float* knots, int k, int s, const SampleGrid& grid, int begin, int end,
                   double* values) {
  span_kernel::SpanBasisLanes<Lanes4>(knots, k, s, grid, begin, end, values);
}

}  // namespace tambra
#pragma GCC pop_options

#else

namespace tambra {
void SpanBasisAvx2(const float*, int, int, const SampleGrid&, int, int, double*) {}  // never chosen
}  // namespace tambra

#endif
