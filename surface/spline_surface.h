// B-spline and NURBS surfaces: the tensor-product spline of the control net
// over clamped uniform knots in both directions, sampled on a (G+1) by (G+1)
// parameter grid and drawn as a wireframe through the surface view.
#pragma once

#include <vector>

#include "base/model_state.h"
#include "base/platform.h"

namespace tambra {

// Draw the control net in `mode`, rebuild xKnots and yKnots as clamped
// uniform vectors for N points of order kx and M points of order ky, and
// draw the surface samples in `mode`. A net that is empty, holds a point
// (or, for NURBS, a weight) that is not finite, or has fewer points than
// its order in either direction, an order below 1, a knot vector that
// would not fit the storage with its terminating entry, or a grid outside
// 1 .. 99 is refused: only the net is drawn and the model is unchanged.
void DrawBSplineSurface(Platform& window, int mode);
void DrawNurbsSurface(Platform& window, int mode);

// The surface point at (u, v) over the model's net, orders and knots as
// they stand: sum over i, j of (P[i][j] * Bx_i(u)) * By_j(v) in double,
// rounded to float. The NURBS point divides the sums weighted by (Bx_i(u) *
// By_j(v)) * W[i][j] by the sum of those weights. Where that sum is 0 or
// the point is not finite in float the point is (NaN, NaN, NaN), which the
// view never draws; knots the basis refuses give that point too.
Point3 EvalBSplineSurfacePoint(double u, double v);
Point3 EvalNurbsSurfacePoint(double u, double v);

// The parameter of sample `index` of G in a direction whose knots run from
// `start` to `end`: (end - start) * (1 / G) * index + start, and the last
// sample exactly at `end` (the product may miss it by a rounding).
double SplineSurfaceParameter(float start, float end, int grid, int index);

// The (G+1) by (G+1) samples the displays draw, row a at parameter u_a, from
// the model as it stands (the knots are not rebuilt); empty when the model
// is refused as the displays refuse it or the knots are not valid.
std::vector<Point3> SampleSplineSurface(bool rational);

}  // namespace tambra
