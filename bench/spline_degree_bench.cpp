// The spline degree commands and the NURBS refinement through the menu with
// Save off, each on the largest curve it accepts. Target: under 16 ms each.
// The dumps go to a temporary folder made the current directory.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "base/model_state.h"
#include "bench_support.h"
#include "resources/command_ids.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

// The shared wavy spline curve, as a NURBS curve.
void SetCurve(int n, int k) {
  SetWavySplineCurve(n, k);
  Model().curveKind = kNurbs;
}

// Arguments: command, points, order, degree step, whether the curve is first
// elevated by the step (kept) so that a reduction applies.
void BM_SplineDegreeCommand(benchmark::State& state) {
  char folder[] = "/tmp/tambra-bench-XXXXXX";
  if (::mkdtemp(folder) == nullptr) return state.SkipWithError("no temporary folder");
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  HeadlessPlatform window;
  window.Start(800, 600);
  const int id = static_cast<int>(state.range(0));
  ModelState& m = Model();
  SetCurve(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
  m.degreeStep = static_cast<int>(state.range(3));
  m.saveResults = 1;
  if (state.range(4) != 0) window.Command(kCmdNurbsElevation);
  const int n = m.pointCount, k = m.order;
  window.Command(id);  // one run kept, to see that the command is not refused
  const bool refused = m.pointCount == n && m.order == k;
  if (state.range(4) != 0) window.Command(kCmdNurbsElevation);
  if (refused) {
    state.SkipWithError("the command was refused");
  } else {
    SetCurve(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    m.degreeStep = static_cast<int>(state.range(3));
    if (state.range(4) != 0) m.saveResults = 1, window.Command(kCmdNurbsElevation);
    m.saveResults = 0;
    state.counters["points"] = m.pointCount;
    for (auto _ : state) window.Command(id);
  }
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
  std::filesystem::current_path(old);
  std::filesystem::remove_all(folder);
}
// A cubic on S = n - 3 pieces shows how each command grows with the pieces;
// the last row of each command is the largest curve it accepts.
BENCHMARK(BM_SplineDegreeCommand)
    ->ArgNames({"id", "n", "k", "t", "elevated"})
    ->Args({kCmdNurbsElevation, 7, 4, 1, 0})
    ->Args({kCmdNurbsElevation, 14, 4, 1, 0})
    ->Args({kCmdNurbsElevation, 48, 48, 1, 0})  // one piece, 49 new points
    ->Args({kCmdNurbsElevation, 48, 2, 1, 0})   // 95 new points, 98 knots
    ->Args({kCmdNurbsElevation, 27, 4, 1, 0})   // 97 elevated Bezier points
    ->Args({kCmdNurbsReduction, 7, 4, 1, 1})
    ->Args({kCmdNurbsReduction, 14, 4, 1, 1})
    ->Args({kCmdNurbsReduction, 27, 4, 1, 1})  // 51 points of order 5, 97 Bezier points
    ->Args({kCmdNurbsReduction, 48, 2, 1, 1})  // 95 points of order 3, 95 Bezier points
    ->Args({kCmdNurbsSimulation, 13, 4, 1, 0})
    ->Args({kCmdNurbsSimulation, 25, 4, 1, 0})
    ->Args({kCmdNurbsSimulation, 49, 4, 1, 0})  // 95 refined points, 99 knots
    ->Args({kCmdNurbsSimulation, 49, 2, 1, 0})  // 97 refined points, 99 knots
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tambra
