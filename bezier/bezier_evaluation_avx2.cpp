// The de Casteljau kernel four parameters at a time: lane L of every vector
// belongs to sample i + L and sees exactly the operations the plain pass
// does for it (a double product of each of the two values, their sum, the
// sum rounded to float), without fused multiply-adds (this file is built
// with the AVX2 instructions only and without contraction).
#include <immintrin.h>

#include "bezier/bezier_evaluation.h"

namespace tambra {

#if defined(__x86_64__)

__attribute__((target("avx2"))) void BezierSamplesAvx2(const Point2* points, int count,
                                                       int segments, int begin, int end,
                                                       Point2* out) {
  // The values of one level, float-rounded but held as doubles.
  __m256d xs[kMaxPoints];
  __m256d ys[kMaxPoints];
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d divisor = _mm256_set1_pd(static_cast<double>(segments));
  for (int i = begin; i < end; i += 4) {
    // Lanes past `end` compute a harmless parameter and are not stored.
    const __m256d index = _mm256_set_pd(i + 3, i + 2, i + 1, i);
    const __m256d u = _mm256_cvtps_pd(_mm256_cvtpd_ps(_mm256_div_pd(index, divisor)));
    const __m256d s = _mm256_sub_pd(one, u);
    for (int j = 0; j < count; ++j) {
      xs[j] = _mm256_set1_pd(static_cast<double>(points[j].x));
      ys[j] = _mm256_set1_pd(static_cast<double>(points[j].y));
    }
    for (int level = 1; level < count; ++level) {
      __m256d x0 = xs[0], y0 = ys[0];
      for (int j = 0; j < count - level; ++j) {
        const __m256d x1 = xs[j + 1], y1 = ys[j + 1];
        const __m256d x = _mm256_add_pd(_mm256_mul_pd(s, x0), _mm256_mul_pd(u, x1));
        const __m256d y = _mm256_add_pd(_mm256_mul_pd(s, y0), _mm256_mul_pd(u, y1));
        xs[j] = _mm256_cvtps_pd(_mm256_cvtpd_ps(x));
        ys[j] = _mm256_cvtps_pd(_mm256_cvtpd_ps(y));
        x0 = x1;
        y0 = y1;
      }
    }
    alignas(16) float rx[4], ry[4];
    _mm_store_ps(rx, _mm256_cvtpd_ps(xs[0]));
    _mm_store_ps(ry, _mm256_cvtpd_ps(ys[0]));
    for (int lane = 0; lane < 4 && i + lane < end; ++lane) {
      out[i - begin + lane] = Point2{rx[lane], ry[lane]};
    }
  }
}

#else

void BezierSamplesAvx2(const Point2*, int, int, int, int, Point2*) {}  // never chosen

#endif

}  // namespace tambra
