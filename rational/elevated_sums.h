// The products of the rational commands over the elevation matrix, whose
// rows are zero off a band of known width. Each sums only the terms that can
// be non-zero, with the same bits as the sum over every term (see the .cpp);
// a negative band sums every term, for matrices of no known shape.
#pragma once

#include "base/model_state.h"
#include "numeric/matrix.h"

namespace tambra {

// Column j of the 1-based elevation matrix E of n rows (E(i, j) is 0 unless
// 0 <= j - i <= band) applied to the weighted points: the sums over i of
// E(i, j) w(i), E(i, j) w(i) x(i) and E(i, j) w(i) y(i), with points and
// weights 0-based. Every partial sum is held as a `Sum` (double, or float
// for the sums rounded after every term).
template <typename Sum>
struct ElevatedSums {
  Sum w = 0, x = 0, y = 0;
};
template <typename Sum>
ElevatedSums<Sum> SumElevatedColumn(const Matrix& e, int n, int band, int j, const Point2* points,
                                    const float* weights);

// The least-squares solution of Q E = D for the k points Q, with E the
// 1-based k by cols matrix `e` (E(i, j) is 0 unless 0 <= j - i <= band) and
// D the 1-based data: A = E E^T in scratch.matrixA, inverted, B = A^-1 E in
// scratch.matrixB,
// Q(i) = sum of B(i, j) D(j); sums in double. `out` is 0-based. False when
// the system is singular or a result is not finite.
bool FitLeastSquares(const Matrix& e, int k, int cols, int band, const Point2* data, Point2* out,
                     NumericScratch& scratch);

}  // namespace tambra
