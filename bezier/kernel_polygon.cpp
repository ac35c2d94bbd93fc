#include "bezier/kernel_polygon.h"

#include <algorithm>

#include "base/snapshots.h"
#include "bezier/bezier_display.h"

namespace tambra {

KernelInput PolygonOf(const ModelState& model) {
  KernelInput input;
  input.count = model.pointCount;
  const int copied = std::clamp(model.pointCount, 0, kMaxPoints);
  for (int i = 0; i < copied; ++i) input.points[i] = {model.points[i].x, model.points[i].y};
  return input;
}

Outcome PolygonOutcome(const ModelState& model, const PolygonResult<2>& result, int mode,
                       const std::string& name, const std::string& failure) {
  if (!result) return Outcome::Refused(name + ": " + failure);
  Outcome outcome;
  CurveCopy curve = CurrentCurve(model);
  for (int i = 0; i < result->count; ++i) {
    curve.points[i] = Point2{result->points[i][0], result->points[i][1]};
  }
  curve.pointCount = result->count;
  outcome.drawings.push_back(Drawing{curve, DrawBezierCurve, mode});
  outcome.summary = name + " " + std::to_string(model.pointCount) + " to " +
                    std::to_string(result->count) + " points";
  return outcome;
}

}  // namespace tambra
