// Every Bezier command through the window procedure at the largest polygon
// it accepts (found at start-up: the most points whose result the model
// keeps with Save on), drawing included, at grid 50 and at grid 9999.
// Targets: under 2 ms at grid 50, under 16 ms at grid 9999.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "base/model_state.h"
#include "bench_support.h"
#include "resources/command_ids.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

constexpr int kBezierCommands[] = {kCmdBezierElevation, kCmdReduceSimple, kCmdReduceEck,
                                   kCmdReduceLse,       kCmdReduceLseC0,  kCmdReduceLseC1,
                                   kCmdReduceLseC2};

// The model holding `count` points of the generic polygon, the first one
// moved `shift` to the right, degree step 1.
void SetPolygon(int count, int grid, bool save, float shift = 0.0f) {
  ModelState& m = Model();
  const std::vector<Point2> polygon = GenericPolygon(count);
  std::copy(polygon.begin(), polygon.end(), m.points);
  m.points[0].x += shift;
  m.pointCount = count, m.grid = grid, m.degreeStep = 1, m.saveResults = save;
}

// The largest count the command takes (its result kept), 0 if none.
int LargestAccepted(HeadlessPlatform& window, int command) {
  for (int count = kMaxPoints; count > 0; --count) {
    SetPolygon(count, 50, true);
    window.Command(command);
    if (Model().pointCount != count) return count;
  }
  return 0;
}

// Arguments: command id, grid. Save is off, so every run starts from the
// polygon it had, the Bezier curve shown; every other run moves the first
// point, so that no run finds the curve it draws kept from the run before.
void BM_BezierCommand(benchmark::State& state) {
  ResetModelState();
  HeadlessPlatform window;
  window.Start(800, 600);
  const int command = static_cast<int>(state.range(0));
  const int count = LargestAccepted(window, command);
  if (count == 0) state.SkipWithError("the command took no polygon");
  SetPolygon(count, static_cast<int>(state.range(1)), false);
  window.Command(kCmdBezier);
  int step = 0;
  for (auto _ : state) {
    SetPolygon(count, static_cast<int>(state.range(1)), false, static_cast<float>(step++ % 2));
    window.Command(command);
  }
  state.counters["points"] = count;
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}
BENCHMARK(BM_BezierCommand)
    ->ArgNames({"command", "grid"})
    ->ArgsProduct({{std::begin(kBezierCommands), std::end(kBezierCommands)}, {50, 9999}})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tambra
