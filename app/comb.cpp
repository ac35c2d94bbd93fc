#include "app/comb.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/window_proc.h"
#include "base/canvas.h"
#include "base/model_state.h"
#include "base/snapshots.h"
#include "resources/command_ids.h"

namespace tambra {

namespace {

constexpr Rgb kCombColour = 0x9900CC;
constexpr double kCombScaleStep = 1.25;
// Teeth drawn on the whole curve; the tip line runs through all of them.
constexpr int kDrawnTeeth = 100;

struct CombState {
  bool on = false;
  double scale = 1.0;  // model units of tooth a unit of curvature
  // The comb last computed and the curve it belongs to: a drag step erases
  // the comb it drew before it draws the new one.
  CurveCopy curve{};
  int kind = kNoCurve;
  std::vector<std::vector<CombTooth>> comb;
};

CombState& State() {
  static CombState state;
  return state;
}

// The model's curve as its display draws it; false for no curve family.
bool ModelCurve(CurveCopy& curve, MeasuredCurve::Form& form, bool& rational) {
  const ModelState& m = Model();
  if (m.objectMode != kCurves) return false;
  curve = CurrentCurve(m);
  switch (m.curveKind) {
    case kBezier: form = MeasuredCurve::Form::kBezier, rational = false; return true;
    case kRationalBezier: form = MeasuredCurve::Form::kRationalBezier, rational = true; return true;
    case kBSpline: form = MeasuredCurve::Form::kSpline, rational = false; return true;
    case kNurbs: form = MeasuredCurve::Form::kSpline, rational = true; return true;
    default: return false;
  }
}

bool SameCurve(const CurveCopy& a, const CurveCopy& b) {
  if (a.pointCount != b.pointCount || a.order != b.order) return false;
  const int n = std::clamp(a.pointCount, 0, kMaxPoints);
  const int knots = std::clamp(a.pointCount + a.order, 0, kMaxKnots);
  auto same = [](const auto* x, const auto* y, int count) {
    return std::memcmp(x, y, sizeof *x * count) == 0;
  };
  return same(a.points, b.points, n) && same(a.weights, b.weights, n) &&
         same(a.knots, b.knots, knots);
}

std::vector<std::vector<CombTooth>> ComputeComb() {
  CurveCopy curve;
  MeasuredCurve::Form form;
  bool rational = false;
  if (!ModelCurve(curve, form, rational)) return {};
  const MeasuredCurve measured{form, curve, rational};
  const int n = std::clamp(curve.pointCount, 0, kMaxPoints);
  const int spans = form == MeasuredCurve::Form::kSpline ? std::max(n - curve.order + 1, 1) : 1;
  return CurvatureComb(measured, std::clamp(kCombTeeth / spans, 4, kCombTeeth));
}

// The comb of the model's curve, computed again only when the curve changed.
const std::vector<std::vector<CombTooth>>& ModelComb() {
  CombState& state = State();
  const ModelState& m = Model();
  static const std::vector<std::vector<CombTooth>> kNone;
  if (m.objectMode != kCurves) return kNone;
  if (state.kind != m.curveKind || !SameCurve(state.curve, CurrentCurve(m))) {
    state.comb = ComputeComb();
    state.curve = CurrentCurve(m);
    state.kind = m.curveKind;
  }
  return state.comb;
}

// The scale that makes the longest tooth a fifth of the canvas's shorter side.
double FittedScale(const Raster& canvas, const std::vector<std::vector<CombTooth>>& comb) {
  double largest = 0.0;
  for (const auto& run : comb) {
    for (const CombTooth& tooth : run) largest = std::max(largest, std::fabs(tooth.kappa));
  }
  const double side = std::min(canvas.width(), canvas.height()) / 5.0 / canvas.View().scale;
  return largest > 0.0 && side > 0.0 ? side / largest : 1.0;
}

}  // namespace

void ToggleComb(Platform& window) {
  CombState& state = State();
  state.on = !state.on;
  window.SetMenuChecked(kCmdCurvatureComb, state.on);
  if (state.on) state.scale = FittedScale(window.Canvas(), ModelComb());
  ShowModel(window);
}

void ScaleComb(Platform& window, int steps) {
  CombState& state = State();
  if (!state.on) return;
  const double scale = state.scale * std::pow(kCombScaleStep, steps);
  if (!std::isfinite(scale) || scale <= 0.0) return;
  state.scale = scale;
  ShowModel(window);
}

void DrawComb(Platform& window, int mode) {
  if (!State().on) return;
  const double scale = State().scale;
  Raster& dc = window.Canvas();
  const DrawCommandScope named(dc, kCmdCurvatureComb);
  const Rgb previous = dc.SelectPen(mode == kEraseMode ? ModeColour(kEraseMode) : kCombColour);
  for (const auto& run : ModelComb()) {
    // Some hundred teeth over the curve, then the line through every tip.
    const std::size_t stride = std::max<std::size_t>(1, kCombTeeth / kDrawnTeeth);
    for (std::size_t i = 0; i < run.size(); ++i) {
      if (i % stride != 0 && i + 1 != run.size()) continue;
      const CombTooth& t = run[i];
      dc.MoveTo(t.x, t.y);
      dc.LineTo(t.x - scale * t.kappa * t.nx, t.y - scale * t.kappa * t.ny);
    }
    for (std::size_t i = 0; i < run.size(); ++i) {
      const CombTooth& t = run[i];
      const double x = t.x - scale * t.kappa * t.nx, y = t.y - scale * t.kappa * t.ny;
      if (i == 0) {
        dc.MoveTo(x, y);
      } else {
        dc.LineTo(x, y);
      }
    }
  }
  dc.SelectPen(previous);
}

std::vector<std::vector<CombTooth>> ShownComb() {
  if (!State().on) return {};
  return ModelComb();
}

}  // namespace tambra
