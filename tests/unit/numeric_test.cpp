// Unit tests of the numerical kernels: coefficients, Bernstein values, the
// elevation matrix, the Gauss-Jordan solver and the matrix utilities.
//
// Oracles are independent of the code under test: Pascal's rule in integer
// or extended arithmetic for coefficients, de Casteljau's algorithm for
// Bernstein values and elevated curves, and multiplication back in double
// for the solver.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "numeric/coefficients.h"
#include "numeric/matrix.h"

namespace tambra {
namespace {

// ---------------------------------------------------------------------------
// Helpers

// C(n, k) by Pascal's rule in extended precision, 0 <= k <= n <= maxN.
class PascalTable {
 public:
  explicit PascalTable(int maxN) : rows_(maxN + 1) {
    for (int n = 0; n <= maxN; ++n) {
      rows_[n].assign(n + 1, 1.0L);
      for (int k = 1; k < n; ++k) rows_[n][k] = rows_[n - 1][k - 1] + rows_[n - 1][k];
    }
  }
  long double operator()(int n, int k) const { return rows_[n][k]; }

 private:
  std::vector<std::vector<long double>> rows_;
};

const PascalTable& Pascal() {
  static const PascalTable table(1100);
  return table;
}

// Exact C(n, k) for n <= 62 by Pascal's rule in 64-bit integers.
std::uint64_t ExactBinomial(int n, int k) {
  std::vector<std::uint64_t> row(n + 1, 0);
  row[0] = 1;
  for (int m = 1; m <= n; ++m) {
    for (int j = m; j >= 1; --j) row[j] += row[j - 1];
  }
  return row[k];
}

// One coordinate of a Bezier curve at t by de Casteljau's algorithm.
double DeCasteljau(std::vector<double> points, double t) {
  for (std::size_t level = 1; level < points.size(); ++level) {
    for (std::size_t i = 0; i + level < points.size(); ++i) {
      points[i] = (1.0 - t) * points[i] + t * points[i + 1];
    }
  }
  return points.empty() ? 0.0 : points[0];
}

// The whole matrix as a flat copy, so that tests can check what a kernel
// left alone.
std::vector<float> Copy(const Matrix& m) {
  return std::vector<float>(&m[0][0], &m[0][0] + kMatrixSize * kMatrixSize);
}

// Fills every entry with a distinct value that no kernel would produce.
void FillWithMarkers(Matrix& m, float base) {
  for (int i = 0; i < kMatrixSize; ++i) {
    for (int j = 0; j < kMatrixSize; ++j) m[i][j] = base + static_cast<float>(i * kMatrixSize + j);
  }
}

// Compares `m` with `before` at every entry for which `changed(i, j)` is
// false, and names the first entry that differs.
template <typename Region>
::testing::AssertionResult UnchangedOutside(const Matrix& m, const std::vector<float>& before,
                                            Region changed) {
  for (int i = 0; i < kMatrixSize; ++i) {
    for (int j = 0; j < kMatrixSize; ++j) {
      if (changed(i, j)) continue;
      const float old = before[static_cast<std::size_t>(i * kMatrixSize + j)];
      if (!(m[i][j] == old) && !(std::isnan(m[i][j]) && std::isnan(old))) {
        return ::testing::AssertionFailure()
               << "entry (" << i << ", " << j << ") changed from " << old << " to " << m[i][j];
      }
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Unchanged(const Matrix& m, const std::vector<float>& before) {
  return UnchangedOutside(m, before, [](int, int) { return false; });
}

// A random matrix that is strongly diagonally dominant before its rows are
// shuffled, so it is well conditioned but its largest entries are off the
// diagonal: the solver has to swap rows and unscramble columns.
std::vector<std::vector<double>> WellConditioned(int n, std::mt19937& rng) {
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  std::vector<std::vector<double>> rows(n, std::vector<double>(n));
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) rows[i][j] = entry(rng);
    rows[i][i] += (rows[i][i] < 0 ? -1.0 : 1.0) * (n + 1.0);
  }
  std::shuffle(rows.begin(), rows.end(), rng);
  // Round to what the matrix can hold, so the oracle sees the same input.
  for (auto& row : rows) {
    for (double& value : row) value = static_cast<float>(value);
  }
  return rows;
}

// Puts a 0-based n by n matrix into rows and columns 1..n.
void LoadOneBased(Matrix& m, const std::vector<std::vector<double>>& rows) {
  const int n = static_cast<int>(rows.size());
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) m[i + 1][j + 1] = static_cast<float>(rows[i][j]);
  }
}

// Largest |(given * result)(i, j) - expected(i, j)| over the 1-based block,
// computed in double; `expected` is the identity when null.
double ProductResidual(const std::vector<std::vector<double>>& given, const Matrix& result,
                       const std::vector<std::vector<double>>* expected = nullptr) {
  const int n = static_cast<int>(given.size());
  double worst = 0.0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      double sum = 0.0;
      for (int k = 0; k < n; ++k) sum += given[i][k] * result[k + 1][j + 1];
      const double want = expected ? (*expected)[i][j] : (i == j ? 1.0 : 0.0);
      worst = std::max(worst, std::fabs(sum - want));
    }
  }
  return worst;
}

class NumericKernelTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetNumericScratch(); }
};

// ---------------------------------------------------------------------------
// Binomial and Trinomial

TEST(BinomialTest, SmallValuesAndOutOfRangeArgumentsGiveOne) {
  EXPECT_EQ(Binomial(5, 2), 10.0);
  EXPECT_EQ(Binomial(5, 0), 1.0);
  EXPECT_EQ(Binomial(5, 5), 1.0);
  EXPECT_EQ(Binomial(5, -1), 1.0);  // 1, not 0
  EXPECT_EQ(Binomial(5, 6), 1.0);   // 1, not 0
  EXPECT_EQ(Binomial(0, 0), 1.0);
  EXPECT_EQ(Binomial(-4, 2), 1.0);
  EXPECT_EQ(Binomial(-4, -7), 1.0);
}

TEST(BinomialTest, MatchesPascalsRule) {
  // Up to n = 18 every partial product fits 53 bits, so the value is exact.
  for (int n = 0; n <= 18; ++n) {
    for (int k = 0; k <= n; ++k) {
      EXPECT_EQ(Binomial(n, k), static_cast<double>(ExactBinomial(n, k)))
          << "C(" << n << ", " << k << ")";
    }
  }
  // Beyond, the factor products round; a few ulps per factor.
  for (int n = 19; n <= 62; ++n) {
    for (int k = 0; k <= n; ++k) {
      const double want = static_cast<double>(ExactBinomial(n, k));
      EXPECT_NEAR(Binomial(n, k), want, want * 1e-14) << "C(" << n << ", " << k << ")";
    }
  }
}

TEST(BinomialTest, LoopOrderFixesTheRounding) {
  // Products n..k+1, then divisions by n-k down to 1. Callers depend on these
  // exact bits; any other order rounds some of them differently.
  EXPECT_EQ(Binomial(25, 1), 0x1.8fffffffffffdp+4);   // 24.999999999999989
  EXPECT_EQ(Binomial(30, 1), 0x1.e000000000001p+4);   // 30.000000000000004
  EXPECT_EQ(Binomial(24, 4), 0x1.4c0ffffffffffp+13);  // 10625.999999999998
  EXPECT_EQ(Binomial(27, 3), 2925.0);
  // The same coefficient through Trinomial's loops (divisions by 1..j, then
  // by 1..n-i-j) comes out exact.
  EXPECT_EQ(Trinomial(24, 0, 4), 10626.0);
}

TEST(BinomialTest, LargeArgumentsStayFiniteAndAccurate) {
  // n! overflows a double from n = 171 on; the results must not.
  for (int n : {170, 171, 200, 500, 1000, 1029}) {
    for (int k : {1, 2, 17, n / 3, n / 2, n - 3, n - 1}) {
      const double want = static_cast<double>(Pascal()(n, k));
      const double got = Binomial(n, k);
      ASSERT_TRUE(std::isfinite(got)) << "C(" << n << ", " << k << ")";
      EXPECT_NEAR(got, want, want * 1e-12) << "C(" << n << ", " << k << ")";
    }
  }
  EXPECT_EQ(Binomial(200, 1), 200.0);
  EXPECT_EQ(Binomial(200, 199), 200.0);
  EXPECT_EQ(Binomial(INT_MAX, 1), static_cast<double>(INT_MAX));
  EXPECT_EQ(Binomial(INT_MAX, INT_MAX - 1), static_cast<double>(INT_MAX));
  // A value beyond the double range is the correctly rounded +inf, not NaN.
  EXPECT_EQ(Binomial(2000, 1000), std::numeric_limits<double>::infinity());
}

TEST(BinomialTest, ExtremeArgumentsReturnPromptly) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_GT(Binomial(INT_MAX, INT_MAX / 2), 0.0);
  EXPECT_GT(Binomial(INT_MAX, 3), 0.0);
  EXPECT_GT(Trinomial(INT_MAX, 0, INT_MAX / 2), 0.0);
  EXPECT_EQ(Trinomial(5, 0, INT_MAX), 0.0);  // 5! / INT_MAX! underflows
  EXPECT_EQ(Trinomial(5, INT_MIN, 0), 0.0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(TrinomialTest, KnownValues) {
  EXPECT_EQ(Trinomial(0, 0, 0), 1.0);
  EXPECT_EQ(Trinomial(3, 0, 0), 1.0);
  EXPECT_EQ(Trinomial(3, 3, 0), 1.0);
  EXPECT_EQ(Trinomial(3, 0, 3), 1.0);
  EXPECT_EQ(Trinomial(2, 1, 1), 2.0);
  EXPECT_EQ(Trinomial(4, 1, 1), 12.0);
  EXPECT_EQ(Trinomial(6, 2, 2), 90.0);
  EXPECT_EQ(Trinomial(10, 3, 4), 4200.0);
}

TEST(TrinomialTest, AgreesWithBinomialProductsAndSumsToPowersOfThree) {
  for (int n = 0; n <= 30; ++n) {
    long double sum = 0.0L;
    for (int i = 0; i <= n; ++i) {
      for (int j = 0; i + j <= n; ++j) {
        const double got = Trinomial(n, i, j);
        const long double want = Pascal()(n, i) * Pascal()(n - i, j);
        EXPECT_NEAR(got, static_cast<double>(want), static_cast<double>(want) * 1e-14)
            << "n=" << n << " i=" << i << " j=" << j;
        sum += got;
      }
    }
    EXPECT_NEAR(static_cast<double>(sum), std::pow(3.0, n), std::pow(3.0, n) * 1e-13) << "n=" << n;
  }
}

TEST(TrinomialTest, OutOfRangeIndicesFollowTheLoops) {
  // No range checks: an empty loop contributes 1, a factor range through 0
  // gives 0.
  EXPECT_EQ(Trinomial(3, 4, 0), 1.0);   // no factors, no divisors
  EXPECT_EQ(Trinomial(3, -1, 1), 0.0);  // 3 * 2 * 1 * 0
  EXPECT_EQ(Trinomial(4, 1, 5), 0.2);   // 4 * 3 * 2 / 5!
  EXPECT_EQ(Trinomial(4, 1, -1), 1.0);  // 4 * 3 * 2 / 4!
}

TEST(TrinomialTest, LargeDegreesStayFinite) {
  // Overflowing factor products must neither give inf nor inf * 0 = NaN.
  EXPECT_EQ(Trinomial(200, 0, 0), 1.0);
  EXPECT_EQ(Trinomial(200, 0, 1), 200.0);
  EXPECT_EQ(Trinomial(200, -1, 0), 0.0);
  const double big = Trinomial(300, 100, 100);
  const long double want = Pascal()(300, 100) * Pascal()(200, 100);
  EXPECT_NEAR(big, static_cast<double>(want), static_cast<double>(want) * 1e-12);
  // Out of range and overflowing: 200! / (10! 195!) = C(200, 5) / (6 7 8 9 10).
  const double wantOut = static_cast<double>(Pascal()(200, 5)) / (6.0 * 7 * 8 * 9 * 10);
  EXPECT_NEAR(Trinomial(200, 10, -5), wantOut, wantOut * 1e-10);
  // Negative n: 250 negative factors -200 .. -449 over 250! = C(449, 249) > 0.
  const double wantNegative = static_cast<double>(Pascal()(449, 250));
  EXPECT_NEAR(Trinomial(-200, -450, 0), wantNegative, wantNegative * 1e-10);
  // 251 negative factors -200 .. -450 over 251!: -C(450, 251).
  const double wantOdd = -static_cast<double>(Pascal()(450, 251));
  EXPECT_NEAR(Trinomial(-200, -451, 0), wantOdd, -wantOdd * 1e-10);
}

// ---------------------------------------------------------------------------
// Bernstein values

TEST(BernsteinTest, EndValues) {
  for (int count = 1; count <= 12; ++count) {
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(Bernstein(count, i, 0.0), i == 0 ? 1.0 : 0.0) << count << " " << i;
      EXPECT_EQ(Bernstein(count, i, 1.0), i == count - 1 ? 1.0 : 0.0) << count << " " << i;
    }
  }
}

TEST(BernsteinTest, FirstArgumentCountsControlPoints) {
  // Three points: the quadratic basis, 2 t (1-t) in the middle.
  EXPECT_EQ(Bernstein(3, 1, 0.5), 0.5);
  EXPECT_EQ(Bernstein(4, 1, 0.5), 0.375);
}

TEST(BernsteinTest, MatchesDeCasteljauOnUnitCoefficients) {
  for (int count = 1; count <= 40; ++count) {
    for (double t : {0.0, 0.1, 0.25, 1.0 / 3.0, 0.5, 0.77, 0.999, 1.0}) {
      double sum = 0.0;
      for (int i = 0; i < count; ++i) {
        std::vector<double> unit(count, 0.0);
        unit[i] = 1.0;
        const double want = DeCasteljau(unit, t);
        const double got = Bernstein(count, i, t);
        EXPECT_NEAR(got, want, 1e-13) << "count=" << count << " i=" << i << " t=" << t;
        sum += got;
      }
      EXPECT_NEAR(sum, 1.0, 1e-13) << "count=" << count << " t=" << t;
    }
  }
}

TEST(BernsteinTest, IndexOutsideBasisIsFiniteAtThePoles) {
  EXPECT_EQ(Bernstein(3, -1, 0.0), 0.0);
  EXPECT_EQ(Bernstein(3, 3, 1.0), 0.0);
  EXPECT_EQ(Bernstein(0, 0, 1.0), 0.0);
  // Away from a pole the formula stands: 1 * 0.5^-1 * 0.5^3.
  EXPECT_EQ(Bernstein(3, -1, 0.5), 0.25);
  EXPECT_EQ(Bernstein(INT_MIN, 0, 1.0), 0.0);  // no overflow forming count - 1
}

TEST(TriangularBernsteinTest, PartitionOfUnityAndVertexValues) {
  for (int n = 0; n <= 20; ++n) {
    for (auto [u, v] :
         {std::pair{0.2, 0.3}, {0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}, {0.5, 0.5}, {0.1, 0.05}}) {
      double sum = 0.0;
      for (int i = 0; i <= n; ++i) {
        for (int j = 0; i + j <= n; ++j) sum += TriangularBernstein(n, i, j, u, v);
      }
      EXPECT_NEAR(sum, 1.0, 1e-13) << "n=" << n << " u=" << u << " v=" << v;
    }
    EXPECT_EQ(TriangularBernstein(n, n, 0, 1.0, 0.0), 1.0);
    EXPECT_EQ(TriangularBernstein(n, 0, n, 0.0, 1.0), 1.0);
    EXPECT_EQ(TriangularBernstein(n, 0, 0, 0.0, 0.0), 1.0);
  }
}

TEST(TriangularBernsteinTest, EdgeIsTheCurveBasis) {
  // On the edge v = 0 the patch basis reduces to the curve basis of n + 1
  // points.
  for (int n = 0; n <= 15; ++n) {
    for (int i = 0; i <= n; ++i) {
      for (double u : {0.0, 0.3, 0.6, 1.0}) {
        EXPECT_DOUBLE_EQ(TriangularBernstein(n, i, 0, u, 0.0), Bernstein(n + 1, i, u));
        // j beyond the degree: zero, including the pole w = 0 at u = 1.
        EXPECT_EQ(TriangularBernstein(n, i, n - i + 1, u, 0.0), 0.0);
      }
    }
  }
}

TEST(TriangularBernsteinTest, IndexOutsideBasisIsFiniteAtThePoles) {
  EXPECT_EQ(TriangularBernstein(3, -1, 1, 0.0, 0.5), 0.0);
  EXPECT_EQ(TriangularBernstein(3, 1, -1, 0.5, 0.0), 0.0);
  EXPECT_EQ(TriangularBernstein(3, 2, 2, 0.5, 0.5), 0.0);
  EXPECT_EQ(TriangularBernstein(3, 2, 2, 0.25, 0.75), 0.0);
}

// ---------------------------------------------------------------------------
// Elevation matrix

using ElevationMatrixTest = NumericKernelTest;

TEST_F(ElevationMatrixTest, StepZeroIsTheIdentity) {
  for (int n = 0; n <= kMaxOneBasedSize; ++n) {
    FillWithMarkers(ElevationMatrix(), 5.0f);
    BuildElevationMatrix(n, 0);
    for (int i = 0; i <= n; ++i) {
      for (int j = 0; j <= n; ++j) {
        ASSERT_EQ(ElevationMatrix()[i][j], (i == j && i > 0) ? 1.0f : 0.0f)
            << "n=" << n << " entry (" << i << ", " << j << ")";
      }
    }
  }
}

TEST_F(ElevationMatrixTest, EntriesMatchTheClosedForm) {
  // Entry (i+1, j+1) = C(n-1, i) C(r, j-i) / C(n-1+r, j), zero off the band.
  // The running sums are single precision, so allow a few float ulps.
  for (int n = 1; n <= kMaxOneBasedSize; ++n) {
    for (int r = 0; n + r <= kMaxOneBasedSize; ++r) {
      BuildElevationMatrix(n, r);
      const Matrix& e = ElevationMatrix();
      for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n + r; ++j) {
          const int k = j - i;
          const long double want =
              (k < 0 || k > r) ? 0.0L
                               : Pascal()(n - 1, i) * Pascal()(r, k) / Pascal()(n - 1 + r, j);
          ASSERT_NEAR(e[i + 1][j + 1], static_cast<double>(want), static_cast<double>(want) * 4e-7)
              << "n=" << n << " r=" << r << " entry (" << i + 1 << ", " << j + 1 << ")";
        }
      }
      for (int j = 0; j <= n + r; ++j) ASSERT_EQ(e[0][j], 0.0f) << "n=" << n << " r=" << r;
      for (int i = 0; i <= n; ++i) ASSERT_EQ(e[i][0], 0.0f) << "n=" << n << " r=" << r;
    }
  }
}

TEST_F(ElevationMatrixTest, ColumnsSumToOneAndCornersAreExact) {
  for (int n = 1; n <= kMaxOneBasedSize; ++n) {
    for (int r = 0; n + r <= kMaxOneBasedSize; ++r) {
      BuildElevationMatrix(n, r);
      const Matrix& e = ElevationMatrix();
      for (int j = 1; j <= n + r; ++j) {
        double sum = 0.0;
        for (int i = 1; i <= n; ++i) sum += e[i][j];
        ASSERT_NEAR(sum, 1.0, 1e-6) << "n=" << n << " r=" << r << " column " << j;
      }
      ASSERT_EQ(e[1][1], 1.0f) << "n=" << n << " r=" << r;
      ASSERT_EQ(e[n][n + r], 1.0f) << "n=" << n << " r=" << r;
    }
  }
}

TEST_F(ElevationMatrixTest, LastCornerStaysExactBeyondSinglePrecisionBinomials) {
  // C(39, 30) = 211915132 is not a float: single-precision running sums
  // would leave this corner at 0x1.fffffep-1.
  BuildElevationMatrix(10, 30);
  EXPECT_EQ(ElevationMatrix()[10][40], 1.0f);
  BuildElevationMatrix(17, 80);
  EXPECT_EQ(ElevationMatrix()[17][97], 1.0f);
}

TEST_F(ElevationMatrixTest, ElevatedCurveIsTheSameCurve) {
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
  for (auto [n, r] : {std::pair{1, 3}, {2, 1}, {4, 1}, {4, 5}, {10, 7}, {25, 25}}) {
    std::vector<double> points(n);
    for (double& p : points) p = coordinate(rng);
    BuildElevationMatrix(n, r);
    std::vector<double> elevated(n + r, 0.0);
    for (int j = 0; j < n + r; ++j) {
      for (int i = 0; i < n; ++i) elevated[j] += ElevationMatrix()[i + 1][j + 1] * points[i];
    }
    for (double t = 0.0; t <= 1.0; t += 0.0625) {
      EXPECT_NEAR(DeCasteljau(elevated, t), DeCasteljau(points, t), 1e-3)
          << "n=" << n << " r=" << r << " t=" << t;
    }
  }
}

TEST_F(ElevationMatrixTest, WritesOnlyRowsZeroToNAndColumnsZeroToNPlusR) {
  for (auto [n, r] : {std::pair{0, 0}, {0, 5}, {3, 2}, {50, 49}, {99, 0}, {1, 98}}) {
    FillWithMarkers(ElevationMatrix(), 7.0f);
    const std::vector<float> before = Copy(ElevationMatrix());
    BuildElevationMatrix(n, r);
    EXPECT_TRUE(UnchangedOutside(ElevationMatrix(), before,
                                 [n, r](int i, int j) { return i <= n && j <= n + r; }))
        << "n=" << n << " r=" << r;
    EXPECT_EQ(ElevationMatrix()[0][n + r], 0.0f);
  }
}

TEST_F(ElevationMatrixTest, SizesBeyondStorageAreRefused) {
  FillWithMarkers(ElevationMatrix(), 3.0f);
  const std::vector<float> before = Copy(ElevationMatrix());
  for (auto [n, r] : {std::pair{100, 0},
                      {0, 100},
                      {50, 50},
                      {-1, 3},
                      {3, -1},
                      {INT_MAX, 1},
                      {1, INT_MAX},
                      {INT_MAX, INT_MAX},
                      {INT_MIN, 0}}) {
    BuildElevationMatrix(n, r);
    EXPECT_TRUE(Unchanged(ElevationMatrix(), before)) << "n=" << n << " r=" << r;
  }
}

// ---------------------------------------------------------------------------
// Gauss-Jordan solver

using GaussJordanTest = NumericKernelTest;

TEST_F(GaussJordanTest, SizeZeroSucceedsAndChangesNothing) {
  FillWithMarkers(MatrixA(), 1.0f);
  FillWithMarkers(MatrixB(), 2.0f);
  const std::vector<float> a = Copy(MatrixA());
  const std::vector<float> b = Copy(MatrixB());
  EXPECT_EQ(SolveGaussJordan(0), 1);
  EXPECT_TRUE(Unchanged(MatrixA(), a));
  EXPECT_TRUE(Unchanged(MatrixB(), b));
}

TEST_F(GaussJordanTest, ZeroLeadingEntryIsSolvedByPivoting) {
  // [0 2; 3 4]^-1 = [-2/3 1/3; 1/2 0].
  Matrix& a = MatrixA();
  a[1][1] = 0.0f;
  a[1][2] = 2.0f;
  a[2][1] = 3.0f;
  a[2][2] = 4.0f;
  ASSERT_EQ(SolveGaussJordan(2), 1);
  EXPECT_NEAR(a[1][1], -2.0 / 3.0, 1e-7);
  EXPECT_NEAR(a[1][2], 1.0 / 3.0, 1e-7);
  EXPECT_NEAR(a[2][1], 0.5, 1e-7);
  EXPECT_NEAR(a[2][2], 0.0, 1e-7);
}

TEST_F(GaussJordanTest, SingularMatricesReturnZero) {
  // Equal rows. The entries are chosen so that the elimination cancels
  // exactly; in general a float elimination can leave residues above the
  // singularity threshold.
  {
    Matrix& a = MatrixA();
    const float rows[3][3] = {{1, 2, 4}, {3, 1, 2}, {1, 2, 4}};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) a[i + 1][j + 1] = rows[i][j];
    }
    EXPECT_EQ(SolveGaussJordan(3), 0);
  }
  {
    ResetNumericScratch();
    Matrix& a = MatrixA();
    a[1][1] = 2.0f;
    a[1][2] = 1.0f;
    a[2][1] = 2.0f;
    a[2][2] = 1.0f;
    EXPECT_EQ(SolveGaussJordan(2), 0);
  }
  {
    ResetNumericScratch();  // the zero matrix
    EXPECT_EQ(SolveGaussJordan(5), 0);
  }
  {
    ResetNumericScratch();  // a zero column among non-zero entries
    Matrix& a = MatrixA();
    a[1][1] = 1.0f;
    a[2][1] = 5.0f;
    a[2][3] = 2.0f;
    a[3][1] = -1.0f;
    a[3][3] = 7.0f;
    EXPECT_EQ(SolveGaussJordan(3), 0);
  }
}

TEST_F(GaussJordanTest, PivotThreshold) {
  // 1e-21 is singular, 1e-19 is not; the boundary is the real 1e-20, so the
  // float nearest to it (just below) is singular and the next one up is not.
  const float below = 1e-20f;
  ASSERT_LT(static_cast<double>(below), 1e-20);
  const float above = std::nextafter(below, 1.0f);
  struct Case {
    float pivot;
    int expected;
  };
  for (const Case c :
       {Case{1e-21f, 0}, Case{1e-19f, 1}, Case{-1e-19f, 1}, Case{below, 0}, Case{above, 1}}) {
    ResetNumericScratch();
    MatrixA()[1][1] = 1.0f;
    MatrixA()[2][2] = c.pivot;
    EXPECT_EQ(SolveGaussJordan(2), c.expected) << "pivot " << c.pivot;
    if (c.expected == 1) {
      EXPECT_NEAR(MatrixA()[2][2] * c.pivot, 1.0, 1e-6);
    }
  }
}

TEST_F(GaussJordanTest, TiesGoToTheLastMaximalElement) {
  // | 0.5  -1   1 |   det = 2e, e = 3 * 2^-66 (about 4e-20).
  // |  e   -1   0 |   Five entries tie at magnitude 1. The last in scan order,
  // | 0.5   1   1 |   (3, 3), keeps e apart until it is the last pivot, which
  // passes the threshold. The first, (1, 2), would subtract 0.5 from e in
  // single precision, lose it, and report a singular matrix.
  const float e = 3.0f * std::ldexp(1.0f, -66);
  const float rows[3][3] = {{0.5f, -1.0f, 1.0f}, {e, -1.0f, 0.0f}, {0.5f, 1.0f, 1.0f}};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) MatrixA()[i + 1][j + 1] = rows[i][j];
  }
  ASSERT_EQ(SolveGaussJordan(3), 1);
  // Against the cofactors: inverse (1, 1) = -1/det, (1, 2) = 2/det and
  // (3, 1) = (0.5 + e)/det.
  const double det = 2.0 * e;
  EXPECT_NEAR(MatrixA()[1][1], -1.0 / det, 1e-6 / det);
  EXPECT_NEAR(MatrixA()[1][2], 2.0 / det, 2e-6 / det);
  EXPECT_NEAR(MatrixA()[3][1], 0.5 / det, 1e-6 / det);
}

TEST_F(GaussJordanTest, InvertsRandomWellConditionedMatrices) {
  std::mt19937 rng(12345);
  std::vector<int> sizes(60);
  std::iota(sizes.begin(), sizes.end(), 1);
  sizes.push_back(kMaxOneBasedSize);
  for (int n : sizes) {
    ResetNumericScratch();
    const auto given = WellConditioned(n, rng);
    LoadOneBased(MatrixA(), given);
    ASSERT_EQ(SolveGaussJordan(n), 1) << "n=" << n;
    EXPECT_LT(ProductResidual(given, MatrixA()), 4e-6) << "A A^-1, n=" << n;
    // With MatrixB cleared it ends up holding the inverse as well.
    EXPECT_LT(ProductResidual(given, MatrixB()), 4e-6) << "A B, n=" << n;
  }
}

TEST_F(GaussJordanTest, RightHandBlockIsInverseTimesGivenBlockWithUnitDiagonal) {
  std::mt19937 rng(777);
  std::uniform_real_distribution<double> entry(-10.0, 10.0);
  for (int n : {1, 2, 3, 7, 20, 45}) {
    ResetNumericScratch();
    const auto given = WellConditioned(n, rng);
    LoadOneBased(MatrixA(), given);
    std::vector<std::vector<double>> rhs(n, std::vector<double>(n));
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        rhs[i][j] = static_cast<float>(entry(rng));
        MatrixB()[i + 1][j + 1] = static_cast<float>(rhs[i][j]);
      }
      rhs[i][i] = 1.0;  // the solver overwrites the diagonal
    }
    ASSERT_EQ(SolveGaussJordan(n), 1) << "n=" << n;
    // A_given * B_result must give back the right-hand block.
    EXPECT_LT(ProductResidual(given, MatrixB(), &rhs), 5e-5) << "n=" << n;
  }
}

TEST_F(GaussJordanTest, PermutationMatricesInvertExactly) {
  // Every candidate pivot ties at 1 and the inverse is the transpose with
  // the scales inverted; powers of two keep the arithmetic exact, so any
  // mistake in the row swaps or the column unscrambling shows.
  std::mt19937 rng(99);
  for (int n = 1; n <= 30; ++n) {
    ResetNumericScratch();
    std::vector<int> perm(n);
    std::iota(perm.begin(), perm.end(), 0);
    std::shuffle(perm.begin(), perm.end(), rng);
    std::vector<float> scale(n);
    for (int i = 0; i < n; ++i) {
      scale[i] = std::ldexp(1.0f, static_cast<int>(rng() % 7) - 3) * (rng() % 2 ? 1.0f : -1.0f);
      MatrixA()[i + 1][perm[i] + 1] = scale[i];
    }
    ASSERT_EQ(SolveGaussJordan(n), 1) << "n=" << n;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        const float want = (perm[j] == i) ? 1.0f / scale[j] : 0.0f;
        ASSERT_EQ(MatrixA()[i + 1][j + 1], want)
            << "n=" << n << " entry (" << i + 1 << ", " << j + 1 << ")";
        ASSERT_EQ(MatrixB()[i + 1][j + 1], want)
            << "n=" << n << " entry (" << i + 1 << ", " << j + 1 << ")";
      }
    }
  }
}

TEST_F(GaussJordanTest, TouchesOnlyTheOneBasedBlock) {
  std::mt19937 rng(5);
  for (int n : {1, 4, 17, kMaxOneBasedSize}) {
    FillWithMarkers(MatrixA(), 1e6f);
    FillWithMarkers(MatrixB(), 2e6f);
    LoadOneBased(MatrixA(), WellConditioned(n, rng));
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) MatrixB()[i][j] = 0.0f;
    }
    const std::vector<float> a = Copy(MatrixA());
    const std::vector<float> b = Copy(MatrixB());
    ASSERT_EQ(SolveGaussJordan(n), 1) << "n=" << n;
    const auto block = [n](int i, int j) { return i >= 1 && i <= n && j >= 1 && j <= n; };
    EXPECT_TRUE(UnchangedOutside(MatrixA(), a, block)) << "n=" << n;
    EXPECT_TRUE(UnchangedOutside(MatrixB(), b, block)) << "n=" << n;
  }
}

TEST_F(GaussJordanTest, SizesOutsideOneToNinetyNineAreRefused) {
  FillWithMarkers(MatrixA(), 1.0f);
  FillWithMarkers(MatrixB(), 2.0f);
  const std::vector<float> a = Copy(MatrixA());
  const std::vector<float> b = Copy(MatrixB());
  for (int n : {100, 101, INT_MAX, -1, INT_MIN}) {
    EXPECT_EQ(SolveGaussJordan(n), 0) << "n=" << n;
    EXPECT_TRUE(Unchanged(MatrixA(), a)) << "n=" << n;
    EXPECT_TRUE(Unchanged(MatrixB(), b)) << "n=" << n;
  }
}

TEST_F(GaussJordanTest, NonFiniteInputIsSingular) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (float bad : {nan, inf, -inf}) {
    for (auto [row, col] : {std::pair{1, 1}, {2, 3}, {3, 3}}) {
      ResetNumericScratch();
      for (int i = 1; i <= 3; ++i) MatrixA()[i][i] = 2.0f;
      MatrixA()[row][col] = bad;
      EXPECT_EQ(SolveGaussJordan(3), 0) << bad << " at (" << row << ", " << col << ")";
    }
  }
  // A single infinite entry would be taken as the pivot and scale its row
  // by zero; without the guard the result is a finite wrong matrix.
  ResetNumericScratch();
  MatrixA()[1][1] = inf;
  EXPECT_EQ(SolveGaussJordan(1), 0);
}

TEST_F(GaussJordanTest, NonFiniteOutsideTheBlockIsIgnored) {
  MatrixA()[0][0] = std::numeric_limits<float>::quiet_NaN();
  MatrixA()[3][1] = std::numeric_limits<float>::infinity();
  MatrixA()[1][1] = 4.0f;
  MatrixA()[2][2] = 0.5f;
  ASSERT_EQ(SolveGaussJordan(2), 1);
  EXPECT_EQ(MatrixA()[1][1], 0.25f);
  EXPECT_EQ(MatrixA()[2][2], 2.0f);
}

TEST_F(GaussJordanTest, OverflowingResultIsReported) {
  // The inverse is fine, but applying it to the right-hand block overflows
  // single precision.
  MatrixA()[1][1] = 0.5f;
  MatrixA()[2][2] = 0.5f;
  MatrixB()[1][2] = 3e38f;
  EXPECT_EQ(SolveGaussJordan(2), 0);
}

// ---------------------------------------------------------------------------
// MatMul, TransposeMatrix, ShiftMatrixIndex

using MatrixUtilityTest = NumericKernelTest;

TEST_F(MatrixUtilityTest, MatMulSmallProduct) {
  Matrix& x = MatrixA();
  Matrix& y = MatrixB();
  Matrix& z = MatrixE();
  const float xs[2][3] = {{1, 2, 3}, {4, 5, 6}};
  const float ys[3][2] = {{7, 8}, {9, 10}, {11, 12}};
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) x[i][j] = xs[i][j];
  }
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 2; ++j) y[i][j] = ys[i][j];
  }
  FillWithMarkers(z, 9.0f);
  const std::vector<float> before = Copy(z);
  MatMul(x, y, z, 2, 3, 2);
  EXPECT_EQ(z[0][0], 58.0f);
  EXPECT_EQ(z[0][1], 64.0f);
  EXPECT_EQ(z[1][0], 139.0f);
  EXPECT_EQ(z[1][1], 154.0f);
  EXPECT_TRUE(UnchangedOutside(z, before, [](int i, int j) { return i < 2 && j < 2; }));
}

TEST_F(MatrixUtilityTest, MatMulRoundsAfterEveryTermInOrder) {
  // 1e8 + 1 is not a float: per-term rounding loses the 1, and the last term
  // cancels exactly. Accumulating in double would give 1.
  MatrixA()[0][0] = 1e8f;
  MatrixA()[0][1] = 1.0f;
  MatrixA()[0][2] = -1e8f;
  for (int l = 0; l < 3; ++l) MatrixB()[l][0] = 1.0f;
  MatMul(MatrixA(), MatrixB(), MatrixE(), 1, 3, 1);
  EXPECT_EQ(MatrixE()[0][0], 0.0f);
}

TEST_F(MatrixUtilityTest, MatMulEmptyInnerSizeClearsTheResult) {
  FillWithMarkers(MatrixE(), 4.0f);
  MatMul(MatrixA(), MatrixB(), MatrixE(), 3, 0, 2);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 2; ++j) EXPECT_EQ(MatrixE()[i][j], 0.0f);
  }
}

TEST_F(MatrixUtilityTest, MatMulFullSizeAgreesWithDouble) {
  std::mt19937 rng(31);
  std::uniform_real_distribution<float> entry(-1.0f, 1.0f);
  for (int i = 0; i < kMatrixSize; ++i) {
    for (int j = 0; j < kMatrixSize; ++j) {
      MatrixA()[i][j] = entry(rng);
      MatrixB()[i][j] = entry(rng);
    }
  }
  MatMul(MatrixA(), MatrixB(), MatrixE(), kMatrixSize, kMatrixSize, kMatrixSize);
  for (int i = 0; i < kMatrixSize; ++i) {
    for (int j = 0; j < kMatrixSize; ++j) {
      double want = 0.0;
      for (int l = 0; l < kMatrixSize; ++l)
        want += static_cast<double>(MatrixA()[i][l]) * MatrixB()[l][j];
      ASSERT_NEAR(MatrixE()[i][j], want, 1e-4) << "entry (" << i << ", " << j << ")";
    }
  }
}

TEST_F(MatrixUtilityTest, TransposeSmallBlock) {
  const float as[2][3] = {{1, 2, 3}, {4, 5, 6}};
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) MatrixA()[i][j] = as[i][j];
  }
  FillWithMarkers(MatrixB(), 8.0f);
  const std::vector<float> before = Copy(MatrixB());
  TransposeMatrix(MatrixA(), MatrixB(), 2, 3);
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) EXPECT_EQ(MatrixB()[j][i], as[i][j]) << i << " " << j;
  }
  EXPECT_TRUE(UnchangedOutside(MatrixB(), before, [](int i, int j) { return i < 3 && j < 2; }));
}

TEST_F(MatrixUtilityTest, TransposeFullSizeTwiceIsTheIdentityMap) {
  FillWithMarkers(MatrixA(), 0.5f);
  const std::vector<float> a = Copy(MatrixA());
  TransposeMatrix(MatrixA(), MatrixB(), kMatrixSize, kMatrixSize);
  TransposeMatrix(MatrixB(), MatrixE(), kMatrixSize, kMatrixSize);
  EXPECT_TRUE(Unchanged(MatrixE(), a));
  EXPECT_EQ(MatrixB()[3][97], MatrixA()[97][3]);
}

TEST_F(MatrixUtilityTest, ShiftToOneBasedAndBack) {
  for (auto [n, m] : {std::pair{1, 1}, {3, 5}, {40, 7}, {99, 99}}) {
    FillWithMarkers(MatrixA(), 0.25f);
    const std::vector<float> before = Copy(MatrixA());
    ShiftMatrixIndex(MatrixA(), n, m, 1);
    for (int i = 0; i < kMatrixSize; ++i) {
      for (int j = 0; j < kMatrixSize; ++j) {
        const bool moved = i >= 1 && i <= n && j >= 1 && j <= m;
        const float want = before[static_cast<std::size_t>(
            (moved ? (i - 1) * kMatrixSize + j - 1 : i * kMatrixSize + j))];
        ASSERT_EQ(MatrixA()[i][j], want)
            << "n=" << n << " m=" << m << " entry (" << i << ", " << j << ")";
      }
    }
    ShiftMatrixIndex(MatrixA(), n, m, 0);
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < m; ++j) {
        ASSERT_EQ(MatrixA()[i][j], before[static_cast<std::size_t>(i * kMatrixSize + j)])
            << "n=" << n << " m=" << m << " entry (" << i << ", " << j << ")";
      }
    }
  }
}

TEST_F(MatrixUtilityTest, ShiftAnyNonZeroDirectionMovesToOneBased) {
  for (int direction : {-1, 2, INT_MIN}) {
    ResetNumericScratch();
    MatrixA()[0][0] = 3.0f;
    MatrixA()[1][0] = 5.0f;
    ShiftMatrixIndex(MatrixA(), 2, 1, direction);
    EXPECT_EQ(MatrixA()[1][1], 3.0f) << direction;
    EXPECT_EQ(MatrixA()[2][1], 5.0f) << direction;
    EXPECT_EQ(MatrixA()[0][0], 3.0f) << direction;  // row 0 keeps its value
  }
}

TEST_F(MatrixUtilityTest, SizesBeyondStorageAreRefused) {
  FillWithMarkers(MatrixA(), 1.0f);
  FillWithMarkers(MatrixB(), 2.0f);
  FillWithMarkers(MatrixE(), 3.0f);
  const std::vector<float> a = Copy(MatrixA());
  const std::vector<float> b = Copy(MatrixB());
  const std::vector<float> e = Copy(MatrixE());
  for (int bad : {101, INT_MAX, -1, INT_MIN}) {
    MatMul(MatrixA(), MatrixB(), MatrixE(), bad, 2, 2);
    MatMul(MatrixA(), MatrixB(), MatrixE(), 2, bad, 2);
    MatMul(MatrixA(), MatrixB(), MatrixE(), 2, 2, bad);
    TransposeMatrix(MatrixA(), MatrixB(), bad, 2);
    TransposeMatrix(MatrixA(), MatrixB(), 2, bad);
  }
  for (int bad : {100, 101, INT_MAX, -1, INT_MIN}) {
    for (int direction : {0, 1}) {
      ShiftMatrixIndex(MatrixA(), bad, 2, direction);
      ShiftMatrixIndex(MatrixA(), 2, bad, direction);
    }
  }
  EXPECT_TRUE(Unchanged(MatrixA(), a));
  EXPECT_TRUE(Unchanged(MatrixB(), b));
  EXPECT_TRUE(Unchanged(MatrixE(), e));
}

TEST_F(MatrixUtilityTest, ResetClearsEveryScratchMatrix) {
  FillWithMarkers(MatrixA(), 1.0f);
  FillWithMarkers(MatrixB(), 1.0f);
  FillWithMarkers(MatrixE(), 1.0f);
  FillWithMarkers(ElevationMatrix(), 1.0f);
  ResetNumericScratch();
  for (Matrix* m : {&MatrixA(), &MatrixB(), &MatrixE(), &ElevationMatrix()}) {
    EXPECT_EQ(std::count(&(*m)[0][0], &(*m)[0][0] + kMatrixSize * kMatrixSize, 0.0f),
              kMatrixSize * kMatrixSize);
  }
}

}  // namespace
}  // namespace tambra
