#include "spline/spline_evaluation.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "numeric/bspline_basis.h"
#include "spline/span_basis.h"

namespace tambra {

namespace {

// The basis values of every sample for one knot vector, order, point count
// and grid: they do not depend on the points or the weights, so a drag step
// or a weight change finds them ready.
class BasisTable {
 public:
  // The values of sample i are Values(i)[0 .. width) for functions First(i)
  // on; First(i) < 0 when the sample has none.
  int First(int i) const { return first_[i - 1]; }
  const double* Values(int i) const { return values_.data() + std::size_t(i - 1) * width_; }

  void Prepare(const float* knots, int count, int order, bool windowed, int segments) {
    PolylineKey key;
    key.Add(knots, count + order);
    key.Add(count), key.Add(order), key.Add(windowed), key.Add(segments);
    if (ready_ && key == key_) return;
    ready_ = false;
    width_ = windowed ? order : count;
    // Every entry is written below.
    first_.resize(segments - 1);
    values_.resize(std::size_t(segments - 1) * width_);
    const SampleGrid grid{knots[order - 1], knots[count], segments};
    // A sample costs about order squared multiply-adds; on a decreasing
    // vector the terms below all count functions.
    const double work = (segments - 1.0) * order * (windowed ? order : count + order);
    ForSampleRanges(1, segments, work, [&](int begin, int end) {
      double* basis = values_.data() + std::size_t(begin - 1) * width_;
      if (windowed) {
        SplineBasisSamples(knots, count, order, grid, begin, end, first_.data() + (begin - 1),
                           basis);
        return;
      }
      for (int j = begin; j < end; ++j, basis += width_) {
        BSplineBasisEvery(knots, count, order, grid.At(j), basis);
        first_[j - 1] = 0;
      }
    });
    key_ = std::move(key);
    ready_ = true;
  }

 private:
  bool ready_ = false;
  PolylineKey key_;
  int width_ = 0;
  std::vector<int> first_;
  std::vector<double> values_;
};

// The curve point of sample j from its basis values. The terms outside the
// window are exact zeros that change no bit of the sums.
bool SplinePoint(const Point2* points, const float* weights, int count, int order, bool windowed,
                 bool rational, int first, const double* basis, Point2& out) {
  out = Point2{0.0f, 0.0f};
  if (first < 0) return false;
  const int terms = windowed ? std::min(order, count - first) : count;
  double x = 0.0, y = 0.0, w = 0.0;
  for (int r = 0; r < terms; ++r) {
    const int i = first + r;
    const double b = basis[r];
    if (rational) {
      x += points[i].x * b * weights[i];
      y += points[i].y * b * weights[i];
      w += weights[i] * b;
    } else {
      x += points[i].x * b;
      y += points[i].y * b;
    }
  }
  if (rational) {
    if (w == 0.0) return false;
    x /= w;
    y /= w;
  }
  const Point2 q{static_cast<float>(x), static_cast<float>(y)};
  if (!(std::isfinite(x) && std::isfinite(y) && std::isfinite(q.x) && std::isfinite(q.y))) {
    return false;
  }
  out = q;
  return true;
}

}  // namespace

void SplineCurveSamples(const Point2* points, const float* weights, const float* knots, int count,
                        int order, bool windowed, bool rational, int segments, CurveSamples& out) {
  out.Resize(segments);
  if (segments < 2) return;
  static BasisTable table;
  table.Prepare(knots, count, order, windowed, segments);
  const double work = (segments - 1.0) * 3.0 * (windowed ? order : count);
  ForSampleRanges(1, segments, work, [&](int begin, int end) {
    for (int j = begin; j < end; ++j) {
      out.drawn[j - 1] = SplinePoint(points, weights, count, order, windowed, rational,
                                     table.First(j), table.Values(j), out.points[j - 1]);
    }
  });
}

}  // namespace tambra
