// B-spline and NURBS surfaces against the per-term basis recursion and an
// independent Bernstein evaluation; refusals and hostile values.
#include <algorithm>
#include <cfloat>
#include <cstring>
#include <random>

#include "base/canvas.h"
#include "numeric/bspline_basis.h"
#include "resources/command_ids.h"
#include "session_fixture.h"
#include "surface/spline_surface.h"
#include "surface/surface_view.h"

namespace tambra {
namespace {

bool Same(Point3 a, Point3 b) {  // bit for bit; any NaN marks a skipped sample
  if (std::isnan(a.x) || std::isnan(b.x)) return std::isnan(a.x) && std::isnan(b.x);
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The Part's evaluation as written: every term, BSplineBasis per term.
Point3 PerTerm(bool rational, double u, double v) {
  const ModelState& m = Model();
  double s[4] = {};
  for (int i = 0; i < m.netRows; ++i) {
    for (int j = 0; j < m.netCols; ++j) {
      const double bx = BSplineBasis(m.xKnots, m.netRows, i, m.xOrder, u);
      const double by = BSplineBasis(m.yKnots, m.netCols, j, m.yOrder, v);
      const Point3 p = m.net[i][j];
      const double w = rational ? bx * by * m.netWeights[i][j] : 1.0;
      const double f[3] = {rational ? w * p.x : p.x * bx * by, rational ? w * p.y : p.y * bx * by,
                           rational ? w * p.z : p.z * bx * by};
      for (int c = 0; c < 3; ++c) s[c] += f[c];
      s[3] += w;
    }
  }
  if (!rational) return Point3{float(s[0]), float(s[1]), float(s[2])};
  const double q[3] = {s[0] / s[3], s[1] / s[3], s[2] / s[3]};
  if (s[3] == 0 || !std::isfinite(q[0] + q[1] + q[2])) return Point3{NAN, NAN, NAN};
  return Point3{float(q[0]), float(q[1]), float(q[2])};
}

class SplineSurfaceTest : public SessionTest {
 protected:
  // An n by cols net of values in +-8 (weights in 0.25 .. 4), orders, grid,
  // knots garbage until a display rebuilds them; the bicubic example's view.
  void SetNet(int n, int cols, int kx, int ky, int grid, unsigned seed = 1) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<float> value(-8, 8), weight(0.25f, 4);
    m.objectMode = kSurfaces, m.netRows = n, m.netCols = cols, m.xOrder = kx, m.yOrder = ky;
    m.grid = grid, m.scale = 0.5f, m.tx = 424, m.ty = 300, m.tht = 30, m.phi = 60;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < cols; ++j)
        m.net[i][j] = {value(g), value(g), value(g)}, m.netWeights[i][j] = weight(g);
    }
    std::fill_n(m.xKnots, kMaxKnots, 7.0f), std::fill_n(m.yKnots, kMaxKnots, -3.0f);
  }
  std::vector<std::uint32_t> Picture(void (*draw)(Platform&, int)) {
    ClearCanvas(window, 800, 600);
    draw(window, kBlackMode);
    const Raster& dc = window.Canvas();
    return {dc.Data(), dc.Data() + 800 * 600};
  }
  long Inked(void (*draw)(Platform&, int)) {
    const auto picture = Picture(draw);
    return std::count(picture.begin(), picture.end(), 0xFF000000u);
  }
  const Point3& Sample(const std::vector<Point3>& s, int a, int b) { return s[a * (m.grid + 1) + b]; }
};

TEST_F(SplineSurfaceTest, BicubicIsTheBezierPatchAndFiveRowsRunUToTwo) {
  SetNet(4, 4, 4, 4, 50);
  window.Command(kCmdBSpline);  // Surfaces mode: the surface display of kind 3
  EXPECT_EQ(std::vector<float>(m.xKnots, m.xKnots + 9), (std::vector<float>{0, 0, 0, 0, 1, 1, 1, 1, 0}));
  const std::vector<Point3> s = SampleSplineSurface(false);
  auto bernstein = [](int i, double t) {
    const double c[4] = {1, 3, 3, 1};
    return c[i] * std::pow(t, i) * std::pow(1 - t, 3 - i);
  };
  for (int a = 0; a <= 50; ++a) {
    for (int b = 0; b <= 50; ++b) {
      const double u = SplineSurfaceParameter(0, 1, 50, a), v = SplineSurfaceParameter(0, 1, 50, b);
      double x = 0;
      for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) x += m.net[i][j].x * bernstein(i, u) * bernstein(j, v);
      ASSERT_NEAR(Sample(s, a, b).x, x, 4 * 8 * FLT_EPSILON) << a << ", " << b;
    }
  }
  // 5 by 4: knots 0 0 0 0 1 2 2 2 2; at u = 1 the weights are 1/4, 1/2, 1/4.
  SetNet(5, 4, 4, 4, 50);
  DrawBSplineSurface(window, kBlackMode);
  EXPECT_EQ(std::vector<float>(m.xKnots, m.xKnots + 9), (std::vector<float>{0, 0, 0, 0, 1, 2, 2, 2, 2}));
  const Point3 p1 = m.net[1][0], p2 = m.net[2][0], p3 = m.net[3][0];
  EXPECT_TRUE(Same(Sample(SampleSplineSurface(false), 25, 0),
                   {float(p1.x / 4.0 + p2.x / 2.0 + p3.x / 4.0), float(p1.y / 4.0 + p2.y / 2.0 + p3.y / 4.0),
                    float(p1.z / 4.0 + p2.z / 2.0 + p3.z / 4.0)}));
}

TEST_F(SplineSurfaceTest, SamplesEqualThePerTermRecursionAndTheCornersAreTheCornerPoints) {
  // Ranges 3 at G = 5, 10 or 40 overshoot the last knot by a rounding
  // unless the last sample takes it exactly.
  struct Case { int n, cols, kx, ky, grid; } cases[] = {
      {6, 4, 4, 4, 5}, {7, 5, 3, 2, 13}, {9, 6, 4, 4, 40}, {5, 6, 5, 1, 7}, {12, 4, 6, 4, 10}, {3, 3, 1, 1, 3}};
  for (const Case& c : cases) {
    for (bool rational : {false, true}) {
      SetNet(c.n, c.cols, c.kx, c.ky, c.grid, c.n * 7 + c.kx);
      if (c.n == 9) m.netWeights[0][0] = 0;  // the corner sample has no place
      (rational ? DrawNurbsSurface : DrawBSplineSurface)(window, kBlackMode);
      const std::vector<Point3> s = SampleSplineSurface(rational);
      ASSERT_EQ(int(s.size()), (c.grid + 1) * (c.grid + 1));
      for (int a = 0; a <= c.grid; ++a) {
        const double u = SplineSurfaceParameter(m.xKnots[c.kx - 1], m.xKnots[c.n], c.grid, a);
        for (int b = 0; b <= c.grid; ++b) {
          const double v = SplineSurfaceParameter(m.yKnots[c.ky - 1], m.yKnots[c.cols], c.grid, b);
          ASSERT_TRUE(Same(Sample(s, a, b), PerTerm(rational, u, v)) && Same(Sample(s, a, b),
                      (rational ? EvalNurbsSurfacePoint : EvalBSplineSurfacePoint)(u, v))) << a << " " << b;
        }
      }
      const int g = c.grid, n = c.n - 1, l = c.cols - 1;
      EXPECT_TRUE(Same(Sample(s, 0, g), m.net[0][l]) && Same(Sample(s, g, 0), m.net[n][0]) &&
                  Same(Sample(s, g, g), m.net[n][l]));
      EXPECT_TRUE(c.n == 9 && rational ? std::isnan(s[0].x) : Same(s[0], m.net[0][0]));
    }
  }
  EXPECT_FALSE(ProjectPoint(NAN, NAN, NAN).visible);
}

TEST_F(SplineSurfaceTest, TheExamplePictureIgnoresTypedKnotsAndUnitWeightsDrawIt) {
  std::string text = ReadFile(std::string(TAMBRA_TEST_DATA_DIR) + "/../examples/bicubic.cnt");
  WriteFile(Path("good.cnt"), text);
  const std::string knots = "0 0 0 0 1 1 1 1 \r\n";
  text.replace(text.find(knots), knots.size(), "7 -3 5 2 1e30 0 -2 4 \r\n");  // decreasing, huge
  WriteFile(Path("garbage.cnt"), text);
  std::vector<std::vector<std::uint32_t>> pictures;
  for (const char* name : {"good.cnt", "garbage.cnt", "good.cnt"}) {
    answers.fileNames = {Path(name)};
    window.Command(kCmdOpen);
    EXPECT_EQ(m.xKnots[4], pictures.size() == 1 ? 1e30f : 1.0f) << name;
    window.Command(pictures.size() < 2 ? kCmdBSpline : kCmdNurbs);
    const Raster& dc = window.Canvas();
    pictures.emplace_back(dc.Data(), dc.Data() + dc.width() * dc.height());
  }
  EXPECT_EQ(m.xKnots[4], 1.0f);
  EXPECT_TRUE(pictures[0] == pictures[1] && pictures[0] == pictures[2]);
}

TEST_F(SplineSurfaceTest, RefusedModelsDrawOnlyTheNetAndKeepTheModel) {
  using Change = void (*)(ModelState&);
  const Change changes[] = {
      [](ModelState& s) { s.netRows = 0; },     [](ModelState& s) { s.netCols = 0; },
      [](ModelState& s) { s.xOrder = 0; },      [](ModelState& s) { s.yOrder = -1; },
      [](ModelState& s) { s.xOrder = 6; },      [](ModelState& s) { s.yOrder = 99; },
      [](ModelState& s) { s.grid = 0; },        [](ModelState& s) { s.grid = 100; },
      [](ModelState& s) { s.grid = 9999; },     [](ModelState& s) { s.grid = -5; },
      [](ModelState& s) { s.net[2][1].y = NAN; },
      [](ModelState& s) { s.netRows = 96, s.xOrder = 4; },  // no room for the terminating knot
      [](ModelState& s) { s.netWeights[4][3] = INFINITY; },  // NURBS only
  };
  for (bool rational : {false, true}) {
    const auto draw = rational ? DrawNurbsSurface : DrawBSplineSurface;
    SetNet(5, 4, 4, 4, 50);
    EXPECT_GT(Inked(draw), Inked(DrawControlNet)) << "the accepted model draws more than the net";
    for (const Change& change : changes) {
      if (!rational && &change == &changes[12]) continue;
      SetNet(5, 4, 4, 4, 50);
      change(m);
      const auto before = ModelBytes();
      const auto net = Picture(DrawControlNet);
      EXPECT_TRUE(Picture(draw) == net && ModelBytes() == before) << &change - changes;
    }
  }
}

TEST_F(SplineSurfaceTest, HostileWeightsAndOrderOneStayFinite) {
  for (float w : {0.0f, -1.0f, 1e30f}) {
    SetNet(7, 6, 3, 4, 20);
    for (int i = 0; i < 7; ++i)
      for (int j = 0; j < 6; ++j) m.netWeights[i][j] = w == -1.0f && (i + j) % 2 ? 1.0f : w;
    DrawNurbsSurface(window, kBlackMode);
    for (const Point3& p : SampleSplineSurface(true))
      EXPECT_TRUE(w == 0 ? std::isnan(p.x) : std::isnan(p.x) || std::isfinite(p.x + p.y + p.z));
    if (w == 0) {
      EXPECT_EQ(Picture(DrawNurbsSurface), Picture(DrawControlNet)) << "nothing but the net";
    }
  }
  SetNet(3, 2, 1, 1, 6);  // order 1: the surface is the control points, piece by piece
  DrawBSplineSurface(window, kBlackMode);
  const std::vector<Point3> s = SampleSplineSurface(false);
  EXPECT_TRUE(Same(Sample(s, 1, 1), m.net[0][0]) && Same(Sample(s, 3, 4), m.net[1][1]) &&
              Same(Sample(s, 5, 2), m.net[2][0]));
}

}  // namespace
}  // namespace tambra
