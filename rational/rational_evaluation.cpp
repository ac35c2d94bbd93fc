#include "rational/rational_evaluation.h"

#include <algorithm>
#include <vector>

#include "numeric/coefficients.h"

namespace tambra {

namespace {

void PlainSamples(const Point2* points, const float* weights, int count, const double* basis,
                  int stride, int begin, int end, Point2* out, unsigned char* drawn) {
  for (int i = begin; i < end; ++i) {
    float w = 0.0f, x = 0.0f, y = 0.0f;
    for (int j = 0; j < count; ++j) {
      const float b = static_cast<float>(weights[j] * basis[j * stride + (i - 1)]);
      w = static_cast<float>(double(w) + b);
      x = static_cast<float>(x + double(b) * points[j].x);
      y = static_cast<float>(y + double(b) * points[j].y);
    }
    drawn[i - begin] = RationalQuotient(w, x, y, out[i - begin]) ? 1 : 0;
  }
}

}  // namespace

void RationalBasisTable::Build(int count, int segments) {
  count_ = -1;
  if (segments != segments_) {
    segments_ = -1;
    stride_ = (segments - 1 + 7) / 8 * 8;  // whole groups of eight
    powers_ = 0;
  }
  const int made = std::min(powers_, count);
  // Sample i's powers lie together, kMaxPoints of them, so that more
  // exponents fit in without moving those made before.
  const std::size_t powersSize = static_cast<std::size_t>(segments - 1) * kMaxPoints;
  if (uPowers_.size() != powersSize) uPowers_.assign(powersSize, 0.0);
  if (sPowers_.size() != powersSize) sPowers_.assign(powersSize, 0.0);
  values_.assign(static_cast<std::size_t>(stride_) * count, 0.0);
  double binomials[kMaxPoints];
  for (int j = 0; j < count; ++j) binomials[j] = Binomial(count - 1, j);
  // std::pow costs some 40 multiply-adds.
  const double work = (80.0 * (count - made) + 2.0 * count) * (segments - 1);
  ForSampleRanges(1, segments, work, [&](int begin, int end) {
    for (int i = begin; i < end; ++i) {
      const float t = static_cast<float>(static_cast<double>(i) / segments);
      const double u = t, s = 1.0 - u;
      double* us = &uPowers_[static_cast<std::size_t>(i - 1) * kMaxPoints];
      double* ss = &sPowers_[static_cast<std::size_t>(i - 1) * kMaxPoints];
      for (int j = made; j < count; ++j) {
        us[j] = std::pow(u, double(j));
        ss[j] = std::pow(s, double(j));
      }
      for (int j = 0; j < count; ++j) {
        values_[At(j, i)] = binomials[j] * us[j] * ss[count - 1 - j];
      }
    }
  });
  powers_ = std::max(powers_, count);
  segments_ = segments;
  count_ = count;
}

void RationalCurveSamples(const Point2* points, const float* weights, int count, int segments,
                          CurveSamples& out, RationalBasisTable& table) {
  out.Resize(segments);
  if (segments < 2) return;
  int stride = 0;
  const double* basis = table.Get(count, segments, stride);
  const bool vector = UseVectorEvaluation(), wide = UseWideEvaluation();
  ForSampleRanges(1, segments, 4.0 * count * (segments - 1), [&](int begin, int end) {
    Point2* to = out.points.data() + (begin - 1);
    unsigned char* drawn = out.drawn.data() + (begin - 1);
    if (wide) {
      RationalSamplesAvx512(points, weights, count, basis, stride, begin, end, to, drawn);
    } else if (vector) {
      RationalSamplesAvx2(points, weights, count, basis, stride, begin, end, to, drawn);
    } else {
      PlainSamples(points, weights, count, basis, stride, begin, end, to, drawn);
    }
  });
}

}  // namespace tambra
