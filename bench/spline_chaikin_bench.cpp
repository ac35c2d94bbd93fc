// Chaikin's method, knot elevation and knot reduction at the largest sizes
// the storage takes, each including its drawing into an 800 by 600 canvas
// (the curves with the default grid of 50). Target: each under 16 ms.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "base/model_state.h"
#include "bench_support.h"
#include "resources/command_ids.h"
#include "spline/chaikin.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

// Runs the command on a fresh copy of the polygon every iteration with Save
// off. A first run with Save on checks that the command produced
// `expectedCount` points (Chaikin's method, which keeps the model, is
// checked through its kernel instead).
void RunCommand(benchmark::State& state, int command, int order, int count,
                int steps, int expectedCount) {
  ResetModelState();
  HeadlessPlatform window;
  window.Start(800, 600);
  const std::vector<Point2> polygon = GenericPolygon(count);
  ModelState& m = Model();
  m.order = order;
  m.chaikinSteps = steps;
  m.curveKind = kBSpline;

  m.saveResults = 1;
  m.pointCount = count;
  std::copy(polygon.begin(), polygon.end(), m.points);
  window.Command(command);
  const SplinePolygonResult bezier =
      UniformBSplineToBezier(polygon.data(), count, order, CommandScratch());
  const int produced = command == kCmdChaikin ? (bezier ? bezier->count : 0) : m.pointCount;
  if (produced != expectedCount) {
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

// Cubic, 36 points: 100 Bezier points, no pass fits.
void BM_ChaikinCubic36(benchmark::State& state) { RunCommand(state, kCmdChaikin, 4, 36, 5, 100); }
BENCHMARK(BM_ChaikinCubic36)->Unit(benchmark::kMicrosecond);

// Cubic, 10 points: 22 Bezier points, passes to 43 and 85.
void BM_ChaikinCubic10ThreePasses(benchmark::State& state) {
  RunCommand(state, kCmdChaikin, 4, 10, 5, 22);
}
BENCHMARK(BM_ChaikinCubic10ThreePasses)->Unit(benchmark::kMicrosecond);

// Quartic, 7 points: 13 Bezier points, passes to 25, 49 and 97.
void BM_ChaikinQuartic7(benchmark::State& state) { RunCommand(state, kCmdChaikin, 5, 7, 5, 13); }
BENCHMARK(BM_ChaikinQuartic7)->Unit(benchmark::kMicrosecond);

// Cubic, 49 points to 95: the largest refinement whose knots fit.
void BM_ChaikinElevation49(benchmark::State& state) {
  RunCommand(state, kCmdChaikinElevation, 4, 49, 1, 95);
}
BENCHMARK(BM_ChaikinElevation49)->Unit(benchmark::kMicrosecond);

// Cubic, 13 points refined three times: 23, 43, 83 (matrix accumulation).
void BM_ChaikinElevation13ThreePasses(benchmark::State& state) {
  RunCommand(state, kCmdChaikinElevation, 4, 13, 3, 83);
}
BENCHMARK(BM_ChaikinElevation13ThreePasses)->Unit(benchmark::kMicrosecond);

// Cubic, 95 points down to 49: a 49 by 49 normal matrix from 95 rows.
void BM_ChaikinReduction95(benchmark::State& state) {
  RunCommand(state, kCmdChaikinReduction, 4, 95, 1, 49);
}
BENCHMARK(BM_ChaikinReduction95)->Unit(benchmark::kMicrosecond);

// Quadratic, 96 points down to 49.
void BM_ChaikinQuadraticReduction96(benchmark::State& state) {
  RunCommand(state, kCmdChaikinReduction, 3, 96, 1, 49);
}
BENCHMARK(BM_ChaikinQuadraticReduction96)->Unit(benchmark::kMicrosecond);

// Cubic, 83 points down three times to 13.
void BM_ChaikinReduction83ThreePasses(benchmark::State& state) {
  RunCommand(state, kCmdChaikinReduction, 4, 83, 3, 13);
}
BENCHMARK(BM_ChaikinReduction83ThreePasses)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tambra
