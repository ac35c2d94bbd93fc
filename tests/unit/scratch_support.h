// The scratch the tests hand the kernels: the window's own, so that a test
// can read what a command left in it, with the short names the numeric
// tests use.
#pragma once

#include <cstring>

#include "app/command_table.h"
#include "numeric/matrix.h"

namespace tambra {

inline NumericScratch& Scratch() { return CommandScratch(); }
inline Matrix& MatrixA() { return Scratch().matrixA; }
inline Matrix& MatrixB() { return Scratch().matrixB; }
inline Matrix& MatrixE() { return Scratch().matrixE; }
inline Matrix& ElevationMatrix() { return Scratch().elevationMatrix; }
inline void ResetNumericScratch() { std::memset(&Scratch(), 0, sizeof(NumericScratch)); }
inline int SolveGaussJordan(int n) { return SolveGaussJordan(MatrixA(), MatrixB(), n); }
// The 1-based elevation matrix with the binomial column kept in double.
inline void BuildElevationMatrix(int n, int r) {
  BuildElevationMatrix(ElevationMatrix(), n, r, 1, ElevationPrecision::kDouble);
}

}  // namespace tambra
