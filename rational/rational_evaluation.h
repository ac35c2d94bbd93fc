// The samples of the rational Bezier display: at t = i / segments (rounded
// to float) the weighted Bernstein sum over the weight sum, the sums in
// single precision, each term formed in double.
#pragma once

#include <cmath>

#include "base/curve_samples.h"
#include "base/model_state.h"

namespace tambra {

// Samples 1 .. segments - 1 of the curve of `count` (1 .. kMaxPoints) points
// and weights; a sample whose weight sum is 0 or whose quotient is not
// finite is not drawn. The vector kernel and the cores where they pay, the
// same bits either way.
void RationalCurveSamples(const Point2* points, const float* weights, int count, int segments,
                          CurveSamples& out);

// The end of every sample: the quotient of the sums; false (and the origin)
// when the weight sum is 0 or the quotient is not finite.
inline bool RationalQuotient(float w, float x, float y, Point2& out) {
  out = Point2{0.0f, 0.0f};
  if (w == 0.0f) return false;
  const Point2 q{static_cast<float>(x / double(w)), static_cast<float>(y / double(w))};
  if (!std::isfinite(q.x) || !std::isfinite(q.y)) return false;
  out = q;
  return true;
}

// Samples begin .. end - 1 into out[i - begin] and drawn[i - begin], four
// parameters per vector, from basis[j * stride + i - 1], the Bernstein value
// of point j at sample i (readable up to a whole group of eight past end).
// Needs a CPU with AVX2.
void RationalSamplesAvx2(const Point2* points, const float* weights, int count, const double* basis,
                         int stride, int begin, int end, Point2* out, unsigned char* drawn);
// The same eight parameters per vector. Needs a CPU with AVX-512 (F, DQ, VL).
void RationalSamplesAvx512(const Point2* points, const float* weights, int count,
                           const double* basis, int stride, int begin, int end, Point2* out,
                           unsigned char* drawn);

}  // namespace tambra
