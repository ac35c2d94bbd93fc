// The surface degree commands and a corner conversion through the menu with
// Save off, each on the largest net it accepts with step 1.
#include <benchmark/benchmark.h>

#include <cmath>

#include "base/model_state.h"
#include "resources/command_ids.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

// Arguments: command, rows, columns, triangular.
void BM_SurfaceDegreeCommand(benchmark::State& state) {
  HeadlessPlatform window;
  window.Start(800, 600);
  ResetModelState();
  ModelState& m = Model();
  m.objectMode = kSurfaces;
  m.tx = 400, m.ty = 300;
  m.netRows = static_cast<int>(state.range(1));
  m.netCols = static_cast<int>(state.range(2));
  for (int i = 0; i < m.netRows; ++i) {
    for (int j = 0; j < m.netCols; ++j) {
      m.net[i][j] = Point3{0.1f * i - 5, 0.1f * j - 5, static_cast<float>(std::sin(0.2 * (i + j)))};
    }
  }
  m.triangles = static_cast<int>(state.range(3));
  if (m.triangles == 1) RepackTriangle();
  const int id = static_cast<int>(state.range(0));
  m.saveResults = 1;
  const int rows = m.netRows, cols = m.netCols;
  window.Command(id);  // one run kept, to see that the command is not refused
  const bool refused = m.netRows == rows && m.netCols == cols;
  m.saveResults = 0;
  m.netRows = rows, m.netCols = cols, m.triangles = static_cast<int>(state.range(3));
  if (m.triangles == 1) RepackTriangle();
  if (refused) return state.SkipWithError("the command was refused");
  for (auto _ : state) window.Command(id);
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}
BENCHMARK(BM_SurfaceDegreeCommand)
    ->ArgNames({"id", "rows", "cols", "tri"})
    ->Args({kCmdBezierElevation, 98, 98, 0})  // to 99 by 99
    ->Args({kCmdReduceSurfaces, 99, 99, 0})   // to 98 by 98
    ->Args({kCmdBezierElevation, 12, 12, 1})  // to 91 points
    ->Args({kCmdReduceSurfaces, 13, 13, 1})   // 91 points to 78
    ->Args({kCmdTriangularSE, 16, 16, 0})     // 31 rows, 496 points
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tambra
