// The six Bezier degree reductions, their kernels and commands (and elevation's command),
// against oracles in double: elevate-then-reduce, least-squares orthogonality, hand formulas.
#include <climits>
#include <initializer_list>
#include <iterator>
#include <tuple>

#include "bezier/degree_elevation.h"
#include "bezier/degree_reduction.h"
#include "bezier_test_support.h"
#include "resources/command_ids.h"

namespace tambra::bezier_test {
namespace {

using Kernel = PolygonResult<2> (*)(const Coords<2>*, int n, int r, NumericScratch&);

template <std::size_t D>  // Simple and Eck with the others' signature; they take no step
PolygonResult<D> Simple(const Coords<D>* p, int n, int, NumericScratch& s) {
  return ReduceSimple(p, n, s);
}
template <std::size_t D>
PolygonResult<D> Eck(const Coords<D>* p, int n, int, NumericScratch&) { return ReduceEck(p, n); }

// The fewest new points, the points held at each end (C0 1, C1 2, C2 3) and the new count
// n + change * step (0: n - 1 whatever the step).
struct Variant {
  const char* name;
  Kernel kernel;
  int menu, least, held, change = -1;
};
const Variant kLse{"Lse", ReduceLse<2>, kCmdReduceLse, 3, 0};
const Variant kLseC0{"LseC0", ReduceLseC0<2>, kCmdReduceLseC0, 3, 1};
const Variant kLseC1{"LseC1", ReduceLseC1, kCmdReduceLseC1, 4, 2};
const Variant kLseC2{"LseC2", ReduceLseC2, kCmdReduceLseC2, 6, 3};
const Variant kSimple{"Simple", Simple<2>, kCmdReduceSimple, 3, 0, 0};
const Variant kEck{"Eck", Eck<2>, kCmdReduceEck, 2, 0, 0};
const Variant kAll[] = {kLse, kLseC0, kLseC1, kLseC2, kSimple, kEck};
const Variant kElevation{"Elevation", ElevateDegree<2>, kCmdBezierElevation, 1, 0, 1};

int NewCount(const Variant& v, int n, int r) { return v.change == 0 ? n - 1 : n + v.change * r; }

Poly Reduce(const Variant& v, const Poly& p, int step) {
  return Points(v.kernel(p.data(), static_cast<int>(p.size()), step, PoisonedScratch()));
}

using V = std::array<double, 2>;  // a point or vector in double
V operator+(V a, V b) { return {a[0] + b[0], a[1] + b[1]}; }
V operator-(V a, V b) { return {a[0] - b[0], a[1] - b[1]}; }
V operator*(double s, V a) { return {s * a[0], s * a[1]}; }
V At(Coords<2> p) { return {p[0], p[1]}; }
double Dot(V a, V b) { return a[0] * b[0] + a[1] * b[1]; }
double Sine(V a, V b) {
  return std::fabs(a[0] * b[1] - a[1] * b[0]) / std::sqrt(Dot(a, a) * Dot(b, b));
}

// Up to the solver's largest systems. C1 and C2 at 10 points solve for more unknowns than
// points: stale work matrices beyond the point count once piled up there until every run failed.
TEST(BezierReductionKernel, ElevatedPolygonsReduceBackToTheOriginal) {
  std::vector<std::tuple<const Variant*, int, int>> cases = {
      {&kLse, 98, 1}, {&kLseC0, 98, 1}, {&kLseC1, 52, 1}, {&kLseC2, 53, 1}, {&kSimple, 98, 1}};
  for (const Variant& v : kAll) {
    for (int size : {v.least, 7, 10}) {
      for (int r : {0, 1, 3}) {
        if (v.change != 0 || r == 1) cases.emplace_back(&v, size, r);
      }
    }
  }
  for (const auto& [v, size, r] : cases) {
    SCOPED_TRACE(::testing::Message() << v->name << ": " << size << " points, r = " << r);
    const Poly q = GenericPolygon(size, 1000 + 13 * size + r);
    ExpectPolygonNear(Reduce(*v, ElevatedPolygon(q, r), r), q, size > 10 ? 0.5 : 1e-2);
  }
}

// The residual P - E^T Q is orthogonal to every parameter's motion: a free point in x and y;
// C1's Q1 along the end tangent T0; C2's Q1, Q2 by T0, 2 T0 and Q2 along S0; mirrored at the end.
TEST(BezierReductionKernel, LeastSquaresResidualIsOrthogonalToEveryParameter) {
  using Motion = std::vector<std::pair<int, V>>;  // (point, direction)
  auto second = [](Coords<2> a, Coords<2> b, Coords<2> c) { return At(a) - 2.0 * At(b) + At(c); };
  for (const Variant& v : {kLse, kLseC0, kLseC1, kLseC2}) {
    for (int step : {1, 2, 3}) {
      for (int extra : {0, 2, 5}) {
        const int mm = v.least + extra, n = mm + step;
        SCOPED_TRACE(::testing::Message() << v.name << ", n = " << n << ", r = " << step);
        const Poly p = GenericPolygon(n, 500 + 3 * n + step), q = Reduce(v, p, step);
        ASSERT_EQ(q.size(), static_cast<size_t>(mm));
        const V t0 = At(p[1]) - At(p[0]), t1 = At(p[n - 2]) - At(p[n - 1]);
        const V s0 = second(p[0], p[1], p[2]), s1 = second(p[n - 1], p[n - 2], p[n - 3]);
        EXPECT_TRUE(v.held == 0 || SameBits(Poly{q[0], q[mm - 1]}, Poly{p[0], p[n - 1]}));
        EXPECT_LE(v.held < 2 ? 0.0 : Sine(At(q[1]) - At(q[0]), t0), 1e-5);
        EXPECT_LE(v.held < 2 ? 0.0 : Sine(At(q[mm - 2]) - At(q[mm - 1]), t1), 1e-5);
        EXPECT_LE(v.held < 3 ? 0.0 : Sine(second(q[0], q[1], q[2]), s0), 1e-4);
        EXPECT_LE(v.held < 3 ? 0.0 : Sine(second(q[mm - 1], q[mm - 2], q[mm - 3]), s1), 1e-4);
        std::vector<Motion> motions;
        auto add = [&](std::initializer_list<Motion> more) { motions.insert(motions.end(), more); };
        for (int i = v.held; i < mm - v.held; ++i) add({{{i, {1, 0}}}, {{i, {0, 1}}}});
        if (v.held == 2) add({{{1, t0}}, {{mm - 2, t1}}});
        if (v.held == 3) {
          add({{{1, t0}, {2, 2.0 * t0}}, {{2, s0}}});
          add({{{mm - 2, t1}, {mm - 3, 2.0 * t1}}, {{mm - 3, s1}}});
        }
        const Poly elevated = ElevatedPolygon(q, step);
        for (const Motion& motion : motions) {
          double dot = 0.0, scale = 0.0;
          for (int j = 0; j < n; ++j) {
            for (const auto& [i, d] : motion) {
              const double e = ElevationWeight(mm, step, i, j);
              dot += e * Dot(At(p[j]) - At(elevated[j]), d);
              scale += e * std::sqrt(Dot(d, d)) * std::max(std::fabs(p[j][0]), std::fabs(p[j][1]));
            }
          }
          EXPECT_LE(std::fabs(dot), 1e-4 * scale) << "motion of point " << motion[0].first;
        }
      }
    }
  }
}

// Any size, step and degenerate or extreme shape: nothing crashes, and the result is nothing
// or the new count of finite points.
TEST(BezierReductionKernel, EverySizeStepAndShapeIsSafe) {
  using Shape = Coords<2> (*)(int i, Coords<2> generic);
  const Shape shapes[] = {
      [](int, Coords<2> g) { return g; }, [](int, Coords<2>) { return Coords<2>{250, 250}; },
      [](int, Coords<2>) { return Coords<2>{0, 0}; },
      [](int i, Coords<2>) { return Coords<2>{100.0f + 10.0f * i, 50.0f + 5.0f * i}; },  // in line
      [](int i, Coords<2>) { return Coords<2>{1e-30f * i, 1e-30f * (i % 3)}; },  // squares vanish
      [](int i, Coords<2>) { return Coords<2>{1e-40f * (i % 2), 1e-40f * (i % 3)}; },  // subnormal
      [](int, Coords<2> g) { return Coords<2>{g[0] * 4e35f, -g[1] * 4e35f}; },  // huge
  };
  const Poly generic = GenericPolygon(kMaxPoints, 210);
  for (const Variant& v : {kLse, kLseC0, kLseC1, kLseC2, kSimple, kEck, kElevation}) {
    for (size_t s = 0; s < std::size(shapes); ++s) {
      Poly all(kMaxPoints);
      for (int i = 0; i < kMaxPoints; ++i) all[i] = shapes[s](i, generic[i]);
      for (int n = 0; n <= kMaxPoints; n += s == 0 || n < 9 ? 1 : 9) {
        for (int step : s == 0 ? std::vector<int>{INT_MIN, -1, 0, 1, 2, 7, 48, INT_MAX}
                               : std::vector<int>{1, 2}) {
          const Poly q = Points(v.kernel(all.data(), n, step, Scratch()));
          ASSERT_TRUE(q.empty() || static_cast<int>(q.size()) == NewCount(v, n, step))
              << v.name << ", shape " << s << ", n = " << n << ", r = " << step;
          for (const auto& e : q) ASSERT_TRUE(std::isfinite(e[0]) && std::isfinite(e[1]));
        }
      }
    }
  }
}

// Simple drops the power term (S / 8)(2t - 1)^3; Eck blends F and B by lambda = 1/32, 1/2, 31/32,
// and gives back elevated polygons of every size (unless the forward recursion's tiny weight
// near the far end keeps its relative precision, 40 or more points come back far off).
TEST(BezierReductionKernel, SimpleAndEckFollowTheirFormulas) {
  const Poly p = {{100, 500}, {250, 80}, {520, 420}, {700, 150}};
  const V s = At(p[3]) - 3.0 * At(p[2]) + 3.0 * At(p[1]) - At(p[0]);
  const std::vector<V> adjusted = {At(p[0]) + 0.125 * s, At(p[1]) - 0.125 * s,
                                   At(p[2]) + 0.125 * s, At(p[3]) - 0.125 * s};
  ExpectPolygonNear(ElevatedPolygon(Reduce(kSimple, p, 7), 1), adjusted, 1e-2);

  const V f0 = At(p[0]), f1 = 0.5 * (3.0 * At(p[1]) - f0), f2 = 3.0 * At(p[2]) - 2.0 * f1;
  const V b3 = At(p[3]), b2 = 0.5 * (3.0 * At(p[2]) - b3), b1 = 3.0 * At(p[1]) - 2.0 * b2;
  const std::vector<V> blend = {(31.0 / 32) * f0 + (1.0 / 32) * b1, 0.5 * f1 + 0.5 * b2,
                                (1.0 / 32) * f2 + (31.0 / 32) * b3};
  ExpectPolygonNear(Reduce(kEck, p, 7), blend, 1e-3);
  for (int n = 5; n <= kMaxPoints; ++n) {
    SCOPED_TRACE(n);
    ExpectPolygonNear(Reduce(kEck, ElevatedPolygon(p, n - 4), 1), ElevatedPolygon(p, n - 5), 1e-2);
  }
}

class BezierDegreeCommandTest : public BezierFixture {};

// A refused command leaves model, picture and log alone, with and without Save; so does its
// kernel unless only the command's limits refuse (elevation to 100 points or by more than 40).
TEST_F(BezierDegreeCommandTest, CommandsThatCannotRunDoNothing) {
  struct Case { const Variant* v; int n, step; const char* what; void (*spoil)(Poly&) = nullptr; };
  const Case cases[] = {
      {&kLse, 4, 2, "m = 2"},        {&kLseC0, 4, 2, "m = 2"},      {&kLseC1, 4, 1, "m = 3"},
      {&kLseC2, 6, 1, "m = 5"},      {&kLseC2, 8, 3, "m = 5"},      {&kSimple, 3, 1, "3 points"},
      {&kEck, 2, 1, "2 points"},     {&kLse, 0, 0, "no points"},    {&kLse, 100, 1, "n = 100"},
      {&kLse, 100, 50, "n = 100"},   {&kLseC0, 100, 1, "n = 100"},  {&kSimple, 100, 1, "n = 100"},
      {&kLseC1, 54, 1, "100 unknowns"}, {&kLseC2, 55, 1, "100 unknowns"},
      {&kLseC1, 10, 2, "P1 = P0", [](Poly& p) { p[1] = p[0]; }},
      {&kLseC1, 10, 2, "last two equal", [](Poly& p) { p[8] = p[9]; }},
      {&kLseC2, 10, 2, "P1 = P0", [](Poly& p) { p[1] = p[0]; }},
      {&kLseC2, 10, 2, "last two equal", [](Poly& p) { p[8] = p[9]; }},
      {&kLseC2, 10, 2, "no start second difference",
       [](Poly& p) { p[2] = {2 * p[1][0] - p[0][0], 2 * p[1][1] - p[0][1]}; }},
      {&kLseC2, 10, 2, "no end second difference",
       [](Poly& p) { p[7] = {2 * p[8][0] - p[9][0], 2 * p[8][1] - p[9][1]}; }},
      {&kSimple, 6, 1, "leading difference overflows", [](Poly& p) { p[2] = {3e38f, -3e38f}; }},
      {&kElevation, 0, 1, "no points"},   {&kElevation, 3, -1, "r < 0"},
      {&kElevation, 3, 41, "r = 41"},     {&kElevation, 3, INT_MAX, "n + r overflows"},
      {&kElevation, 60, 40, "n + r = 100"}, {&kElevation, 99, 1, "n + r = 100"},
      {&kElevation, 100, 0, "n = 100"}};
  for (const Case& c : cases) {
    Poly all = GenericPolygon(kMaxPoints, 140 + c.n);
    if (c.spoil != nullptr) c.spoil(all);
    const Poly p(all.begin(), all.begin() + c.n);
    const bool onlyTheCommand = c.v == &kElevation && c.step >= 0 && c.n > 0 && c.step <= 100 - c.n;
    EXPECT_EQ(Reduce(*c.v, p, c.step).empty(), !onlyTheCommand) << c.v->name << ": " << c.what;
    for (int save : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << c.v->name << ": " << c.what << ", save " << save);
      SetPolygon(all);
      EXPECT_EQ(Run(c.v->menu, p, c.step, save), "");
      EXPECT_FALSE(window.Status().empty()) << "a refusal says why";
      EXPECT_EQ(std::tuple(m.degreeStep, m.pointCount), std::tuple(c.step, c.n));
      EXPECT_EQ(std::tuple(SameBits(Polygon(kMaxPoints), all), window.Canvas().CountNonWhite()), std::tuple(true, 0));
    }
  }
}

// A command shows its kernel's polygon (picture and log) and Save decides whether it is kept;
// the menu runs the same on curves; the reductions do nothing on surfaces.
TEST_F(BezierDegreeCommandTest, CommandsShowTheKernelsPolygonAndSaveDecidesWhetherItIsKept) {
  const std::tuple<const Variant*, int, int> cases[] = {
      {&kLse, 10, 2},  {&kLseC0, 10, 2},      {&kLseC1, 10, 2},      {&kLseC2, 10, 2},
      {&kSimple, 10, 2}, {&kEck, 10, 2},      {&kElevation, 10, 2},  {&kElevation, 59, 40},
      {&kElevation, 99, 0}, {&kLse, 99, 1}, {&kLseC2, 54, 1}};
  for (const auto& [v, n, step] : cases) {
    const Poly p = GenericPolygon(n, 181), shown = Reduce(*v, p, step);
    ASSERT_EQ(shown.size(), static_cast<size_t>(NewCount(*v, n, step))) << v->name;
    const auto [pixels, log] = Drawing(shown, v == &kElevation ? kBlueMode : kRedMode);
    for (int save : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << v->name << ", n = " << n << ", save " << save);
      EXPECT_EQ(Run(v->menu, p, step, save), log);
      EXPECT_EQ(std::tuple(m.degreeStep, SameBits(Polygon(), save == 1 ? shown : p)), std::tuple(step, true));
      EXPECT_TRUE(Pixels() == pixels);
    }
    SetPolygon(p), window.Command(v->menu);
    EXPECT_TRUE(SameBits(Polygon(), shown)) << v->name << " by the menu";
  }
  window.Command(kCmdSurfaces);
  for (const Variant& v : kAll) {
    window.Canvas().Resize(800, 600), SetPolygon(GenericPolygon(10, 181)), window.Command(v.menu);
    EXPECT_EQ(std::tuple(m.pointCount, window.Canvas().CountNonWhite()), std::tuple(10, 0)) << v.name;
  }
}

}  // namespace
}  // namespace tambra::bezier_test
