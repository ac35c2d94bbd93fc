// The numerical kernels against oracles: coefficients from log-gamma, inverses multiplied back.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>

#include "numeric/coefficients.h"
#include "numeric/matrix.h"
#include "scratch_support.h"

namespace tambra {
namespace {

using Rows = std::vector<std::vector<double>>;

// Fills `m` with values no kernel would produce; returns a copy.
std::vector<float> Mark(Matrix& m, float base) {
  for (int i = 0; i < kMatrixSize * kMatrixSize; ++i) (&m[0][0])[i] = base + i;
  return {&m[0][0], &m[0][0] + kMatrixSize * kMatrixSize};
}

// Whether `m` holds what it held before outside rows and columns 1 .. n.
bool KeptOutside(const Matrix& m, const std::vector<float>& before, int n = 0) {
  for (int r = 0, i = 0; r < kMatrixSize; ++r) {
    for (int c = 0; c < kMatrixSize; ++c, ++i)
      if ((std::min(r, c) < 1 || std::max(r, c) > n) && m[r][c] != before[i]) return false;
  }
  return true;
}

void Load(Matrix& m, const Rows& rows, std::size_t base = 1) {
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = 0; j < rows[i].size(); ++j) m[i + base][j + base] = float(rows[i][j]);
}

class NumericTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetNumericScratch(); }
};

TEST(CoefficientsTest, BinomialTrinomialAndBernstein) {
  for (auto [n, k] : {std::pair{5, 0}, {5, 5}, {5, -1}, {5, 6}, {0, 0}, {-4, 2}})
    EXPECT_EQ(Binomial(n, k), 1.0) << "C(" << n << ", " << k << ") is 1, never 0";
  // n! overflows a double from 171 on; the coefficient must not.
  const double c = std::exp(std::lgamma(1001.0) - std::lgamma(18.0) - std::lgamma(984.0));
  EXPECT_NEAR(Binomial(1000, 17), c, c * 1e-9);
  EXPECT_EQ(Binomial(2000, 1000), std::numeric_limits<double>::infinity());
  struct T { int n, i, j; double want; };
  for (const T t : {T{0, 0, 0, 1}, T{3, 3, 0, 1}, T{3, 0, 3, 1}, T{4, 1, 1, 12}, T{6, 2, 2, 90},
                    T{10, 3, 4, 4200}, T{3, -1, 1, 0}, T{200, 0, 1, 200}})
    EXPECT_EQ(Trinomial(t.n, t.i, t.j), t.want) << t.n << " " << t.i << " " << t.j;
  EXPECT_EQ(Bernstein(3, -1, 0.0), 0.0) << "a pole outside the basis is 0";
}

// The construction as its three former copies wrote it: running values in double, or rounded
// to float after every step (the least-squares reductions).
template <typename Running>
void FormerElevation(Matrix& e, int n, int r, int base) {
  for (int i = 0; i < n + base; ++i) std::fill_n(e[i], n + r + base, 0.0f);
  Running c[kMatrixSize] = {}, d = 1;
  for (int f = n; f <= n + r - 1; ++f) d = static_cast<Running>(double(d) * f);
  for (int i = 0; i < n; ++i) {
    c[0] = 1;
    for (int k = 1; k <= r; ++k) c[k] = static_cast<Running>(double(c[k]) + c[k - 1]);
    for (int k = 0; k <= r; ++k) {
      Running a = 1, b = 1;
      for (int f = r; f >= r - k + 1; --f) a = static_cast<Running>(double(a) * f);
      for (int f = n - i; f <= n - i + r - k - 1; ++f) b = static_cast<Running>(double(b) * f);
      e[i + base][i + k + base] = static_cast<float>(double(a) * c[k] * b / d);
    }
  }
}

// The bits of each former copy, exactly its block cleared. (The values themselves are checked
// through the elevation kernels against the closed form.)
TEST_F(NumericTest, ElevationMatrix) {
  static Matrix want, got;
  for (auto precision : {ElevationPrecision::kDouble, ElevationPrecision::kSingle}) {
    for (int base : {0, 1}) {
      for (int n = 0; n + base <= kMatrixSize; ++n) {
        for (int r : {0, 1, 2, 3, 5, 8, 13, 21, 34, 55, 89, kMatrixSize - base - n}) {
          if (n + r + base > kMatrixSize) continue;
          const bool exact = precision == ElevationPrecision::kDouble;
          Mark(want, 9.0f), Mark(got, 9.0f), BuildElevationMatrix(got, n, r, base, precision);
          (exact ? FormerElevation<double> : FormerElevation<float>)(want, n, r, base);
          ASSERT_EQ(std::memcmp(want, got, sizeof want), 0) << n << " " << r << " " << base;
        }
      }
    }
  }
}

TEST_F(NumericTest, SolverEdgeCases) {
  const auto a = Mark(MatrixA(), 1.0f), b = Mark(MatrixB(), 2.0f);
  EXPECT_EQ(SolveGaussJordan(0), 1);
  EXPECT_EQ(std::tuple(KeptOutside(MatrixA(), a), KeptOutside(MatrixB(), b)), std::tuple(true, true))
      << "n = 0 changes nothing";
  const auto solve = [](const Rows& rows, const Rows& inverse = {}) {
    ResetNumericScratch();
    Load(MatrixA(), rows);
    const int result = SolveGaussJordan(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < inverse.size(); ++i)
      for (std::size_t j = 0; j < 2; ++j) EXPECT_NEAR(MatrixA()[i + 1][j + 1], inverse[i][j], 1e-7);
    return result;
  };
  EXPECT_EQ(solve({{0, 2}, {3, 4}}, {{-2.0 / 3, 1.0 / 3}, {0.5, 0}}), 1) << "zero leading pivot";
  EXPECT_EQ(std::tuple(solve({{2, 1}, {2, 1}}), solve({{1, 0}, {0, 1e-21}})), std::tuple(0, 0)) << "singular";
  EXPECT_EQ(std::tuple(solve({{1, 0}, {0, 1e-19}}), solve({{1, 0}, {0, -1e-19}})), std::tuple(1, 1));
  // Five pivots tie at 1; only the last in scan order keeps e = 3 * 2^-66 from being lost.
  const double tiny = 3.0 * std::ldexp(1.0, -66);
  ASSERT_EQ(solve({{0.5, -1, 1}, {tiny, -1, 0}, {0.5, 1, 1}}), 1);
  EXPECT_NEAR(MatrixA()[1][2], 1.0 / tiny, 1e-6 / tiny);
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  for (double bad : {nan, inf, -inf}) {
    EXPECT_EQ(std::tuple(solve({{bad, 0, 0}, {0, 2, 0}, {0, 0, 2}}), solve({{2, 0, 0}, {0, 2, bad}, {0, 0, 2}})),
              std::tuple(0, 0)) << bad;
  }
  EXPECT_EQ(solve({{inf}}), 0) << "a lone infinite pivot would scale its row by 0";
  ResetNumericScratch(), Load(MatrixA(), {{0.5, 0}, {0, 0.5}}), MatrixB()[1][2] = 3e38f;
  EXPECT_EQ(SolveGaussJordan(2), 0) << "A^-1 B overflows";
}

// Diagonally dominant, rows shuffled: the solver must swap rows and unscramble columns.
TEST_F(NumericTest, SolverInvertsRandomMatricesAndAppliesTheInverseToB) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  for (int n : {1, 2, 3, 5, 8, 13, 21, 34, 60, kMaxOneBasedSize}) {
    SCOPED_TRACE(n);
    Rows given(n, std::vector<double>(n)), rhs = given, unit = given;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) given[i][j] = entry(rng), rhs[i][j] = float(10 * entry(rng));
      given[i][i] += given[i][i] < 0 ? -n - 1.0 : n + 1.0;
    }
    std::shuffle(given.begin(), given.end(), rng);
    for (auto& row : given) std::for_each(row.begin(), row.end(), [](double& v) { v = float(v); });
    const auto a = Mark(MatrixA(), 1e6f), b = Mark(MatrixB(), 2e6f);
    Load(MatrixA(), given), Load(MatrixB(), rhs);
    for (int i = 0; i < n; ++i) unit[i][i] = rhs[i][i] = 1.0;  // the solver sets B's diagonal to 1
    ASSERT_EQ(SolveGaussJordan(n), 1);
    for (auto [result, want, tolerance] :
         {std::tuple{&MatrixA(), &unit, 4e-6}, {&MatrixB(), &rhs, 5e-5}}) {
      for (int i = 0; i < n; ++i) {  // |given * result - want| in double
        for (int j = 0; j < n; ++j) {
          double sum = -(*want)[i][j];
          for (int k = 0; k < n; ++k) sum += given[i][k] * (*result)[k + 1][j + 1];
          ASSERT_LT(std::fabs(sum), tolerance) << (result == &MatrixA() ? "A A^-1 " : "A A^-1 B ")
                                               << i << ", " << j;
        }
      }
    }
    EXPECT_EQ(std::tuple(KeptOutside(MatrixA(), a, n), KeptOutside(MatrixB(), b, n)), std::tuple(true, true));
  }
}

TEST_F(NumericTest, MatMulRoundsAfterEveryTerm) {
  Load(MatrixE(), {{1, 2, 3}, {4, 5, 6}}, 0), Load(MatrixB(), {{7, 8}, {9, 10}, {11, 12}}, 0);
  MatMul(MatrixE(), MatrixB(), MatrixA(), 2, 3, 2);
  EXPECT_EQ(std::vector<float>(&MatrixA()[0][0], &MatrixA()[0][2]), (std::vector<float>{58, 64}));
  EXPECT_EQ(std::vector<float>(&MatrixA()[1][0], &MatrixA()[1][2]), (std::vector<float>{139, 154}));
  Load(MatrixE(), {{1e8, 1, -1e8}}, 0), Load(MatrixB(), {{1}, {1}, {1}}, 0);  // 1e8 + 1 is 1e8
  MatMul(MatrixE(), MatrixB(), MatrixA(), 1, 3, 1);
  EXPECT_EQ(MatrixA()[0][0], 0.0f) << "rounded after every term, not summed in double";
}

TEST_F(NumericTest, SizesBeyondStorageAreRefused) {
  const auto a = Mark(MatrixA(), 1), b = Mark(MatrixB(), 2), e = Mark(MatrixE(), 3),
             el = Mark(ElevationMatrix(), 4);
  for (int bad : {101, INT_MAX, -1, INT_MIN}) {
    for (auto [n, k, p] : {std::tuple{bad, 2, 2}, {2, bad, 2}, {2, 2, bad}})
      MatMul(MatrixA(), MatrixB(), MatrixE(), n, k, p);
    TransposeMatrix(MatrixA(), MatrixB(), bad, 2), TransposeMatrix(MatrixA(), MatrixB(), 2, bad);
  }
  for (int bad : {100, INT_MAX, -1, INT_MIN}) {
    EXPECT_EQ(SolveGaussJordan(bad), 0) << bad;
    ShiftMatrixIndex(MatrixA(), bad, 2, 1), ShiftMatrixIndex(MatrixA(), 2, bad, 0);
    BuildElevationMatrix(bad, 0), BuildElevationMatrix(0, bad);
    BuildElevationMatrix(ElevationMatrix(), 3, 1, bad, ElevationPrecision::kDouble);
  }
  BuildElevationMatrix(50, 50), BuildElevationMatrix(INT_MAX, INT_MAX);
  BuildElevationMatrix(ElevationMatrix(), 1, 100, 0, ElevationPrecision::kSingle);
  BuildElevationMatrix(ElevationMatrix(), 100, 0, 1, ElevationPrecision::kSingle);
  EXPECT_EQ(std::tuple(KeptOutside(MatrixA(), a), KeptOutside(MatrixB(), b), KeptOutside(MatrixE(), e),
                       KeptOutside(ElevationMatrix(), el)), std::tuple(true, true, true, true));
}

}  // namespace
}  // namespace tambra
