// The de Casteljau kernel eight parameters at a time: lane L of every vector
// belongs to sample i + L and sees exactly the operations the plain pass
// does for it (a double product of each of the two values, their sum, the
// sum rounded to float), without fused multiply-adds (the target names no
// FMA and this file is built without contraction). A level's values are
// kept as floats, which they are, and widened where they are read.
#include <immintrin.h>

#include "bezier/bezier_evaluation.h"

namespace tambra {

#if defined(__x86_64__)

namespace {

// Doubles rounded to float, eight at a time (the zero-masked form with
// every lane kept: the plain form reads an undefined register that the
// compiler warns about).
__attribute__((target("avx512f,avx512dq,avx512vl"))) inline __m256 Narrow(__m512d v) {
  return _mm512_maskz_cvtpd_ps(0xff, v);
}

}  // namespace

__attribute__((target("avx512f,avx512dq,avx512vl"))) void BezierSamplesAvx512(
    const Point2* points, int count, int segments, int begin, int end, Point2* out) {
  __m256 xs[kMaxPoints];
  __m256 ys[kMaxPoints];
  const __m512d one = _mm512_set1_pd(1.0);
  const __m512d divisor = _mm512_set1_pd(static_cast<double>(segments));
  const __m512d lanes = _mm512_set_pd(7, 6, 5, 4, 3, 2, 1, 0);
  for (int i = begin; i < end; i += 8) {
    // Lanes past `end` compute a harmless parameter and are not stored.
    const __m512d index = _mm512_add_pd(_mm512_set1_pd(static_cast<double>(i)), lanes);
    const __m512d u = _mm512_maskz_cvtps_pd(0xFF, Narrow(_mm512_div_pd(index, divisor)));
    const __m512d s = _mm512_sub_pd(one, u);
    for (int j = 0; j < count; ++j) {
      xs[j] = _mm256_set1_ps(points[j].x);
      ys[j] = _mm256_set1_ps(points[j].y);
    }
    for (int level = 1; level < count; ++level) {
      __m512d x0 = _mm512_maskz_cvtps_pd(0xFF, xs[0]), y0 = _mm512_maskz_cvtps_pd(0xFF, ys[0]);
      for (int j = 0; j < count - level; ++j) {
        const __m512d x1 = _mm512_maskz_cvtps_pd(0xFF, xs[j + 1]),
                      y1 = _mm512_maskz_cvtps_pd(0xFF, ys[j + 1]);
        xs[j] = Narrow(_mm512_add_pd(_mm512_mul_pd(s, x0), _mm512_mul_pd(u, x1)));
        ys[j] = Narrow(_mm512_add_pd(_mm512_mul_pd(s, y0), _mm512_mul_pd(u, y1)));
        x0 = x1;
        y0 = y1;
      }
    }
    alignas(32) float rx[8], ry[8];
    _mm256_store_ps(rx, xs[0]);
    _mm256_store_ps(ry, ys[0]);
    for (int lane = 0; lane < 8 && i + lane < end; ++lane) {
      out[i - begin + lane] = Point2{rx[lane], ry[lane]};
    }
  }
}

#else

void BezierSamplesAvx512(const Point2*, int, int, int, int, Point2*) {}  // never chosen

#endif

}  // namespace tambra
