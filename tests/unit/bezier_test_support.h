// Shared by the Bezier elevation and reduction tests: a double-precision
// oracle written without the code under test (binomials, the closed-form
// elevation, the Bernstein sum), generic polygons and a fixture base.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "numeric/matrix.h"
#include "base/canvas.h"
#include "tools/headless_platform.h"
#include "base/model_state.h"

namespace tambra::bezier_test {

// C(n, k) by Pascal's rule in extended precision; 0 outside 0 <= k <= n.
inline long double Binomial(int n, int k) {
  static const std::vector<std::vector<long double>> rows = [] {
    std::vector<std::vector<long double>> t(200);
    for (int a = 0; a < 200; ++a) {
      t[a].assign(a + 1, 1.0L);
      for (int b = 1; b < a; ++b) t[a][b] = t[a - 1][b - 1] + t[a - 1][b];
    }
    return t;
  }();
  return n < 0 || k < 0 || k > n || n >= 200 ? 0.0L : rows[n][k];
}

// Share of old point i (of `count`) in new point j after elevating by r.
inline double ElevationWeight(int count, int r, int i, int j) {
  if (j - i < 0 || j - i > r) return 0.0;
  return static_cast<double>(Binomial(count - 1, i) * Binomial(r, j - i) /
                             Binomial(count - 1 + r, j));
}

// The same curve written with r more points, in double, rounded once.
inline std::vector<Point2> ElevatedPolygon(const std::vector<Point2>& q, int r) {
  const int count = static_cast<int>(q.size());
  std::vector<Point2> p(count + r);
  for (int j = 0; j < count + r; ++j) {
    double x = 0.0, y = 0.0;
    for (int i = 0; i < count; ++i) {
      x += ElevationWeight(count, r, i, j) * q[i].x;
      y += ElevationWeight(count, r, i, j) * q[i].y;
    }
    p[j] = Point2{static_cast<float>(x), static_cast<float>(y)};
  }
  return p;
}

// The largest distance between the two curves (Bernstein sums in double)
// over 200 parameters; a NaN counts as the largest.
inline double MaxCurveDistance(const std::vector<Point2>& a, const std::vector<Point2>& b) {
  auto at = [](const std::vector<Point2>& p, double t, double& x, double& y) {
    const int count = static_cast<int>(p.size());
    x = y = 0.0;
    for (int i = 0; i < count; ++i) {
      const double w = static_cast<double>(Binomial(count - 1, i)) * std::pow(t, i) *
                       std::pow(1.0 - t, count - 1 - i);
      x += w * p[i].x;
      y += w * p[i].y;
    }
  };
  double worst = 0.0;
  for (int s = 0; s < 200; ++s) {
    double ax, ay, bx, by;
    at(a, s / 199.0, ax, ay);
    at(b, s / 199.0, bx, by);
    const double d = std::hypot(ax - bx, ay - by);
    if (!(d <= worst)) worst = d;
  }
  return worst;
}

// Points in general position on a quarter-pixel lattice inside 800 by 600.
inline std::vector<Point2> GenericPolygon(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> xs(160, 3040), ys(160, 2240);
  std::vector<Point2> p(count);
  for (Point2& e : p) e = Point2{xs(random) / 4.0f, ys(random) / 4.0f};
  return p;
}

// Every point within `tolerance` pixels of the expected one (Point2 or any
// type with double x and y).
template <typename Expected>
void ExpectPolygonNear(const std::vector<Point2>& actual, const std::vector<Expected>& expected,
                       double tolerance) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t j = 0; j < expected.size(); ++j) {
    EXPECT_LE(std::hypot(actual[j].x - double(expected[j].x), actual[j].y - double(expected[j].y)),
              tolerance)
        << "point " << j << " is (" << actual[j].x << ", " << actual[j].y << "), expected ("
        << expected[j].x << ", " << expected[j].y << ")";
  }
}

inline bool SameBits(const std::vector<Point2>& a, const std::vector<Point2>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](Point2 u, Point2 v) {
           return std::memcmp(&u, &v, sizeof u) == 0;
         });
}

// Fills the scratch matrices with NaN: no result may depend on what an
// earlier command left in them.
inline void PoisonScratch() {
  NumericScratch& s = Scratch();
  for (Matrix* matrix : {&s.matrixA, &s.matrixB, &s.matrixE, &s.elevationMatrix}) {
    for (auto& row : *matrix) std::fill(std::begin(row), std::end(row), std::nanf(""));
  }
}

class BezierFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    ResetNumericScratch();
    window.Start(800, 600);
  }
  void SetPolygon(const std::vector<Point2>& p) {
    m.pointCount = static_cast<int>(p.size());
    std::copy(p.begin(), p.end(), m.points);
  }
  std::vector<Point2> Polygon() const {
    return std::vector<Point2>(m.points, m.points + std::clamp(m.pointCount, 0, kMaxPoints));
  }
  std::vector<Point2> AllPoints() const {
    return std::vector<Point2>(m.points, m.points + kMaxPoints);
  }
  std::vector<std::uint32_t> Pixels() {
    const Raster& c = window.Canvas();
    return std::vector<std::uint32_t>(c.Data(), c.Data() + c.width() * c.height());
  }
  int CountPixels(Rgb colour) {
    const Raster& c = window.Canvas();
    int count = 0;
    for (int y = 0; y < c.height(); ++y) {
      for (int x = 0; x < c.width(); ++x) count += c.Pixel(x, y) == colour;
    }
    return count;
  }
  bool MarkedIn(Point2 p, Rgb colour) {
    return window.Canvas().Pixel(TruncateToPixel(p.x), TruncateToPixel(p.y)) == colour;
  }

  ModelState& m = Model();
  HeadlessPlatform window;
};

}  // namespace tambra::bezier_test
