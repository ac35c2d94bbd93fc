#include "numeric/spline_matrices.h"

#include <algorithm>
#include <cstring>

namespace tambra {

// A skipped term is a product with an exact zero factor, +0 or -0 for finite
// operands, and s + (+-0) rounds back to s unless s is -0. A sum starting at
// +0 is never -0: x + (-x) gives +0, and only an underflow could round a
// sum to -0. So skipping changes no bit and no printed sign.
void SparseMatMul(const Matrix& x, const Matrix& y, Matrix& z, int n, int k, int m) {
  if (n < 0 || k < 0 || m < 0 || n > kMatrixSize || k > kMatrixSize || m > kMatrixSize) return;
  int first[kMatrixSize], end[kMatrixSize];
  for (int l = 0; l < k; ++l) {
    first[l] = 0;
    while (first[l] < m && y[l][first[l]] == 0.0f) ++first[l];
    end[l] = m;
    while (end[l] > first[l] && y[l][end[l] - 1] == 0.0f) --end[l];
  }
  for (int i = 0; i < n; ++i) {
    float* row = z[i];
    std::fill_n(row, m, 0.0f);
    for (int l = 0; l < k; ++l) {
      const float factor = x[i][l];
      if (factor == 0.0f) continue;
      for (int j = first[l]; j < end[l]; ++j) {
        row[j] = static_cast<float>(static_cast<double>(factor) * y[l][j] + row[j]);
      }
    }
  }
}

}  // namespace tambra
