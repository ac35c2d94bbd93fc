// The cost of one point-drag step with a Bezier curve shown (the curve is
// erased and redrawn per mouse move) and the start-up of a replay session.
#include <benchmark/benchmark.h>

#include <cmath>
#include <sstream>

#include "base/model_state.h"
#include "resources/command_ids.h"
#include "tools/headless_platform.h"
#include "tools/replay.h"

namespace tambra {
namespace {

// 100 control points on a wave across the window, Bezier chosen, grid 50,
// point 50 picked; every iteration is one mouse move with the left button.
void BM_BezierDragStep(benchmark::State& state) {
  ResetModelState();
  HeadlessPlatform window;
  window.Start(800, 600);
  ModelState& m = Model();
  for (int i = 0; i < kMaxPoints; ++i) {
    m.points[i] = Point2{20.0f + 7.5f * i, 300.0f + 200.0f * static_cast<float>(std::sin(i * 0.3))};
  }
  m.pointCount = kMaxPoints;
  m.grid = static_cast<int>(state.range(0));
  window.Command(kCmdBezier);
  const Point2 picked = m.points[50];
  window.Send(MouseMessage(MessageKind::kLeftDown, static_cast<int>(picked.x),
                           static_cast<int>(picked.y), kLeftButtonFlag));
  if (m.pickActive != 1) state.SkipWithError("the point was not picked");
  int step = 0;
  for (auto _ : state) {
    const int x = 300 + (step % 40);
    const int y = 100 + (step % 23) * 10;
    window.Send(MouseMessage(MessageKind::kMouseMove, x, y, kLeftButtonFlag));
    ++step;
  }
  benchmark::DoNotOptimize(window.Canvas().Data());
  state.counters["points"] = m.pointCount;
  ResetModelState();
}
BENCHMARK(BM_BezierDragStep)->Arg(50)->Unit(benchmark::kMicrosecond);

// A whole replay run of an empty script: model reset, window creation and
// size (an 800 by 600 canvas), nothing else.
void BM_ReplayStartup(benchmark::State& state) {
  for (auto _ : state) {
    std::istringstream script("");
    std::ostringstream out, err;
    benchmark::DoNotOptimize(RunReplay(script, "empty", out, err));
  }
  ResetModelState();
}
BENCHMARK(BM_ReplayStartup)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tambra
