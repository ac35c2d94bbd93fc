// The rational sums eight parameters at a time: lane L of every vector
// belongs to sample i + L and sees exactly the operations the plain loop
// does for it (each term formed in double and rounded to float, each sum
// rounded to float after every term), without fused multiply-adds (the
// target names no FMA and this file is built without contraction).
#include <immintrin.h>

#include "rational/rational_evaluation.h"

namespace tambra {

#if defined(__x86_64__)

namespace {

// Doubles rounded to float, eight at a time (the zero-masked form with
// every lane kept: the plain form reads an undefined register that the
// compiler warns about).
__attribute__((target("avx512f,avx512dq,avx512vl"))) inline __m256 Narrow(__m512d v) {
  return _mm512_maskz_cvtpd_ps(0xff, v);
}

// A double rounded to float and widened again, eight at a time.
__attribute__((target("avx512f,avx512dq,avx512vl"))) inline __m512d ToFloat(__m512d v) {
  return _mm512_maskz_cvtps_pd(0xFF, Narrow(v));
}

}  // namespace

__attribute__((target("avx512f,avx512dq,avx512vl"))) void RationalSamplesAvx512(
    const Point2* points, const float* weights, int count, const double* basis, int stride,
    int begin, int end, Point2* out, unsigned char* drawn) {
  for (int i = begin; i < end; i += 8) {
    __m512d w = _mm512_setzero_pd(), x = w, y = w;
    const double* column = basis + (i - 1);
    for (int j = 0; j < count; ++j) {
      const __m512d weight = _mm512_set1_pd(static_cast<double>(weights[j]));
      const __m512d b = ToFloat(_mm512_mul_pd(weight, _mm512_loadu_pd(column + j * stride)));
      w = ToFloat(_mm512_add_pd(w, b));
      x = ToFloat(_mm512_add_pd(x, _mm512_mul_pd(b, _mm512_set1_pd(double(points[j].x)))));
      y = ToFloat(_mm512_add_pd(y, _mm512_mul_pd(b, _mm512_set1_pd(double(points[j].y)))));
    }
    alignas(32) float ws[8], xs[8], ys[8];
    _mm256_store_ps(ws, Narrow(w));
    _mm256_store_ps(xs, Narrow(x));
    _mm256_store_ps(ys, Narrow(y));
    for (int lane = 0; lane < 8 && i + lane < end; ++lane) {
      const int at = i - begin + lane;
      drawn[at] = RationalQuotient(ws[lane], xs[lane], ys[lane], out[at]) ? 1 : 0;
    }
  }
}

#else

void RationalSamplesAvx512(const Point2*, const float*, int, const double*, int, int, int, Point2*,
                           unsigned char*) {}  // never chosen

#endif

}  // namespace tambra
