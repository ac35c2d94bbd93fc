// Bezier degree elevation and least-squares reduction at the largest sizes
// the model takes: the commands, each including its drawing into an 800 by
// 600 canvas, and their kernels alone. Targets: a reduction under 20 ms, an
// elevation under 1 ms.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "base/model_state.h"
#include "bench_support.h"
#include "numeric/bezier_degree.h"
#include "resources/command_ids.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

// Runs the command on a fresh copy of the polygon every iteration, with
// Save off so that the model is restored after each run; fails the
// benchmark when the command did not produce `expectedCount` points.
void RunCommand(benchmark::State& state, int command, int count, int step,
                int expectedCount) {
  ResetModelState();
  HeadlessPlatform window;
  window.Start(800, 600);
  const std::vector<Point2> polygon = GenericPolygon(count);
  ModelState& m = Model();
  m.degreeStep = step;

  // One run with Save on to check that the size is accepted.
  m.saveResults = 1;
  m.pointCount = count;
  std::copy(polygon.begin(), polygon.end(), m.points);
  window.Command(command);
  if (m.pointCount != expectedCount) {
    state.SkipWithError("the command refused the input");
    return;
  }

  m.saveResults = 0;
  for (auto _ : state) {
    m.pointCount = count;
    std::copy(polygon.begin(), polygon.end(), m.points);
    window.Command(command);
    benchmark::DoNotOptimize(m.points[0]);
    benchmark::ClobberMemory();
  }
}

// 54 points, one step down to 53: 2 * 53 - 8 = 98 unknowns, the largest
// system the solver takes.
void BM_LseC2DegreeReduction54(benchmark::State& state) {
  RunCommand(state, kCmdReduceLseC2, 54, 1, 53);
}
BENCHMARK(BM_LseC2DegreeReduction54)->Unit(benchmark::kMillisecond);

// 99 points, one step down: a 98 by 98 normal matrix.
void BM_LseDegreeReduction99(benchmark::State& state) {
  RunCommand(state, kCmdReduceLse, 99, 1, 98);
}
BENCHMARK(BM_LseDegreeReduction99)->Unit(benchmark::kMillisecond);

// 98 points raised by one: the largest elevation (n + r below 100).
void BM_BezierDegreeElevation98(benchmark::State& state) {
  RunCommand(state, kCmdBezierElevation, 98, 1, 99);
}
BENCHMARK(BM_BezierDegreeElevation98)->Unit(benchmark::kMicrosecond);

// The kernels alone, on the same polygons: what is left is drawing.
template <typename Kernel>
void RunKernel(benchmark::State& state, int count, Kernel kernel) {
  std::vector<Coords<2>> polygon;
  for (const Point2& p : GenericPolygon(count)) polygon.push_back({p.x, p.y});
  if (!kernel(polygon.data(), count)) state.SkipWithError("the kernel refused the input");
  for (auto _ : state) benchmark::DoNotOptimize(kernel(polygon.data(), count));
}

void BM_ReduceLseC2Kernel54(benchmark::State& state) {
  RunKernel(state, 54, [](const Coords<2>* p, int n) { return ReduceLseC2(p, n, 1, CommandScratch()); });
}
BENCHMARK(BM_ReduceLseC2Kernel54)->Unit(benchmark::kMillisecond);

void BM_ReduceLseKernel99(benchmark::State& state) {
  RunKernel(state, 99, [](const Coords<2>* p, int n) { return ReduceLse(p, n, 1, CommandScratch()); });
}
BENCHMARK(BM_ReduceLseKernel99)->Unit(benchmark::kMillisecond);

void BM_ElevateDegreeKernel98(benchmark::State& state) {
  RunKernel(state, 98, [](const Coords<2>* p, int n) { return ElevateDegree(p, n, 1, CommandScratch()); });
}
BENCHMARK(BM_ElevateDegreeKernel98)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tambra
