// Shared by the Bezier elevation and reduction tests: a double-precision
// oracle independent of the code under test, generic polygons and a fixture.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "base/canvas.h"
#include "bezier/bezier_display.h"
#include "curve_test_support.h"
#include "numeric/bezier_degree.h"
#include "scratch_support.h"

namespace tambra::bezier_test {

using Poly = std::vector<Coords<2>>;

inline double Binomial(int n, int k) {  // from log-gamma, apart from the code under test
  return std::exp(std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0));
}

// Share of old point i (of `count`) in new point j after elevating by r.
inline double ElevationWeight(int count, int r, int i, int j) {
  if (j - i < 0 || j - i > r) return 0.0;
  return Binomial(count - 1, i) * Binomial(r, j - i) / Binomial(count - 1 + r, j);
}

// The same curve written with r more points, in double, rounded once.
inline Poly ElevatedPolygon(const Poly& q, int r) {
  const int count = static_cast<int>(q.size());
  Poly p(count + r);
  for (int j = 0; j < count + r; ++j) {
    double x = 0.0, y = 0.0;
    for (int i = 0; i < count; ++i) {
      const double w = ElevationWeight(count, r, i, j);
      x += w * q[i][0], y += w * q[i][1];
    }
    p[j] = {static_cast<float>(x), static_cast<float>(y)};
  }
  return p;
}

// Points in general position on a quarter-pixel lattice inside 800 by 600.
inline Poly GenericPolygon(int count, unsigned seed) {
  Poly p;
  for (const Point2& q : curve_test::Random(seed).Polygon(count)) p.push_back({q.x, q.y});
  return p;
}

template <typename Expected>
void ExpectPolygonNear(const Poly& actual, const std::vector<Expected>& expected, double tol) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t j = 0; j < expected.size(); ++j) {
    EXPECT_LE(std::hypot(actual[j][0] - expected[j][0], actual[j][1] - expected[j][1]), tol)
        << "point " << j << " is (" << actual[j][0] << ", " << actual[j][1] << ")";
  }
}

template <typename T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

// Its own scratch and the global one, all NaN: a kernel must use the scratch
// it is given, and fill what it reads first.
inline NumericScratch& PoisonedScratch() {
  static const auto own = std::make_unique<NumericScratch>();
  for (NumericScratch* s : {own.get(), &Scratch()}) std::memset(s, 0xFF, sizeof *s);
  return *own;
}

// The kernel's polygon, or an empty one when it refused.
template <std::size_t D>
std::vector<Coords<D>> Points(const PolygonResult<D>& result) {
  if (!result) return {};
  return std::vector<Coords<D>>(result->points.begin(), result->points.begin() + result->count);
}

class BezierFixture : public curve_test::CurveTest {
 protected:
  void SetUp() override { CurveTest::SetUp(), ResetNumericScratch(); }
  void SetPolygon(const Poly& p) {
    m.pointCount = static_cast<int>(p.size());
    for (size_t i = 0; i < p.size(); ++i) m.points[i] = Point2{p[i][0], p[i][1]};
  }
  Poly Polygon(int count = -1) const {
    Poly p(count < 0 ? std::clamp(m.pointCount, 0, kMaxPoints) : count);
    for (size_t i = 0; i < p.size(); ++i) p[i] = {m.points[i].x, m.points[i].y};
    return p;
  }
  // Runs the command on polygon `p` on a blank canvas; returns the fresh log.
  std::string Run(int command, const Poly& p, int step, int save) {
    SetPolygon(p);
    m.degreeStep = step, m.saveResults = save;
    return Logged([&] { window.Command(command); });
  }
  std::vector<std::uint32_t> Pixels() {
    const Raster& c = window.Canvas();
    return std::vector<std::uint32_t>(c.Data(), c.Data() + c.width() * c.height());
  }
  // The picture and log of `p` drawn in `mode`: what a command showing `p` leaves.
  std::pair<std::vector<std::uint32_t>, std::string> Drawing(const Poly& p, int mode) {
    SetPolygon(p);
    std::string log = Logged([&] { DrawBezierCurve(window, mode); });
    return {Pixels(), log};
  }
};

}  // namespace tambra::bezier_test
