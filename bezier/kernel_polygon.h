// Between the model's control polygon and the pure kernels of
// numeric/bezier_degree.h: the polygon read as kernel input, and a kernel's
// result applied and drawn under the snapshot protocol.
#pragma once

#include "base/model_state.h"
#include "base/platform.h"
#include "numeric/bezier_degree.h"

namespace tambra {

// The current control points as planar coordinates. `count` is pointCount
// as it stands (the kernels refuse what they cannot take); at most
// kMaxPoints points are copied.
struct KernelInput {
  int count = 0;
  Coords<2> points[kMaxPoints];
};
KernelInput CurrentPolygon();

// Makes `result` the current polygon for the scope of a CurveResult and
// draws it in `mode`: with Save off only the picture keeps it.
void ShowPolygon(Platform& window, const Polygon<2>& result, int mode);

}  // namespace tambra
