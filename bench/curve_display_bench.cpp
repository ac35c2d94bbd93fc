// The four curve displays through the window procedure: one point-drag step
// (the curve erased, the point moved, the curve drawn again) and a full
// repaint (white canvas, paint message), at grid 50 and at the largest grid.
// Targets: a drag step at grid 50 under 0.2 ms, at grid 9999 under 16 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "base/canvas.h"
#include "base/curve_samples.h"
#include "base/model_state.h"
#include "bezier/bezier_evaluation.h"
#include "resources/command_ids.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

constexpr int kChooseCommand[] = {kCmdBezier, kCmdRationalBezier, kCmdBSpline, kCmdNurbs};

// The display `kind` (0 Bezier, 1 rational, 2 B-spline, 3 NURBS) of a wave
// across an 800 by 600 window: 100 points (96 of order 4 for the splines,
// the most the knot storage holds), weights between 0.5 and 2, clamped
// uniform knots, the given grid.
void StartCurve(HeadlessPlatform& window, int kind, int grid) {
  ResetModelState();
  window.Start(800, 600);
  ModelState& m = Model();
  const int n = kind >= 2 ? kMaxPoints - 4 : kMaxPoints;
  for (int i = 0; i < n; ++i) {
    const float x = 20.0f + 760.0f * static_cast<float>(i) / static_cast<float>(n - 1);
    m.points[i] = Point2{x, 300.0f + 200.0f * static_cast<float>(std::sin(i * 0.3))};
    m.weights[i] = 1.25f + 0.75f * static_cast<float>(std::cos(i * 0.7));
  }
  for (int i = 0; i < n + m.order; ++i) {
    m.knots[i] = static_cast<float>(std::clamp(i - m.order + 1, 0, n - m.order + 1));
  }
  m.pointCount = n;
  m.grid = grid;
  window.Command(kChooseCommand[kind]);
}

// Arguments: display, grid. Point 50 is picked; every iteration is one
// mouse move with the left button.
void BM_CurveDragStep(benchmark::State& state) {
  HeadlessPlatform window;
  StartCurve(window, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const Point2 picked = Model().points[50];
  window.Send(MouseMessage(MessageKind::kLeftDown, static_cast<int>(picked.x),
                           static_cast<int>(picked.y), kLeftButtonFlag));
  if (Model().pickActive != 1) state.SkipWithError("the point was not picked");
  int step = 0;
  for (auto _ : state) {
    const int x = 300 + (step % 40), y = 100 + (step % 23) * 10;
    window.Send(MouseMessage(MessageKind::kMouseMove, x, y, kLeftButtonFlag));
    ++step;
  }
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}

// The whole picture drawn again on a white canvas, the model unchanged.
void BM_CurveRepaint(benchmark::State& state) {
  HeadlessPlatform window;
  StartCurve(window, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    ClearCanvas(window, 800, 600);
    window.Send(Message{MessageKind::kPaint});
  }
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}

// The same after a grid change: nothing kept from the drawing before.
void BM_CurveRepaintNewGrid(benchmark::State& state) {
  HeadlessPlatform window;
  StartCurve(window, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  int step = 0;
  for (auto _ : state) {
    Model().grid = static_cast<int>(state.range(1)) - (step++ % 2);
    ClearCanvas(window, 800, 600);
    window.Send(Message{MessageKind::kPaint});
  }
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}

// The same after a point-count change (one point more or fewer).
void BM_CurveRepaintNewCount(benchmark::State& state) {
  HeadlessPlatform window;
  StartCurve(window, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const int count = Model().pointCount;
  int step = 0;
  for (auto _ : state) {
    Model().pointCount = count - (step++ % 2);
    ClearCanvas(window, 800, 600);
    window.Send(Message{MessageKind::kPaint});
  }
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}

void DisplayArgs(benchmark::internal::Benchmark* b, std::initializer_list<int> grids) {
  b->ArgNames({"display", "grid"})->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
  for (int kind = 0; kind < 4; ++kind) {
    for (int grid : grids) b->Args({kind, grid});
  }
}
BENCHMARK(BM_CurveDragStep)->Apply([](auto* b) { DisplayArgs(b, {50, 4096, 9999}); });
BENCHMARK(BM_CurveRepaint)->Apply([](auto* b) { DisplayArgs(b, {4096, 9999}); });
BENCHMARK(BM_CurveRepaintNewGrid)->Apply([](auto* b) { DisplayArgs(b, {50, 9999}); });
BENCHMARK(BM_CurveRepaintNewCount)->Apply([](auto* b) { DisplayArgs(b, {50, 9999}); });

// The Bezier samples alone, plain or vector, in one thread or two: where
// a thread starts to pay. Arguments: points, grid, plain, threads.
void BM_BezierSamples(benchmark::State& state) {
  const std::vector<Point2> points = [] {
    HeadlessPlatform window;
    StartCurve(window, 0, 50);
    return std::vector<Point2>(Model().points, Model().points + kMaxPoints);
  }();
  ForcePlainEvaluation(state.range(2) != 0);
  SetSampleThreads(static_cast<int>(state.range(3)));
  CurveSamples samples;
  const int count = static_cast<int>(state.range(0)), grid = static_cast<int>(state.range(1));
  for (auto _ : state) BezierCurveSamples(points.data(), count, grid, samples);
  benchmark::DoNotOptimize(samples.points.data());
  ForcePlainEvaluation(false);
  SetSampleThreads(0);
  ResetModelState();
}
BENCHMARK(BM_BezierSamples)
    ->ArgNames({"n", "grid", "plain", "threads"})
    ->ArgsProduct({{10, 100}, {50, 200, 1000, 9999}, {0, 1}, {1, 2}})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tambra
