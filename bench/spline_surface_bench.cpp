// The B-spline and NURBS surface displays of a 32 by 32 net at grid 99
// (100 by 100 samples), orders 4 and 8, as the menu command draws them.
// Target: under 50 ms.
#include <benchmark/benchmark.h>

#include <cmath>

#include "base/canvas.h"
#include "base/model_state.h"
#include "surface/spline_surface.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

// A wavy 32 by 32 net in +-7.5 seen as the bicubic example is, weights
// between 0.5 and 2.
void SetNet(int order) {
  ResetModelState();
  ModelState& m = Model();
  m.objectMode = kSurfaces;
  m.netRows = m.netCols = 32;
  m.xOrder = m.yOrder = order;
  m.grid = 99;
  m.scale = 0.5f, m.tx = 424, m.ty = 300, m.tht = 30, m.phi = 60;
  for (int i = 0; i < 32; ++i) {
    for (int j = 0; j < 32; ++j) {
      m.net[i][j] = Point3{-7.5f + 15.0f * i / 31, -7.5f + 15.0f * j / 31,
                           static_cast<float>(2.0 * std::sin(i * 0.4) * std::cos(j * 0.3))};
      m.netWeights[i][j] = 1.25f + 0.75f * static_cast<float>(std::cos(i * 0.7 + j));
    }
  }
}

void BM_SplineSurfaceDisplay(benchmark::State& state) {
  HeadlessPlatform window;
  window.Start(800, 600);
  SetNet(static_cast<int>(state.range(1)));
  const auto draw = state.range(0) != 0 ? DrawNurbsSurface : DrawBSplineSurface;
  for (auto _ : state) {
    ClearCanvas(window, 800, 600);
    draw(window, kBlackMode);
  }
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}
BENCHMARK(BM_SplineSurfaceDisplay)
    ->ArgNames({"nurbs", "k"})
    ->Args({0, 4})
    ->Args({1, 4})
    ->Args({0, 8})
    ->Args({1, 8})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tambra
