#include "bezier/degree_elevation.h"

#include <string>

#include "base/canvas.h"
#include "bezier/kernel_polygon.h"

namespace tambra {

Outcome BezierDegreeElevation(const CommandInput& input) {
  const KernelInput p = PolygonOf(input.model);
  const int r = input.model.degreeStep;
  if (p.count < 1) return Outcome::Refused("Degree elevation needs a polygon; there are no points");
  if (r < 0 || r > kMaxElevationStep) {
    return Outcome::Refused("Degree elevation takes a Degree step from 0 to " +
                            std::to_string(kMaxElevationStep) + "; it is " + std::to_string(r));
  }
  if (p.count > kMaxElevatedPoints - r) {
    return Outcome::Refused("Degree elevation gives at most " +
                            std::to_string(kMaxElevatedPoints) + " points; " +
                            std::to_string(p.count) + " points raised by " + std::to_string(r) +
                            " would give " + std::to_string(p.count + r));
  }
  return PolygonOutcome(input.model, ElevateDegree(p.points, p.count, r, input.scratch),
                        kBlueMode, "Degree elevation", "the result is not finite");
}

}  // namespace tambra
