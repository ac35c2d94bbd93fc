// Why skipping the zero terms keeps every bit. A sum starts at +0. Adding a
// zero term (+0 or -0) to a sum that is not zero leaves it as it was, and
// adding one to +0 gives +0; only a sum of -0 can change (to +0). Terms
// before a band are added to the starting +0, so they are skipped freely.
// A sum rounded to float after every term can reach -0 (a tiny negative
// term rounds to it), so when a sum is zero after the band the terms after
// it are added as before. A sum kept in double never reaches -0: a product
// of non-zero floats does not underflow in double, and non-zero terms never
// add up to -0.
//
// A zero entry times a value that is not finite is NaN, not 0, so the
// skipped terms must be known finite. They are not checked here; instead
// every caller refuses non-finite input either way: a non-finite weight or
// point also enters a term on the band of some column, whose sums then come
// out non-finite and the command stops, and a non-finite entry of E reaches
// the diagonal of A, which the solver refuses.
#include "rational/elevated_sums.h"

#include <algorithm>
#include <cmath>

namespace tambra {

namespace {

template <typename Sum>
void AddRow(ElevatedSums<Sum>& s, double entry, const Point2& p, float weight) {
  const double weighted = entry * weight;
  s.w = static_cast<Sum>(s.w + weighted);
  s.x = static_cast<Sum>(s.x + weighted * p.x);
  s.y = static_cast<Sum>(s.y + weighted * p.y);
}

bool IsFinite(const Point2& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

template <typename Sum>
ElevatedSums<Sum> SumElevatedColumn(const Matrix& e, int n, int band, int j, const Point2* points,
                                    const float* weights) {
  ElevatedSums<Sum> s;
  const int first = band < 0 ? 1 : std::max(1, j - band);
  const int last = band < 0 ? n : std::min(n, j);
  for (int i = first; i <= last; ++i) AddRow(s, e[i][j], points[i - 1], weights[i - 1]);
  if (s.w == 0 || s.x == 0 || s.y == 0) {
    for (int i = last + 1; i <= n; ++i) AddRow(s, e[i][j], points[i - 1], weights[i - 1]);
  }
  return s;
}

template ElevatedSums<double> SumElevatedColumn<double>(const Matrix&, int, int, int, const Point2*,
                                                        const float*);
template ElevatedSums<float> SumElevatedColumn<float>(const Matrix&, int, int, int, const Point2*,
                                                      const float*);

bool FitLeastSquares(const Matrix& e, int k, int cols, int band, const Point2* data, Point2* out,
                     NumericScratch& scratch) {
  Matrix& a = scratch.matrixA;
  Matrix& b = scratch.matrixB;
  // Rows i and l of E share the columns max(i, l) .. min(i, l) + band.
  for (int i = 1; i <= k; ++i) {
    for (int l = 1; l <= k; ++l) {
      const int first = band < 0 ? 1 : std::max(i, l);
      const int last = band < 0 ? cols : std::min(std::min(i, l) + band, cols);
      double sum = 0.0;
      for (int j = first; j <= last; ++j) sum += double(e[i][j]) * e[l][j];
      a[i][l] = static_cast<float>(sum);
    }
    std::fill_n(b[i] + 1, k, 0.0f);  // the solver's right-hand block starts clean
  }
  if (SolveGaussJordan(a, b, k) == 0) return false;
  // Column j of E is non-zero in rows j - band .. j.
  for (int i = 1; i <= k; ++i) {
    for (int j = 1; j <= cols; ++j) {
      const int first = band < 0 ? 1 : std::max(1, j - band);
      const int last = band < 0 ? k : std::min(k, j);
      double sum = 0.0;
      for (int l = first; l <= last; ++l) sum += double(a[i][l]) * e[l][j];
      b[i][j] = static_cast<float>(sum);
    }
  }
  for (int i = 1; i <= k; ++i) {
    double x = 0.0, y = 0.0;
    for (int j = 1; j <= cols; ++j) {
      x += double(b[i][j]) * data[j].x;
      y += double(b[i][j]) * data[j].y;
    }
    out[i - 1] = Point2{static_cast<float>(x), static_cast<float>(y)};
    if (!IsFinite(out[i - 1])) return false;
  }
  return true;
}

}  // namespace tambra
