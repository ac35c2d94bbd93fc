// The scratch matrices shared by the curve and surface algorithms, the
// degree-elevation matrix, the Gauss-Jordan solver and three small matrix
// utilities.
//
// Every matrix is 100 by 100 single-precision floats, row by row. Two index
// bases share that storage. The 1-based kernels (solver, elevation matrix)
// keep no data in row 0 or column 0, so their largest size is 99:
//
//            col 0  col 1  col 2  ..  col n
//     row 0    -      -      -          -
//     row 1    -     a11    a12   ..   a1n
//     row 2    -     a21    a22   ..   a2n
//      ..
//     row n    -     an1    an2   ..   ann
//
// The 0-based kernels (MatMul, TransposeMatrix) put a11 at row 0, column 0.
// ShiftMatrixIndex moves a block between the two bases.
//
// Sizes that would reach beyond the storage are refused: the operation then
// does nothing (the solver returns 0).
#pragma once

#include <array>
#include <cstddef>

namespace tambra {

inline constexpr int kMatrixSize = 100;
using Matrix = float[kMatrixSize][kMatrixSize];

// Largest system size of the 1-based kernels.
inline constexpr int kMaxOneBasedSize = kMatrixSize - 1;

// A pivot whose magnitude is below this makes the solver report a singular
// matrix. Compared in double against the stored single-precision pivot.
inline constexpr double kSingularPivot = 1e-20;

// A point or vector of D single-precision coordinates.
template <std::size_t D>
using Coords = std::array<float, D>;
using VectorMatrix = Coords<2>[kMatrixSize][kMatrixSize];

// The scratch storage of the algorithms. It has no owner between operations:
// every algorithm fills what it uses before use and nothing in it is part of
// the model. The window owns the one its commands use (480 KB); every kernel
// takes the one it may overwrite as an argument.
// The spline degree changes and the refinement: Bezier extraction,
// piecewise Bernstein elevation, the least-squares way back to B-spline
// points and the reduction matrix.
struct SplineMatrices {
  Matrix splineToBezier;      // rows: Bezier points of all pieces; columns: control points
  Matrix piecewiseElevation;  // rows: elevated Bezier points; columns: Bezier points
  Matrix bezierToSpline;      // rows: new control points; columns: elevated Bezier points
  Matrix reduction;           // rows: reduced control points; columns: given ones
};

struct NumericScratch {
  Matrix matrixA;           // solver operand, replaced by its inverse
  Matrix matrixB;           // solver right-hand block
  Matrix matrixE;           // elevation matrix of the least-squares reductions
  Matrix elevationMatrix;   // output of BuildElevationMatrix
  VectorMatrix directions;  // how each parameter of a C1 or C2 reduction moves each point
  VectorMatrix design;      // the same carried through the elevation
  SplineMatrices spline;
};


// How the elevation-matrix construction keeps its running values: the
// binomial column c(k) (in-place running sums) and the products A = r (r-1)
// .. (r-k+1), B = (n-i) (n-i+1) .. (n-i+r-k-1) and D = n (n+1) .. (n+r-1).
// Every value is formed in double from the stored ones and stored in the
// chosen precision; the entry A c(k) B / D is formed in double and stored in
// single precision.
enum class ElevationPrecision {
  // Exact while the binomials fit 53 bits, so the corner entry (n-1, n-1+r)
  // is exactly 1 and an elevation keeps its last point: BuildElevationMatrix
  // and Bezier degree elevation.
  kDouble,
  // Rounded to single precision after every step: the least-squares degree
  // reductions, whose results depend on that rounding.
  kSingle,
};

// Writes into `e` the matrix that maps the n control points of a Bezier
// curve of degree n-1 to the n+r points of the same curve written in degree
// n-1+r: entry (i, i+k) = C(n-1, i) C(r, k) / C(n-1+r, i+k) for i = 0..n-1,
// k = 0..r, stored at e[i + base][i + k + base] (base 0 or 1, Farin's degree
// elevation). The rest of rows 0..n-1+base, columns 0..n+r-1+base is 0;
// nothing else is touched. New point j is the sum over rows i of entry
// (i, j) times old point i. Refused (nothing written) when n or r is
// negative, base is neither 0 nor 1, or a column index would leave `e`.
void BuildElevationMatrix(Matrix& e, int n, int r, int base, ElevationPrecision precision);

// Inverts rows and columns 1..n of `a` in place by Gauss-Jordan
// elimination with full pivoting (the classical scheme with row and column
// pivot lists, as in Numerical Recipes' gaussj), applying the same row
// operations to columns 1..n of `b` after setting its diagonal to 1. `a` and
// `b` must be different matrices. On success returns 1: `a` holds the
// inverse A^-1 and `b` holds A^-1 times the given `b` with its diagonal set
// to 1 (so A^-1 itself when the caller had cleared `b`). Nothing outside rows
// and columns 1..n is touched.
//
// Returns 0, with both matrices partly reduced and of no use, when
//  - n is outside 0..99;
//  - the block of `a` holds a NaN or an infinity;
//  - a pivot's magnitude is below kSingularPivot (a singular matrix);
//  - the result in either block is not finite (it overflowed).
// Ties in the pivot search go to the last maximal element in row-by-row scan
// order. Every stored intermediate (largest magnitude, reciprocal pivot,
// factor, matrix entry) is single precision; each update is evaluated in
// double from the stored floats and rounded once when stored.
[[nodiscard]] int SolveGaussJordan(Matrix& a, Matrix& b, int n);

// Z = X Y for the 0-based blocks X (n by k) and Y (k by m): each entry of Z
// starts at 0 and adds X(i, l) Y(l, j) for l = 0..k-1 in that order, rounded
// to single precision after every term. Z must not share storage with X or
// Y. Refused when a size is above 100.
void MatMul(const Matrix& x, const Matrix& y, Matrix& z, int n, int k, int m);

// B(j, i) = A(i, j) for i below n and j below m (0-based). A and B must be
// different matrices. Refused when a size is above 100.
void TransposeMatrix(const Matrix& a, Matrix& b, int n, int m);

// Moves an n by m block between the index bases. With a non-zero direction
// the 0-based block moves to 1-based positions (row 0 and column 0 keep their
// old values); with direction 0 the 1-based block moves back to 0-based
// positions. Refused when n or m is above 99.
void ShiftMatrixIndex(Matrix& a, int n, int m, int direction);

}  // namespace tambra
