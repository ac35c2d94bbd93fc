// The Bezier degree elevation kernel against the closed form and the
// Bernstein sum of bezier_test_support.h. The command around it is tested
// with the reductions' commands.
#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "bezier_test_support.h"

namespace tambra::bezier_test {
namespace {

Poly Elevate(const Poly& p, int r) {
  return Points(ElevateDegree(p.data(), static_cast<int>(p.size()), r, PoisonedScratch()));
}

// Up to the storage (n + r = 100): point by point the closed form, both ends
// exact, r = 0 the identity, whatever the scratch held. Beyond it, or without
// points, nothing.
TEST(BezierElevationKernel, ElevatesUpToTheStorageAndRefusesBeyond) {
  const struct { int n, r; } works[] = {
      {1, 3},  {2, 1},  {3, 1}, {4, 3},  {7, 5},  {10, 40}, {30, 20},  {59, 40},
      {98, 1}, {99, 0}, {1, 40}, {8, 0}, {60, 40}, {99, 1}, {100, 0}, {1, 99}},
      refused[] = {{100, 1}, {3, -1}, {0, 1}, {0, 0}, {3, INT_MAX}, {99, INT_MAX}, {3, INT_MIN}};
  const Poly all = GenericPolygon(kMaxPoints, 5);
  for (const auto& c : refused) {
    EXPECT_TRUE(Elevate(Poly(all.begin(), all.begin() + c.n), c.r).empty()) << c.n << ", " << c.r;
  }
  for (const auto& c : works) {
    SCOPED_TRACE(::testing::Message() << "n = " << c.n << ", r = " << c.r);
    const Poly p(all.begin(), all.begin() + c.n), q = Elevate(p, c.r);
    ASSERT_EQ(q.size(), static_cast<size_t>(c.n + c.r));
    EXPECT_TRUE(c.r > 0 || SameBits(q, p)) << "r = 0 changed the polygon";
    EXPECT_TRUE(SameBits(Poly{q.front(), q.back()}, Poly{p.front(), p.back()})) << "an end moved";
    ExpectPolygonNear(q, ElevatedPolygon(p, c.r), 1e-2);
  }
}

// The product over every row of the elevation matrix, as the kernel summed it before it
// skipped the zeros off the band.
Poly ElevateEveryRow(const Poly& p, int r) {
  const int n = static_cast<int>(p.size());
  BuildElevationMatrix(MatrixA(), n, r, 0, ElevationPrecision::kDouble);
  Poly q(n + r);
  q[0] = p[0];
  for (int j = 1; j < n + r; ++j) {
    for (int i = 0; i < n; ++i) {
      for (int d = 0; d < 2; ++d) q[j][d] = float(q[j][d] + double(p[i][d]) * MatrixA()[i][j]);
    }
    if (!std::isfinite(q[j][0]) || !std::isfinite(q[j][1])) return {};
  }
  return q;
}

// Every size, random steps and coordinates down to the tiny ones whose rounded sums reach -0,
// a first point that is not finite with no step, a NaN anywhere: the same bits as the sum over
// every row.
TEST(BezierElevationKernel, SkippingTheZerosOffTheBandKeepsEveryBit) {
  std::mt19937 random(29);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  const float tiny = std::numeric_limits<float>::denorm_min();
  for (int n = 1; n <= kMatrixSize; ++n) {
    for (int round = 0; round < 4; ++round) {
      const int r = round == 0 ? 0 : static_cast<int>(random() % (kMatrixSize - n + 1));
      Poly p(n);
      for (auto& point : p) {
        for (float& v : point) {
          const unsigned pick = random() % 6;
          v = pick == 0 ? -0.0f : pick < 4 ? (pick % 2 ? tiny : -tiny) : unit(random) * 900;
        }
      }
      if (round == 0) p[0][1] = INFINITY;
      if (round == 1) p[random() % n][0] = NAN;
      const Poly got = Elevate(p, r), full = ElevateEveryRow(p, r);
      ASSERT_TRUE(got.empty() ? full.empty() : SameBits(got, full)) << "n " << n << " r " << r;
    }
  }
}

}  // namespace
}  // namespace tambra::bezier_test
