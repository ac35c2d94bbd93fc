// Between the model's control polygon and the pure kernels of
// numeric/bezier_degree.h: the polygon read as kernel input, and a kernel's
// result handed back as an outcome that draws it.
#pragma once

#include <string>

#include "base/model_state.h"
#include "base/outcome.h"
#include "numeric/bezier_degree.h"

namespace tambra {

// The control points as planar coordinates. `count` is pointCount as it
// stands (the kernels refuse what they cannot take); at most kMaxPoints
// points are copied.
struct KernelInput {
  int count = 0;
  Coords<2> points[kMaxPoints];
};
KernelInput PolygonOf(const ModelState& model);

// The outcome of a kernel: its polygon as the curve (drawn as a Bezier
// curve in `mode`), named "NAME N to M points" in the status line; when the
// kernel gave nothing, `failure` says why.
Outcome PolygonOutcome(const ModelState& model, const PolygonResult<2>& result, int mode,
                       const std::string& name, const std::string& failure);

}  // namespace tambra
