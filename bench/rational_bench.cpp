// The rational Bezier family's costs: one drag step of the rational curve
// (erased and redrawn per mouse move) and each polynomial approximation at
// the largest size it accepts, drawing included.
#include <benchmark/benchmark.h>

#include <cmath>

#include "base/canvas.h"
#include "base/model_state.h"
#include "rational/rational_display.h"
#include "resources/command_ids.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

// n control points on a wave across the window, weights rising smoothly from 1
// to 1.2 (weights that jump from point to point make the hybrid form's
// recursion overflow for long polygons, and the command is then refused).
void SetWave(int n) {
  ModelState& m = Model();
  for (int i = 0; i < n; ++i) {
    const float wave = static_cast<float>(std::sin(i * 0.3));
    m.points[i] = Point2{20.0f + 760.0f * i / n, 300.0f + 200.0f * wave};
    m.weights[i] = 1.0f + 0.2f * static_cast<float>(i) / static_cast<float>(n - 1);
  }
  m.pointCount = n;
}

// 100 points at grid 50, point 50 moving: the curve is erased in white and
// drawn again in black, as the window does for every mouse move.
void BM_RationalDragStep(benchmark::State& state) {
  ResetModelState();
  HeadlessPlatform window;
  window.Start(800, 600);
  ModelState& m = Model();
  SetWave(kMaxPoints);
  m.grid = static_cast<int>(state.range(0));
  m.curveKind = kRationalBezier;
  int step = 0;
  for (auto _ : state) {
    DrawRationalBezierCurve(window, kEraseMode);
    m.points[50] = Point2{300.0f + static_cast<float>(step % 40), 100.0f + (step % 23) * 10.0f};
    DrawRationalBezierCurve(window, kBlackMode);
    ++step;
  }
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}
BENCHMARK(BM_RationalDragStep)->Arg(50)->Unit(benchmark::kMicrosecond);

// One approximation command through the window, Save off so that every
// iteration starts from the same curve; the canvas is cleared beforehand
// only to check once that the command drew its result.
void RunApproximation(benchmark::State& state, int command, int n, int s, int r) {
  ResetModelState();
  HeadlessPlatform window;
  window.Start(800, 600);
  ModelState& m = Model();
  SetWave(n);
  m.approxDim = s;
  m.degreeStep = r;
  window.Canvas().Resize(800, 600);
  window.Command(command);
  if (window.Canvas().CountNonWhite() == 0) state.SkipWithError("the command was refused");
  for (auto _ : state) window.Command(command);
  benchmark::DoNotOptimize(window.Canvas().Data());
  state.counters["points"] = n;
  state.counters["dim"] = s;
  ResetModelState();
}

// n + s = 99 and n + r = 98: a 98 by 98 normal system.
void BM_ApproxLeastSquaresLargest(benchmark::State& state) {
  RunApproximation(state, kCmdApproxLeastSquares, 4, 95, 94);
}
BENCHMARK(BM_ApproxLeastSquaresLargest)->Unit(benchmark::kMillisecond);

// n + s - 1 = 99: a 96 by 96 normal system.
void BM_ApproxConsistentLargest(benchmark::State& state) {
  RunApproximation(state, kCmdApproxConsistent, 4, 96, 1);
}
BENCHMARK(BM_ApproxConsistentLargest)->Unit(benchmark::kMillisecond);

// d = 98 with 100 control points.
void BM_ApproxHybridLargest(benchmark::State& state) {
  RunApproximation(state, kCmdApproxHybrid, kMaxPoints, 99, 1);
}
BENCHMARK(BM_ApproxHybridLargest)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tambra
