// The six Bezier degree reductions as thin commands: each reads the current
// polygon, runs its kernel (numeric/bezier_degree.h) and shows the result in
// red. A kernel that cannot run leaves the model, the picture and the log
// alone.
#include "bezier/degree_reduction.h"

#include "base/canvas.h"
#include "bezier/kernel_polygon.h"

namespace tambra {

namespace {

void Show(Platform& window, const PolygonResult<2>& reduced) {
  if (reduced) ShowPolygon(window, *reduced, kRedMode);
}

}  // namespace

void LseDegreeReduction(Platform& window) {
  const KernelInput p = CurrentPolygon();
  Show(window, ReduceLse(p.points, p.count, Model().degreeStep, Scratch()));
}

void LseC0DegreeReduction(Platform& window) {
  const KernelInput p = CurrentPolygon();
  Show(window, ReduceLseC0(p.points, p.count, Model().degreeStep, Scratch()));
}

void LseC1DegreeReduction(Platform& window) {
  const KernelInput p = CurrentPolygon();
  Show(window, ReduceLseC1(p.points, p.count, Model().degreeStep, Scratch()));
}

void LseC2DegreeReduction(Platform& window) {
  const KernelInput p = CurrentPolygon();
  Show(window, ReduceLseC2(p.points, p.count, Model().degreeStep, Scratch()));
}

// Always one degree down, whatever degreeStep says.
void SimpleDegreeReduction(Platform& window) {
  const KernelInput p = CurrentPolygon();
  Show(window, ReduceSimple(p.points, p.count, Scratch()));
}

void EckDegreeReduction(Platform& window) {
  const KernelInput p = CurrentPolygon();
  Show(window, ReduceEck(p.points, p.count));
}

}  // namespace tambra
