// The normalized B-spline basis, shared by the B-spline and NURBS displays,
// the spline surfaces and the spline algorithms.
//
// The values are defined by the Cox-de Boor recursion over float knots u with
// double arithmetic, for `count` control points (m), function index i, order
// k and double parameter t:
//  1. right-end rule, tested first at every level: if i = m - 1 and t equals
//     u(m) exactly, the value is 1.0 (whatever k is);
//  2. order 1: 1.0 if u(i) <= t < u(i+1), else 0.0;
//  3. otherwise a = (t - u(i)) / (u(i+k-1) - u(i)) and b = (u(i+k) - t) /
//     (u(i+k) - u(i+1)), each 0 when its two knots are equal (0/0 = 0), and
//     the value is a N(i, k-1) + b N(i+1, k-1), the first product first.
// Written that way the recursion costs 2^(k-1) leaves per value. Here every
// term is computed once per parameter, bottom up, and on a non-decreasing
// vector only the terms that can be nonzero at t; each value is still formed
// by exactly the operations above in the same order, so the results are bit
// for bit those of the recursion (the terms left out are exact zeros that
// could not change a bit of any sum they enter).
#pragma once

#include "numeric/knot_vector.h"

namespace tambra {

// The i-th basis function of order k at t over the first count + k knots.
// Any finite knot vector is evaluated as the recursion would, also one that
// decreases somewhere. Returns 0.0, the value of a function that does not
// exist, when the arguments are refused: i outside 0 .. count-1, t not
// finite, or a vector CheckKnotVector(knots, count, k) refuses; callers that
// must tell a refusal apart check the vector first or use BSplineBasisValues.
double BSplineBasis(const float* knots, int count, int i, int k, double t);

// All basis functions of order k that can be nonzero at t, at once: writes k
// values and returns the index `first` of the function values[0] belongs to,
// so that values[r] == BSplineBasis(knots, count, first + r, k, t) bit for
// bit for every r with first + r < count, and every function outside first ..
// first + k - 1 is 0.0 at t. `first` lies in 0 .. max(0, count - k); when
// count < k the values from index count on are 0.0. A sum over the window in
// increasing index therefore equals the sum over all count functions.
// `values` needs room for k doubles (at most kMaxSplineOrder).
// Returns -1, writing nothing, when the arguments are refused: t not finite
// or a vector that is not kKnotsValid (a decreasing vector included, since
// its nonzero functions need not lie in one window).
int BSplineBasisValues(const float* knots, int count, int k, double t, double* values);

// Every basis function at once, on any vector CheckKnotVector does not
// refuse (a decreasing one included): values[i] == BSplineBasis(knots,
// count, i, k, t) bit for bit for i = 0 .. count - 1, each term of the
// recursion computed once for all of them. `values` needs room for count
// doubles. Returns false, writing count zeros, when the arguments are
// refused (t not finite, or a refused vector).
bool BSplineBasisEvery(const float* knots, int count, int k, double t, double* values);

}  // namespace tambra
