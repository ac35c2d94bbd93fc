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

namespace tambra {

inline constexpr int kMatrixSize = 100;
using Matrix = float[kMatrixSize][kMatrixSize];

// Largest system size of the 1-based kernels.
inline constexpr int kMaxOneBasedSize = kMatrixSize - 1;

// A pivot whose magnitude is below this makes the solver report a singular
// matrix. Compared in double against the stored single-precision pivot.
inline constexpr double kSingularPivot = 1e-20;

// The four scratch matrices. They have no owner between operations: every
// algorithm fills what it uses before use and nothing in them is part of the
// model. They live in static storage (160 KB together).
struct NumericScratch {
  Matrix matrixA;          // solver operand, replaced by its inverse
  Matrix matrixB;          // solver right-hand block
  Matrix matrixE;          // elevation matrix of the least-squares reductions
  Matrix elevationMatrix;  // output of BuildElevationMatrix
};

NumericScratch& Scratch();
inline Matrix& MatrixA() { return Scratch().matrixA; }
inline Matrix& MatrixB() { return Scratch().matrixB; }
inline Matrix& MatrixE() { return Scratch().matrixE; }
inline Matrix& ElevationMatrix() { return Scratch().elevationMatrix; }

// Sets every entry of the four scratch matrices to 0.
void ResetNumericScratch();

// Fills ElevationMatrix (1-based) with the matrix that maps the n control
// points of a Bezier curve of degree n-1 to the n+r points of the same curve
// written in degree n-1+r: entry (i+1, i+k+1) = C(n-1, i) C(r, k) /
// C(n-1+r, i+k) for i = 0..n-1, k = 0..r; the rest of rows 0..n, columns
// 0..n+r is 0. New point j is the sum over rows i of entry (i, j) times old
// point i. Each entry is formed in double from running sums c(k) = C(i+k, k)
// kept in single precision, and stored in single precision.
// Refused when n < 0, r < 0 or n + r > 99.
void BuildElevationMatrix(int n, int r);

// Inverts rows and columns 1..n of MatrixA in place by Gauss-Jordan
// elimination with full pivoting (the classical scheme with row and column
// pivot lists, as in Numerical Recipes' gaussj), applying the same row
// operations to columns 1..n of MatrixB after setting its diagonal to 1.
// On success returns 1: MatrixA holds the inverse A^-1 and MatrixB holds
// A^-1 times the given MatrixB with its diagonal set to 1 (so A^-1 itself
// when the caller had cleared MatrixB). Nothing outside rows and columns
// 1..n is touched.
//
// Returns 0, with both matrices partly reduced and of no use, when
//  - n is outside 0..99;
//  - the block of MatrixA holds a NaN or an infinity;
//  - a pivot's magnitude is below kSingularPivot (a singular matrix);
//  - the result in either block is not finite (it overflowed).
// Ties in the pivot search go to the last maximal element in row-by-row scan
// order. Every stored intermediate (largest magnitude, reciprocal pivot,
// factor, matrix entry) is single precision; each update is evaluated in
// double from the stored floats and rounded once when stored.
int SolveGaussJordan(int n);

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
