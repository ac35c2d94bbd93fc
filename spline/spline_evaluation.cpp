#include "spline/spline_evaluation.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "numeric/bspline_basis.h"
#include "spline/span_basis.h"

namespace tambra {

bool SplineBasisTable::Prepare(const float* knots, int count, int order, bool windowed,
                               int segments, const SplineSums& sums) {
  PolylineKey key;
  key.Add(knots, count + order);
  key.Add(count), key.Add(order), key.Add(windowed), key.Add(segments);
  if (ready_ && key == key_) return false;
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
      const SplineSums from{sums.points, sums.weights, sums.rational, sums.out + (begin - 1),
                            sums.drawn + (begin - 1)};
      SplineBasisSamples(knots, count, order, grid, begin, end, first_.data() + (begin - 1), basis,
                         &from);
      return;
    }
    for (int j = begin; j < end; ++j, basis += width_) {
      BSplineBasisEvery(knots, count, order, grid.At(j), basis);
      first_[j - 1] = 0;
    }
  });
  key_ = std::move(key);
  ready_ = true;
  return windowed;
}

void SplineCurveSamples(const Point2* points, const float* weights, const float* knots, int count,
                        int order, bool windowed, bool rational, int segments, CurveSamples& out,
                        SplineBasisTable& table) {
  out.Resize(segments);
  if (segments < 2) return;
  const SplineSums sums{points, weights, rational, out.points.data(), out.drawn.data()};
  if (table.Prepare(knots, count, order, windowed, segments, sums)) return;
  const int width = table.Width();
  const double work = (segments - 1.0) * 3.0 * (windowed ? order : count);
  ForSampleRanges(1, segments, work, [&](int begin, int end) {
    // The samples of one span share their points; the terms outside the
    // window are exact zeros that change no bit of the sums.
    for (int j = begin, stop; j < end; j = stop) {
      const int first = table.First(j);
      for (stop = j + 1; stop < end && table.First(stop) == first;) ++stop;
      const SplineSums from{points, weights, rational, out.points.data() + (j - 1),
                            out.drawn.data() + (j - 1)};
      if (first < 0) {
        std::fill(from.out, from.out + (stop - j), Point2{0.0f, 0.0f});
        std::fill(from.drawn, from.drawn + (stop - j), 0);
        continue;
      }
      const int terms = windowed ? std::min(order, count - first) : count;
      SplinePoints(from, first, terms, table.Values(j), width, j, stop);
    }
  });
}

}  // namespace tambra
