// The cost of the B-spline and NURBS displays (one point-drag step, a high
// order) and of the knot commands on the largest curves they accept. Targets:
// a drag step under 1 ms, the order-50 display under 5 ms, a knot command
// under 16 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "base/canvas.h"
#include "base/model_state.h"
#include "bench_support.h"
#include "resources/command_ids.h"
#include "spline/spline_display.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

using Display = void (*)(Platform&, int);
Display DisplayOf(int rational) { return rational != 0 ? DrawNurbsCurve : DrawBSplineCurve; }

// One mouse move of a point drag with the curve shown: the curve is erased,
// the point moves, the curve is drawn again. 96 points is the most that order
// 4 leaves room for in the knot storage (n + k <= 100).
void BM_SplineDragStep(benchmark::State& state) {
  HeadlessPlatform window;
  window.Start(800, 600);
  SetWavySplineCurve(96, 4);
  const Display draw = DisplayOf(static_cast<int>(state.range(0)));
  ModelState& m = Model();
  int step = 0;
  for (auto _ : state) {
    draw(window, kEraseMode);
    m.points[50] = Point2{300.0f + static_cast<float>(step % 40), 100.0f + (step % 23) * 10.0f};
    draw(window, kBlackMode);
    ++step;
  }
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}
BENCHMARK(BM_SplineDragStep)->ArgName("nurbs")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The display of a curve of 50 points and order 50 (a single piece of
// degree 49, every basis function nonzero at every sample).
void BM_SplineDisplayOrder50(benchmark::State& state) {
  HeadlessPlatform window;
  window.Start(800, 600);
  SetWavySplineCurve(50, 50);
  const Display draw = DisplayOf(static_cast<int>(state.range(0)));
  for (auto _ : state) draw(window, kBlackMode);
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}
BENCHMARK(BM_SplineDisplayOrder50)->ArgName("nurbs")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A knot command through the menu with Save off (snapshot, operation, the
// result drawn, restore), so that every iteration starts from the same curve.
// Arguments: command, points, order, knot value. The insertions leave 99
// knots (the most the storage allows with its terminating entry); the
// deletions start from 100.
void BM_KnotCommand(benchmark::State& state) {
  HeadlessPlatform window;
  window.Start(800, 600);
  const int id = state.range(0) == 0 ? kCmdNurbsKnotInsert : kCmdNurbsKnotDelete;
  const int n = static_cast<int>(state.range(1));
  auto start = [&] {
    SetWavySplineCurve(n, static_cast<int>(state.range(2)));
    Model().curveKind = kNurbs;
    Model().insertKnot = static_cast<float>(state.range(3)) / 2.0f;
  };
  start();
  Model().saveResults = 1;  // one run kept, to see that the command is not refused
  window.Command(id);
  if (Model().pointCount == n) state.SkipWithError("the command was refused");
  start();
  for (auto _ : state) window.Command(id);
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}
BENCHMARK(BM_KnotCommand)
    ->ArgNames({"delete", "n", "k", "2u"})
    ->Args({0, 94, 4, 91})  // insert 45.5 into 94 points of order 4
    ->Args({0, 50, 48, 3})  // insert 1.5 into 50 points of order 48
    ->Args({1, 96, 4, 90})  // delete 45 from 96 points of order 4
    ->Args({1, 51, 49, 2})  // delete 1 from 51 points of order 49
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tambra
