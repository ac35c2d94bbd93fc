// Midpoint subdivision of uniform B-splines with clamped uniform knots: the
// Bezier pieces of a quadratic, cubic or quartic curve halved again and
// again (Chaikin's method), and the refinement of a quadratic or cubic
// polygon by a midpoint knot in every interval, with its least-squares
// inverse (Chaikin's knot elevation and reduction).
//
// The kernels take the points, their count, the order and the scratch they
// may overwrite, and return the new polygon, or nothing when they cannot
// run: an order or count that fits no variant, a result beyond the point or
// knot storage, a singular fit, a result that is not finite. They do not
// read the model or draw; the commands around them do.
#pragma once

#include <optional>

#include "base/model_state.h"
#include "base/outcome.h"
#include "base/platform.h"
#include "numeric/knot_vector.h"
#include "numeric/matrix.h"

namespace tambra {

struct SplinePolygon {
  int count = 0;
  Point2 points[kMaxPoints];
};
using SplinePolygonResult = std::optional<SplinePolygon>;

// The Bezier points of every piece of the clamped uniform B-spline of order
// 3 (n >= 3, 2n - 3 points), 4 (n >= 4, 3n - 8 points) or 5 (n = 7, 13
// points), end points shared. The matrix of the conversion is left in
// scratch.matrixE; the cubic one builds its two factors in matrixB and
// matrixA. Nothing when the order or count fits no variant or the result
// would have more than kMaxPoints points.
[[nodiscard]] SplinePolygonResult UniformBSplineToBezier(const Point2* points, int n, int order,
                                                         NumericScratch& scratch);

// Every Bezier piece of `order` points (sharing end points, so n - 1 is a
// multiple of order - 1) split at its parameter midpoint: 2n - 1 points.
// Nothing when 2n is above kMaxPoints or the polygon is not made of such
// pieces.
[[nodiscard]] SplinePolygonResult SubdivideBezierPieces(const Point2* points, int n, int order);

// Whether a clamped uniform B-spline of `count` points and order `order`
// fits the model: the points, and the count + order knots with the
// terminating entry after them.
bool FitsSplineStorage(int count, int order);

// The polygon of the same quadratic (order 3: n becomes 2n - 2) or cubic
// (order 4: n becomes 2n - 3) curve after inserting the midpoint of every
// knot interval, `passes` times (at least once). A pass whose result would
// not fit the storage is not run, nor any after it; nothing when the first
// one would not fit. matrixA holds one pass, matrixB the accumulated
// refinement, matrixE the product. Needs n >= order.
[[nodiscard]] SplinePolygonResult RefineUniformBSpline(const Point2* points, int n, int order,
                                                       int passes, NumericScratch& scratch);

// The coarser polygon whose refinement by `passes` passes (at least one)
// is closest in least squares to the given one. The first halving needs an
// odd count for order 4 and an even one for order 3; when a later halving
// is not even, only the first points of the polygon that the refinement
// reaches enter the fit. Nothing when the coarse polygon would have fewer
// than `order` points or the normal matrix is singular.
[[nodiscard]] SplinePolygonResult CoarsenUniformBSpline(const Point2* points, int n, int order,
                                                        int passes, NumericScratch& scratch);


// The menu commands. Chaikin's method draws the Bezier points in green and
// the points of every pass as small marks (piece ends blue, inner points
// red) and never changes the model. Elevation and reduction show their
// result as a B-spline curve in blue and red, kept in the model only with
// Save on.
Outcome ChaikinMethod(const CommandInput& input);
Outcome ChaikinKnotElevation(const CommandInput& input);
Outcome ChaikinKnotReduction(const CommandInput& input);

}  // namespace tambra
