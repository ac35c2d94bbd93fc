// The B-spline simulation on the largest cubic the knot storage takes: 96
// points and 100 knots (99 points of a cubic would need 103), the elevation
// of a 49-point quadratic, so that every error bound stays small and the
// whole reduction runs, including the drawing into an 800 by 600 canvas with
// the default grid of 50. Target: under 16 ms.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "base/model_state.h"
#include "resources/command_ids.h"
#include "spline/bspline_simulation.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

// The cubic of the quadratic with polygon p and knots 0,0,0,1,..,n-3,n-2 x3:
// every Bezier piece elevated, every inner knot doubled.
void ElevatedQuadratic(int n, std::vector<Point2>& q, std::vector<float>& u) {
  std::vector<Point2> p(n);
  for (int i = 0; i < n; ++i) p[i] = Point2{40.0f + 720.0f * i / (n - 1), i % 2 ? 200.0f : 400.0f};
  auto mid = [](Point2 a, Point2 b) { return Point2{(a.x + b.x) / 2, (a.y + b.y) / 2}; };
  auto third = [](Point2 a, Point2 b) { return Point2{(a.x + 2 * b.x) / 3, (a.y + 2 * b.y) / 3}; };
  q = {p[0]};
  u.assign(4, 0.0f);
  for (int j = 0; j + 2 < n; ++j) {
    const Point2 c0 = j == 0 ? p[0] : mid(p[j], p[j + 1]);
    const Point2 c2 = j + 3 == n ? p[n - 1] : mid(p[j + 1], p[j + 2]);
    q.push_back(third(c0, p[j + 1]));
    q.push_back(third(c2, p[j + 1]));
    if (j + 3 < n) u.insert(u.end(), 2, float(j + 1));
  }
  q.push_back(p[n - 1]);
  u.insert(u.end(), 4, float(n - 2));
}

void BM_BSplineSimulationCubic96(benchmark::State& state) {
  ResetModelState();
  HeadlessPlatform window;
  window.Start(800, 600);
  std::vector<Point2> q;
  std::vector<float> u;
  ElevatedQuadratic(49, q, u);
  ModelState& m = Model();
  m.curveKind = kBSpline;
  std::fill_n(m.weights, kMaxPoints, 1.0f);
  auto load = [&] {
    m.pointCount = int(q.size());
    m.order = 4;
    std::copy(q.begin(), q.end(), m.points);
    std::copy(u.begin(), u.end(), m.knots);
  };
  load();
  m.saveResults = 1;
  window.Command(kCmdBSplineSimulation);
  if (q.size() != 96 || u.size() != 100 || m.pointCount != 49) {
    state.SkipWithError("the command refused the input");
    return;
  }
  m.saveResults = 0;
  for (auto _ : state) {
    load();
    window.Command(kCmdBSplineSimulation);
    benchmark::DoNotOptimize(m.points[0]);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BSplineSimulationCubic96)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tambra
