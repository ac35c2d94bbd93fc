#include "numeric/matrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace tambra {

namespace {


bool FitsZeroBased(int size) { return size >= 0 && size <= kMatrixSize; }
bool FitsOneBased(int size) { return size >= 0 && size <= kMaxOneBasedSize; }

// True when rows and columns 1..n of `a` are all finite.
bool BlockIsFinite(const Matrix& a, int n) {
  for (int row = 1; row <= n; ++row) {
    for (int col = 1; col <= n; ++col) {
      if (!std::isfinite(a[row][col])) return false;
    }
  }
  return true;
}

void SwapRows(Matrix& a, int first, int second, int n) {
  for (int col = 1; col <= n; ++col) std::swap(a[first][col], a[second][col]);
}

void SwapColumns(Matrix& a, int first, int second, int n) {
  for (int row = 1; row <= n; ++row) std::swap(a[row][first], a[row][second]);
}

// The construction with its running values stored as `Running`. The
// products A and B are carried from one k to the next instead of being
// restarted: each is still the same chain of rounded multiplications in the
// same order, so the entries are those of the plain triple loop.
template <typename Running>
void BuildElevation(Matrix& e, int n, int r, int base) {
  const auto store = [](double value) { return static_cast<Running>(value); };
  for (int row = 0; row < n + base; ++row) std::fill_n(e[row], n + r + base, 0.0f);

  // D = n (n+1) .. (n+r-1).
  Running d = 1;
  for (int factor = n; factor <= n + r - 1; ++factor) d = store(double(d) * factor);
  // falling[k] = A = r (r-1) .. (r-k+1), the same for every row. k runs to
  // r, which is 100 for an empty 0-based matrix.
  Running falling[kMatrixSize + 1];
  falling[0] = 1;
  for (int k = 1; k <= r; ++k) falling[k] = store(double(falling[k - 1]) * (r - k + 1));

  Running c[kMatrixSize + 1] = {};
  Running rising[kMatrixSize + 1];
  for (int i = 0; i < n; ++i) {
    // Running sums: afterwards c(k) = C(i+k, k).
    c[0] = 1;
    for (int k = 1; k <= r; ++k) c[k] = store(double(c[k]) + c[k - 1]);
    // rising[k] = B = (n-i) (n-i+1) .. (n-i+r-k-1), built from k = r down.
    rising[r] = 1;
    for (int k = r - 1; k >= 0; --k) rising[k] = store(double(rising[k + 1]) * (n - i + r - k - 1));
    for (int k = 0; k <= r; ++k) {
      e[i + base][i + k + base] = static_cast<float>(double(falling[k]) * c[k] * rising[k] / d);
    }
  }
}

}  // namespace

void BuildElevationMatrix(Matrix& e, int n, int r, int base, ElevationPrecision precision) {
  if (n < 0 || r < 0 || (base != 0 && base != 1) || n > kMatrixSize - base - r) return;
  if (precision == ElevationPrecision::kDouble) {
    BuildElevation<double>(e, n, r, base);
  } else {
    BuildElevation<float>(e, n, r, base);
  }
}

int SolveGaussJordan(Matrix& a, Matrix& b, int n) {
  if (!FitsOneBased(n)) return 0;
  // A NaN is never taken as a pivot and an infinite one would scale its row
  // by 0; either way the result would be garbage, so refuse up front.
  if (!BlockIsFinite(a, n)) return 0;

  int used[kMatrixSize] = {};         // times each column served as pivot
  int pivotRow[kMatrixSize] = {};     // per pass
  int pivotColumn[kMatrixSize] = {};  // per pass
  for (int j = 1; j <= n; ++j) b[j][j] = 1.0f;

  for (int pass = 1; pass <= n; ++pass) {
    // Full pivot search. `>=` lets the last maximal element in scan order
    // win a tie, and takes a zero when nothing larger is left.
    float big = 0.0f;
    int pr = 0;
    int pc = 0;
    for (int j = 1; j <= n; ++j) {
      if (used[j] == 1) continue;
      for (int k = 1; k <= n; ++k) {
        if (used[k] == 0) {
          const float magnitude = std::fabs(a[j][k]);
          if (magnitude >= big) {
            big = magnitude;
            pr = j;
            pc = k;
          }
        } else if (used[k] > 1) {
          return 0;
        }
      }
    }
    // Only NaN candidates (from an overflow during elimination) leave no
    // pivot at all.
    if (pc == 0) return 0;
    ++used[pc];

    // Bring the pivot onto the diagonal.
    if (pr != pc) {
      SwapRows(a, pr, pc, n);
      SwapRows(b, pr, pc, n);
    }
    pivotRow[pass] = pr;
    pivotColumn[pass] = pc;

    const float pivot = a[pc][pc];
    // Written so that a NaN or infinite pivot also counts as singular.
    if (!(std::fabs(static_cast<double>(pivot)) >= kSingularPivot) || std::isinf(pivot)) {
      return 0;
    }

    const float s = static_cast<float>(1.0 / pivot);
    a[pc][pc] = 1.0f;
    for (int l = 1; l <= n; ++l) {
      a[pc][l] = static_cast<float>(static_cast<double>(a[pc][l]) * s);
      b[pc][l] = static_cast<float>(static_cast<double>(b[pc][l]) * s);
    }

    for (int q = 1; q <= n; ++q) {
      if (q == pc) continue;
      const float f = a[q][pc];
      a[q][pc] = 0.0f;
      for (int l = 1; l <= n; ++l) {
        a[q][l] = static_cast<float>(a[q][l] - static_cast<double>(a[pc][l]) * f);
        b[q][l] = static_cast<float>(b[q][l] - static_cast<double>(b[pc][l]) * f);
      }
    }
  }

  // Undo the row interchanges as column interchanges, in reverse order.
  for (int pass = n; pass >= 1; --pass) {
    if (pivotRow[pass] != pivotColumn[pass]) {
      SwapColumns(a, pivotRow[pass], pivotColumn[pass], n);
    }
  }

  if (!BlockIsFinite(a, n) || !BlockIsFinite(b, n)) return 0;
  return 1;
}

void MatMul(const Matrix& x, const Matrix& y, Matrix& z, int n, int k, int m) {
  if (!FitsZeroBased(n) || !FitsZeroBased(k) || !FitsZeroBased(m)) return;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < m; ++j) {
      z[i][j] = 0.0f;
      for (int l = 0; l < k; ++l) {
        z[i][j] = static_cast<float>(static_cast<double>(x[i][l]) * y[l][j] + z[i][j]);
      }
    }
  }
}

void TransposeMatrix(const Matrix& a, Matrix& b, int n, int m) {
  if (!FitsZeroBased(n) || !FitsZeroBased(m)) return;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < m; ++j) b[j][i] = a[i][j];
  }
}

void ShiftMatrixIndex(Matrix& a, int n, int m, int direction) {
  if (!FitsOneBased(n) || !FitsOneBased(m)) return;
  if (direction != 0) {
    for (int i = n; i >= 1; --i) {
      for (int j = m; j >= 1; --j) a[i][j] = a[i - 1][j - 1];
    }
  } else {
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < m; ++j) a[i][j] = a[i + 1][j + 1];
    }
  }
}

}  // namespace tambra
