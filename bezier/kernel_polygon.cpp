#include "bezier/kernel_polygon.h"

#include <algorithm>

#include "base/snapshots.h"
#include "bezier/bezier_display.h"

namespace tambra {

KernelInput CurrentPolygon() {
  const ModelState& model = Model();
  KernelInput input;
  input.count = model.pointCount;
  const int copied = std::clamp(model.pointCount, 0, kMaxPoints);
  for (int i = 0; i < copied; ++i) input.points[i] = {model.points[i].x, model.points[i].y};
  return input;
}

void ShowPolygon(Platform& window, const Polygon<2>& result, int mode) {
  const CurveResult scope;
  ModelState& model = Model();
  for (int i = 0; i < result.count; ++i) {
    model.points[i] = Point2{result.points[i][0], result.points[i][1]};
  }
  model.pointCount = result.count;
  DrawBezierCurve(window, mode);
}

}  // namespace tambra
