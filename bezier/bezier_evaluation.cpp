#include "bezier/bezier_evaluation.h"

#include <algorithm>

namespace tambra {

namespace {

// One de Casteljau pass at t over a fresh copy of the control points, x and
// y kept apart so the inner loop vectorises; every intermediate value is
// stored in single precision.
Point2 EvaluateBezier(const Point2* points, int count, float t, float* xs, float* ys) {
  for (int j = 0; j < count; ++j) {
    xs[j] = points[j].x;
    ys[j] = points[j].y;
  }
  const double s = 1.0 - static_cast<double>(t);
  const double u = static_cast<double>(t);
  for (int level = 1; level < count; ++level) {
    for (int j = 0; j < count - level; ++j) {
      xs[j] = static_cast<float>(s * xs[j] + u * xs[j + 1]);
      ys[j] = static_cast<float>(s * ys[j] + u * ys[j + 1]);
    }
  }
  return Point2{xs[0], ys[0]};
}

void PlainSamples(const Point2* points, int count, int segments, int begin, int end, Point2* out) {
  float xs[kMaxPoints];
  float ys[kMaxPoints];
  for (int i = begin; i < end; ++i) {
    const float t = static_cast<float>(static_cast<double>(i) / segments);
    out[i - begin] = EvaluateBezier(points, count, t, xs, ys);
  }
}

}  // namespace

void BezierCurveSamples(const Point2* points, int count, int segments, CurveSamples& out) {
  out.Resize(segments);
  if (segments < 2) return;
  std::fill(out.drawn.begin(), out.drawn.end(), 1);
  const bool vector = UseVectorEvaluation(), wide = UseWideEvaluation();
  const double work = (segments - 1.0) * count * count;
  ForSampleRanges(1, segments, work, [&](int begin, int end) {
    Point2* to = out.points.data() + (begin - 1);
    if (wide) {
      BezierSamplesAvx512(points, count, segments, begin, end, to);
    } else if (vector) {
      BezierSamplesAvx2(points, count, segments, begin, end, to);
    } else {
      PlainSamples(points, count, segments, begin, end, to);
    }
  });
}

}  // namespace tambra
