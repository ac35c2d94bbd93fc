// The span kernel four samples at a time: lane L of every vector belongs to
// sample j + L and sees exactly the operations the one-sample kernel does
// for it, without fused multiply-adds (the target names no FMA and this
// file is built without contraction).
#include <cmath>
#include <cstring>

#include "base/model_state.h"
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
                   double* values, const SplineSums* sums) {
  span_kernel::SpanBasisLanes<Lanes4>(knots, k, s, grid, begin, end, values, sums);
}

void SplinePointsAvx2(const SplineSums& sums, int first, int terms, const double* basis, int width,
                      int begin, int end) {
  span_kernel::SplinePointLanes<Lanes4>(sums, first, terms, basis, width, begin, end);
}

}  // namespace tambra
#pragma GCC pop_options

#else

namespace tambra {
// Never chosen.
void SpanBasisAvx2(const float*, int, int, const SampleGrid&, int, int, double*,
                   const SplineSums*) {}
void SplinePointsAvx2(const SplineSums&, int, int, const double*, int, int, int) {}
}  // namespace tambra

#endif
