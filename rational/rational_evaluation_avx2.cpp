// The rational sums four parameters at a time: lane L of every vector
// belongs to sample i + L and sees exactly the operations the plain loop
// does for it (each term formed in double and rounded to float, each sum
// rounded to float after every term), without fused multiply-adds (this
// file is built with the AVX2 instructions only and without contraction).
#include <immintrin.h>

#include "rational/rational_evaluation.h"

namespace tambra {

#if defined(__x86_64__)

namespace {

// A double rounded to float and widened again, four at a time.
__attribute__((target("avx2"))) inline __m256d ToFloat(__m256d v) {
  return _mm256_cvtps_pd(_mm256_cvtpd_ps(v));
}

}  // namespace

__attribute__((target("avx2"))) void RationalSamplesAvx2(const Point2* points, const float* weights,
                                                         int count, const double* basis, int stride,
                                                         int begin, int end, Point2* out,
                                                         unsigned char* drawn) {
  for (int i = begin; i < end; i += 4) {
    __m256d w = _mm256_setzero_pd(), x = w, y = w;
    const double* column = basis + (i - 1);
    for (int j = 0; j < count; ++j) {
      const __m256d weight = _mm256_set1_pd(static_cast<double>(weights[j]));
      const __m256d b = ToFloat(_mm256_mul_pd(weight, _mm256_loadu_pd(column + j * stride)));
      w = ToFloat(_mm256_add_pd(w, b));
      x = ToFloat(_mm256_add_pd(x, _mm256_mul_pd(b, _mm256_set1_pd(double(points[j].x)))));
      y = ToFloat(_mm256_add_pd(y, _mm256_mul_pd(b, _mm256_set1_pd(double(points[j].y)))));
    }
    alignas(16) float ws[4], xs[4], ys[4];
    _mm_store_ps(ws, _mm256_cvtpd_ps(w));
    _mm_store_ps(xs, _mm256_cvtpd_ps(x));
    _mm_store_ps(ys, _mm256_cvtpd_ps(y));
    for (int lane = 0; lane < 4 && i + lane < end; ++lane) {
      const int at = i - begin + lane;
      drawn[at] = RationalQuotient(ws[lane], xs[lane], ys[lane], out[at]) ? 1 : 0;
    }
  }
}

#else

void RationalSamplesAvx2(const Point2*, const float*, int, const double*, int, int, int, Point2*,
                         unsigned char*) {}  // never chosen

#endif

}  // namespace tambra
