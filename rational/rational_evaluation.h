// The samples of the rational Bezier display: at t = i / segments (rounded
// to float) the weighted Bernstein sum over the weight sum, the sums in
// single precision, each term formed in double.
#pragma once

#include <cmath>
#include <vector>

#include "base/curve_samples.h"
#include "base/model_state.h"

namespace tambra {

// The Bernstein values of every point at every sample of one polygon size
// and grid: they depend on neither the points nor the weights, so a drag
// step or a weight change finds them ready. The value is the one Bernstein
// gives, with C(count - 1, j) formed once per point rather than per term.
// The powers u^j and (1 - u)^j of every sample depend on the grid alone:
// they are kept for the grid and made only for exponents not made before,
// so a point more or fewer costs products rather than std::pow calls.
// Whatever it kept before, the values handed out are the same bits.
class RationalBasisTable {
 public:
  // basis[j * stride + i - 1]: the value of point j at sample i, for
  // samples 1 .. segments - 1 (segments >= 2); readable up to a whole group
  // of eight past the last sample.
  const double* Get(int count, int segments, int& stride) {
    if (count != count_ || segments != segments_) Build(count, segments);
    stride = stride_;
    return values_.data();
  }

 private:
  std::size_t At(int j, int i) const { return static_cast<std::size_t>(j) * stride_ + (i - 1); }
  void Build(int count, int segments);

  int count_ = -1, segments_ = -1, stride_ = 0, powers_ = 0;
  std::vector<double> values_, uPowers_, sPowers_;
};

// Samples 1 .. segments - 1 of the curve of `count` (1 .. kMaxPoints) points
// and weights; a sample whose weight sum is 0 or whose quotient is not
// finite is not drawn. The basis values come from `table` (kept there for
// the next call of the same count and grid). The vector kernel and the cores
// where they pay, the same bits either way.
void RationalCurveSamples(const Point2* points, const float* weights, int count, int segments,
                          CurveSamples& out, RationalBasisTable& table);

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
