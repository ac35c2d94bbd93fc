#include "bezier/degree_elevation.h"

#include "base/canvas.h"
#include "bezier/kernel_polygon.h"

namespace tambra {

void BezierDegreeElevation(Platform& window) {
  const KernelInput input = CurrentPolygon();
  const int r = Model().degreeStep;
  if (r < 0 || r > kMaxElevationStep || input.count > kMaxElevatedPoints - r) return;
  if (const auto elevated = ElevateDegree(input.points, input.count, r, Scratch())) {
    ShowPolygon(window, *elevated, kBlueMode);
  }
}

}  // namespace tambra
