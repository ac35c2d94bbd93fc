// The B-spline and NURBS displays at the largest grid against a plain
// double-precision evaluation of the same curve: the triangular basis of the
// span's k functions (one division per term), the span found per sample by
// binary search, the points summed in increasing index. The display is
// measured with its basis fresh (the grid changed since the last drawing, so
// nothing is kept) and kept (the same curve drawn again), both including the
// polygon and the polyline. Target: the fresh display no slower than the
// plain evaluation.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "base/canvas.h"
#include "base/model_state.h"
#include "bench_support.h"
#include "numeric/knot_vector.h"
#include "spline/spline_display.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

constexpr int kGrid = 9999;
// 55 points leave room for order 45 in the knot storage (n + k <= 100).
constexpr int kCount = 55;

using Display = void (*)(Platform&, int);

// Arguments: NURBS (0 or 1), order. Every iteration draws after a grid
// change, alternating between the largest grid and one below.
void BM_SplineDisplayFresh(benchmark::State& state) {
  HeadlessPlatform window;
  window.Start(800, 600);
  SetWavySplineCurve(kCount, static_cast<int>(state.range(1)));
  const Display draw = state.range(0) != 0 ? DrawNurbsCurve : DrawBSplineCurve;
  int step = 0;
  for (auto _ : state) {
    Model().grid = kGrid - (step++ % 2);
    draw(window, kBlackMode);
  }
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}

// The same curve drawn again: the samples are kept.
void BM_SplineDisplayKept(benchmark::State& state) {
  HeadlessPlatform window;
  window.Start(800, 600);
  SetWavySplineCurve(kCount, static_cast<int>(state.range(1)));
  Model().grid = kGrid;
  const Display draw = state.range(0) != 0 ? DrawNurbsCurve : DrawBSplineCurve;
  for (auto _ : state) draw(window, kBlackMode);
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}

// The textbook evaluation: the span s with u(s) <= t < u(s+1) by binary
// search (n - 1 at the right end), then the k nonzero functions by the
// triangle of left and right differences.
Point2 PlainPoint(const Point2* p, const float* w, const float* u, int n, int k, bool rational,
                  double t) {
  int s = n - 1;
  if (t < u[n]) s = static_cast<int>(std::upper_bound(u + k - 1, u + n + 1, t) - u) - 1;
  double basis[kKnotCapacity], left[kKnotCapacity], right[kKnotCapacity];
  basis[0] = 1.0;
  for (int j = 1; j < k; ++j) {
    left[j] = t - u[s + 1 - j];
    right[j] = u[s + j] - t;
    double saved = 0.0;
    for (int r = 0; r < j; ++r) {
      const double temp = basis[r] / (right[r + 1] + left[j - r]);
      basis[r] = saved + right[r + 1] * temp;
      saved = left[j - r] * temp;
    }
    basis[j] = saved;
  }
  double x = 0.0, y = 0.0, sum = 0.0;
  for (int r = 0; r < k; ++r) {
    const int i = s - k + 1 + r;
    const double b = rational ? basis[r] * w[i] : basis[r];
    x += p[i].x * b;
    y += p[i].y * b;
    sum += b;
  }
  if (rational) x /= sum, y /= sum;
  return Point2{static_cast<float>(x), static_cast<float>(y)};
}

void BM_SplinePlainEvaluation(benchmark::State& state) {
  SetWavySplineCurve(kCount, static_cast<int>(state.range(1)));
  const ModelState& m = Model();
  const bool rational = state.range(0) != 0;
  const int k = m.order;
  const double a = m.knots[k - 1], b = m.knots[kCount];
  std::vector<Point2> out(kGrid - 1);
  for (auto _ : state) {
    for (int j = 1; j < kGrid; ++j) {
      out[j - 1] =
          PlainPoint(m.points, m.weights, m.knots, kCount, k, rational, a + j * (b - a) / kGrid);
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  ResetModelState();
}

void FreshArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"nurbs", "k"})
      ->ArgsProduct({{0, 1}, {4, 20, 45}})
      ->MeasureProcessCPUTime()
      ->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_SplineDisplayFresh)->Apply(FreshArgs);
BENCHMARK(BM_SplineDisplayKept)->Apply(FreshArgs);
BENCHMARK(BM_SplinePlainEvaluation)->Apply(FreshArgs);

}  // namespace
}  // namespace tambra
