// The surface patches' cost: Bezier > Bezier, RBezier > Rational Bezier,
// B-spline and NURBS (order 4) in Surfaces mode on a 32 by 32 net at the
// largest grid (100 by 100 samples), and the triangular patch of the largest triangular net at the
// same grid; control net and drawing included, as the window runs them.
#include <benchmark/benchmark.h>

#include <cmath>

#include "base/canvas.h"
#include "base/curve_samples.h"
#include "base/model_state.h"
#include "resources/command_ids.h"
#include "surface/surface_patch.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

// A wavy net spanning about -8 .. 8, weights between 0.5 and 1.5, in
// Surfaces mode.
void SetWavyNet(HeadlessPlatform& window, bool triangular) {
  ResetModelState();
  window.Start(800, 600);
  ModelState& m = Model();
  const int n = triangular ? kMaxTriangleRows : 32;
  m.netRows = m.netCols = n;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const float x = -8.0f + 16.0f * i / (n - 1), y = -8.0f + 16.0f * j / (n - 1);
      m.net[i][j] = Point3{x, y, 2.0f * static_cast<float>(std::sin(0.5 * x) * std::cos(0.4 * y))};
      m.netWeights[i][j] = 1.0f + 0.5f * static_cast<float>(std::sin(0.7 * (i + 2 * j)));
    }
  }
  m.xOrder = m.yOrder = 4;
  m.triangles = triangular;
  if (triangular) RepackTriangle();
  m.grid = kMaxPatchGrid;
  m.tx = 400, m.ty = 300;
  window.Command(kCmdSurfaces);
}

// The command on a net it has not drawn before: the kept samples of the
// last display are not reused.
void RunPatch(benchmark::State& state, int command, bool triangular) {
  HeadlessPlatform window;
  SetWavyNet(window, triangular);
  KeptPolyline::SetReuse(false);
  for (auto _ : state) window.Command(command);
  KeptPolyline::SetReuse(true);
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}

void BM_BezierPatch32(benchmark::State& state) { RunPatch(state, kCmdBezier, false); }
void BM_RationalPatch32(benchmark::State& state) { RunPatch(state, kCmdRationalBezier, false); }
void BM_TrianglePatch31(benchmark::State& state) { RunPatch(state, kCmdBezier, true); }
void BM_RationalTrianglePatch31(benchmark::State& state) {
  RunPatch(state, kCmdRationalBezier, true);
}
void BM_BSplinePatch32(benchmark::State& state) { RunPatch(state, kCmdBSpline, false); }
void BM_NurbsPatch32(benchmark::State& state) { RunPatch(state, kCmdNurbs, false); }
// One step of a rotation drag of the 32 by 32 net at the default grid of 50:
// the canvas cleared and the display chosen last drawn again at the new
// angles (the net alone before any is chosen: argument 0).
void BM_RotationDragStep32(benchmark::State& state) {
  HeadlessPlatform window;
  SetWavyNet(window, false);
  Model().grid = 50;
  if (state.range(0) != 0) window.Command(static_cast<int>(state.range(0)));
  window.Send(MouseMessage(MessageKind::kLeftDown, 100, 100, kLeftButtonFlag));
  int x = 100;
  for (auto _ : state) {
    x = x == 100 ? 103 : 100;
    window.Send(MouseMessage(MessageKind::kMouseMove, x, 100, kLeftButtonFlag));
  }
  window.Send(MouseMessage(MessageKind::kLeftUp, x, 100, 0));
  benchmark::DoNotOptimize(window.Canvas().Data());
  ResetModelState();
}

BENCHMARK(BM_RotationDragStep32)
    ->Arg(0)
    ->Arg(kCmdBezier)
    ->Arg(kCmdRationalBezier)
    ->Arg(kCmdBSpline)
    ->Arg(kCmdNurbs)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BezierPatch32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BSplinePatch32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NurbsPatch32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RationalPatch32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrianglePatch31)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RationalTrianglePatch31)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tambra
