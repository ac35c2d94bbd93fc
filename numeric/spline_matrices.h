// The scratch matrices of the spline degree changes and the refinement:
// Bezier extraction, piecewise Bernstein elevation, the least-squares way
// back to B-spline points and the reduction matrix. Like NumericScratch they
// have no owner between operations; every algorithm fills what it reads.
#pragma once

#include "numeric/matrix.h"

namespace tambra {

struct SplineMatrices {
  Matrix splineToBezier;      // rows: Bezier points of all pieces; columns: control points
  Matrix piecewiseElevation;  // rows: elevated Bezier points; columns: Bezier points
  Matrix bezierToSpline;      // rows: new control points; columns: elevated Bezier points
  Matrix reduction;           // rows: reduced control points; columns: given ones
};

SplineMatrices& SplineScratch();
inline Matrix& SplineToBezierMatrix() { return SplineScratch().splineToBezier; }
inline Matrix& PiecewiseElevationMatrix() { return SplineScratch().piecewiseElevation; }
inline Matrix& BezierToSplineMatrix() { return SplineScratch().bezierToSpline; }
inline Matrix& ReductionMatrix() { return SplineScratch().reduction; }

// Sets every entry of the spline scratch to 0.
void ResetSplineScratch();

}  // namespace tambra
