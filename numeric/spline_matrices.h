// The scratch matrices of the spline degree changes and the refinement:
// Bezier extraction, piecewise Bernstein elevation, the least-squares way
// back to B-spline points and the reduction matrix. Like NumericScratch they
// have no owner between operations; every algorithm fills what it reads.
#pragma once

#include "numeric/matrix.h"

namespace tambra {


// Z = X Y with the entries of MatMul, bit for bit, for finite X and Y whose
// non-zero products stay within the float range (no underflow): every
// entry starts at +0 and adds X(i, l) Y(l, j) for increasing l, rounded to
// single precision after each term. Only the non-zero entries of X and, in
// each row of Y, the span from its first to its last non-zero entry are
// visited, which makes products with the banded extraction, elevation and
// Gram matrices cheap. Z must not share storage with X or Y. Refused when a
// size is above 100.
void SparseMatMul(const Matrix& x, const Matrix& y, Matrix& z, int n, int k, int m);

}  // namespace tambra
