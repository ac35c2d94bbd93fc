// The B-spline basis against the recursion written out literally (the
// oracle), and the knot-vector helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "numeric/bspline_basis.h"
#include "numeric/knot_vector.h"

namespace tambra {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The recursion as defined: right-end rule first at every level, half-open
// order-1 intervals, 0/0 = 0, double arithmetic on the float knots.
double Recursion(const float* u, int m, int i, int k, double t) {
  if (i == m - 1 && t == u[m]) return 1.0;
  if (k == 1) return u[i] <= t && t < u[i + 1] ? 1.0 : 0.0;
  const double ui = u[i], uik1 = u[i + k - 1], ui1 = u[i + 1], uik = u[i + k];
  const double a = uik1 != ui ? (t - ui) / (uik1 - ui) : 0.0;
  const double b = uik != ui1 ? (uik - t) / (uik - ui1) : 0.0;
  return a * Recursion(u, m, i, k - 1, t) + b * Recursion(u, m, i + 1, k - 1, t);
}

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// A knot vector in 100-entry storage, terminated by a 0 after its n + k knots.
std::vector<float> Storage(std::vector<float> used) {
  used.resize(kKnotCapacity, 0.0f);
  return used;
}

// Clamped uniform knots 0 .. 0, 1, 2, .., n-k+1 .. n-k+1 (n >= k - 1).
std::vector<float> ClampedUniform(int n, int k) {
  std::vector<float> u(kKnotCapacity, 0.0f);
  for (int i = 0; i < n + k; ++i) u[i] = static_cast<float>(std::clamp(i - k + 1, 0, n - k + 1));
  return u;
}

// Knots of mixed magnitudes, some repeated. `kind`: 0 clamped, 1 unclamped,
// 2 mostly repeated, 3 decreasing once, 4 all zero (before the Knots dialog).
std::vector<float> RandomKnots(std::mt19937& rng, int n, int k, int kind) {
  std::uniform_int_distribution<int> repeat(0, kind == 2 ? 1 : 3);
  std::uniform_real_distribution<float> step(-10.0f, 1.0f);
  std::vector<float> u{-1.5f + std::exp2(step(rng))};
  for (int i = 1; i < n + k; ++i) u.push_back(u.back() + (repeat(rng) ? std::exp2(step(rng)) : 0));
  if (kind == 0) {
    for (int i = 0; i < k; ++i) u[i] = u[k] - 1.0f;
    for (int i = n; i < n + k; ++i) u[i] = u[n - 1] + 1.0f;
  }
  if (kind == 3) u[(n + k) / 2 - 1] = u[n + k - 1] + 1.0f;
  return Storage(kind == 4 ? std::vector<float>{} : u);
}

// Each knot, the doubles beside it, midpoints, the outside and random values.
std::vector<double> Parameters(std::mt19937& rng, const std::vector<float>& u, int used) {
  std::vector<double> ts{u[0] - 1.0, u[used - 1] + 1.0};
  for (int i = 0; i < used; ++i) {
    const double knot = u[i];
    ts.insert(ts.end(), {knot, std::nextafter(knot, -1e9), std::nextafter(knot, 1e9)});
    if (i + 1 < used) ts.push_back((double{u[i]} + u[i + 1]) / 2);
  }
  std::uniform_real_distribution<double> any(std::min(u[0], u[used - 1]) - 0.5, u[used - 1] + 0.5);
  for (int r = 0; r < 8; ++r) ts.push_back(any(rng));
  return ts;
}

// The first disagreement of either entry with the recursion, or "".
std::string Disagreement(const std::vector<float>& u, int n, int k, double t, bool windowed) {
  double values[kMaxSplineOrder];
  std::fill(values, values + kMaxSplineOrder, kNaN);  // shows a value left unwritten
  const int first = BSplineBasisValues(u.data(), n, k, t, values);
  if (windowed && (first < 0 || first > std::max(0, n - k))) return "first";
  double every[kKnotCapacity];
  if (!BSplineBasisEvery(u.data(), n, k, t, every)) return "every refused";
  for (int i = 0; i < std::max(n, first + k); ++i) {
    const double want = i < n ? Recursion(u.data(), n, i, k, t) : 0.0;  // padding: +0
    const std::string at = std::to_string(i);
    if (i < n && Bits(BSplineBasis(u.data(), n, i, k, t)) != Bits(want)) return "i=" + at;
    if (i < n && Bits(every[i]) != Bits(want)) return "every i=" + at;
    const double inWindow = i >= first && i < first + k ? values[i - first] : 0.0;
    if (windowed && Bits(inWindow) != Bits(want)) return "window i=" + at;
  }
  return "";
}

TEST(BSplineBasisTest, BitForBitWithTheRecursion) {
  std::mt19937 rng(7);
  for (int k = 1; k <= 10; ++k) {
    for (int kind = 0; kind < 5; ++kind) {
      for (int draw = 0; draw < 3; ++draw) {
        const int n = kind == 0 ? k + draw * 3 : 1 + draw * 5;  // n < k too
        const std::vector<float> u = RandomKnots(rng, n, k, kind);
        for (double t : Parameters(rng, u, n + k))  // a decreasing vector has no window
          ASSERT_EQ(Disagreement(u, n, k, t, kind != 3), "")
              << "kind " << kind << " n=" << n << " k=" << k << " t=" << t;
      }
    }
  }
}

// Sums of 1 on clamped vectors up to order 20, exactly 1 at the right end (one Bezier piece,
// n = k, is among the clamped cases matched with the recursion). Exactly full storage,
// n + k = 100, is read to the last entry and no further.
TEST(BSplineBasisTest, PartitionOfUnityAndFullStorage) {
  std::mt19937 rng(3);
  double values[kMaxSplineOrder];
  for (int k = 1; k <= 20; ++k) {
    const int n = k + 7;
    for (const std::vector<float>& u : {ClampedUniform(n, k), RandomKnots(rng, n, k, 0)}) {
      for (int j = 0; j <= 40; ++j) {
        const double t = u[k - 1] + (double{u[n]} - u[k - 1]) * j / 40;
        ASSERT_GE(BSplineBasisValues(u.data(), n, k, t, values), 0);
        const double sum = std::accumulate(values, values + k, 0.0);
        EXPECT_NEAR(sum, 1, j < 40 ? 1e-12 : 0) << k << " " << t;
      }
    }
  }
  const std::vector<float> full = ClampedUniform(90, 10);
  EXPECT_EQ(CheckKnotVector(full.data(), 90, 10), kKnotsValid);
  EXPECT_EQ((std::tuple{BSplineBasisValues(full.data(), 90, 10, 81.0, values), values[9]}), std::tuple(80, 1.0));
  EXPECT_EQ(BSplineBasis(full.data(), 1, 0, 99, 0.0), 1.0);
  // Refused: a parameter that is not finite, n + k beyond the storage.
  double every[kKnotCapacity];
  std::fill(every, every + kKnotCapacity, kNaN);
  EXPECT_FALSE(BSplineBasisEvery(full.data(), 90, 10, kNaN, every));
  EXPECT_TRUE(std::all_of(every, every + 90, [](double v) { return Bits(v) == 0; }));
  EXPECT_FALSE(BSplineBasisEvery(full.data(), 91, 10, 1.0, every));
  EXPECT_EQ(BSplineBasisValues(full.data(), 90, 10, kNaN, values), -1);
}

TEST(BSplineKnotVectorTest, ClampedCheckAndSpans) {
  // Clamped means exactly k copies of the first and of the last value.
  for (const auto& [u, n, k, want] :
       {std::tuple{ClampedUniform(5, 4), 5, 4, true}, {ClampedUniform(4, 4), 4, 4, true},
        {Storage({2, 2, 2, 2, 3, 4, 4, 4, 4}), 5, 4, true}, {Storage({}), 4, 4, false},
        {Storage({0, 0, 0, 0, 0, 1, 2, 2, 2, 2}), 6, 4, false},
        {Storage({0, 1, 2, 3, 4, 5, 6, 7}), 4, 4, false}}) {
    EXPECT_EQ(IsClampedKnotVector(u.data(), n, k), want) << n << " " << k;
  }

  // Only the span search finds a span at the right end.
  const std::vector<float> u = ClampedUniform(5, 4);
  const double ts[] = {-0.5, 0.0, 0.5, 1.0, 1.5, std::nextafter(2.0, 0.0), 2.0, 2.5};
  const int spans[] = {-1, 3, 3, 4, 4, 4, 4, -1}, intervals[] = {-1, 3, 3, 4, 4, 4, -1, -1};
  for (int j = 0; j < 8; ++j) {
    EXPECT_EQ(FindKnotSpan(u.data(), 5, 4, ts[j]), spans[j]) << ts[j];
    EXPECT_EQ(FindKnotInterval(u.data(), 9, ts[j]), intervals[j]) << ts[j];
  }
}

}  // namespace
}  // namespace tambra
