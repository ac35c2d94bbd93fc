// B-spline and NURBS surfaces against the per-term basis recursion and the
// Bezier patch, hostile weights, refusals. Opening the example and the
// displays' knots and pictures are in the spline surface replay.
#include <cstring>
#include <random>

#include "base/canvas.h"
#include "numeric/bspline_basis.h"
#include "resources/command_ids.h"
#include "session_fixture.h"
#include "surface/spline_surface.h"
#include "surface/surface_patch.h"
#include "surface/surface_view.h"

namespace tambra {
namespace {

bool Same(Point3 a, Point3 b) {  // bit for bit; NaN marks a skipped sample
  return std::isnan(a.x) || std::isnan(b.x) ? std::isnan(a.x) && std::isnan(b.x)
                                            : std::memcmp(&a, &b, sizeof a) == 0;
}

// The evaluation as first written: every term, BSplineBasis per term.
Point3 PerTerm(bool rational, double u, double v) {
  const ModelState& m = Model();
  double x = 0, y = 0, z = 0, sw = 0;
  for (int i = 0; i < m.netRows; ++i) {
    for (int j = 0; j < m.netCols; ++j) {
      const double bx = BSplineBasis(m.xKnots, m.netRows, i, m.xOrder, u);
      const double by = BSplineBasis(m.yKnots, m.netCols, j, m.yOrder, v);
      const Point3 p = m.net[i][j];
      const double w = bx * by * m.netWeights[i][j];
      if (rational) x += w * p.x, y += w * p.y, z += w * p.z, sw += w;
      if (!rational) x += p.x * bx * by, y += p.y * bx * by, z += p.z * bx * by;
    }
  }
  const double d = rational ? sw : 1;
  const Point3 p{float(x / d), float(y / d), float(z / d)};
  return std::isfinite(p.x + p.y + p.z) ? p : Point3{NAN, NAN, NAN};
}

class SplineSurfaceTest : public SessionTest {
 protected:
  // An n by cols net in +-8, weights in 0.25 .. 4, knots garbage until a
  // display rebuilds them, the bicubic example's view.
  void SetNet(int n, int cols, int kx, int ky, int grid, unsigned seed = 1) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<float> value(-8, 8), weight(0.25f, 4);
    m.objectMode = kSurfaces, m.netRows = n, m.netCols = cols, m.xOrder = kx, m.yOrder = ky;
    m.grid = grid, m.scale = 0.5f, m.tx = 424, m.ty = 300, m.tht = 30, m.phi = 60;
    for (int i = 0; i < n * cols; ++i) {
      m.net[i / cols][i % cols] = {value(g), value(g), value(g)};
      m.netWeights[i / cols][i % cols] = weight(g);
    }
    std::fill_n(m.xKnots, kMaxKnots, 1e30f), std::fill_n(m.yKnots, kMaxKnots, -3.0f);
  }
  std::vector<std::uint32_t> Picture(void (*draw)(Platform&, int)) {
    ClearCanvas(window, 800, 600);
    draw(window, kBlackMode);
    return {window.Canvas().Data(), window.Canvas().Data() + 800 * 600};
  }
};

TEST_F(SplineSurfaceTest, SamplesAreThePerTermSumsWithClampedKnotsAndTheCornerPoints) {
  // 6 rows of order 4 at G = 5: 3 * (1/5) * 5 overshoots the last knot unless
  // the last sample takes it exactly. Net 9 has a corner weight 0. Hostile
  // weights w (NaN: the random ones): -1 and 1 in alternate columns of order
  // 2 cancel at v = 0.5, 1.5, .. (x / 0); every weight 0 leaves no sample a place.
  struct { int n, cols, kx, ky, grid; std::vector<float> xKnots; float w = NAN; } cases[] = {
      {4, 4, 4, 4, 50, {0, 0, 0, 0, 1, 1, 1, 1, 0}},
      {5, 4, 4, 4, 50, {0, 0, 0, 0, 1, 2, 2, 2, 2, 0}},
      {6, 4, 4, 4, 5, {0, 0, 0, 0, 1, 2, 3, 3, 3, 3, 0}},
      {3, 3, 1, 1, 3, {0, 1, 2, 3, 0}},
      {7, 5, 3, 2, 13, {}}, {9, 6, 4, 4, 40, {}}, {5, 6, 5, 1, 7, {}}, {12, 4, 6, 4, 10, {}},
      {7, 6, 3, 2, 20, {}, 0}, {7, 6, 3, 2, 20, {}, -1}, {7, 6, 3, 2, 20, {}, 1e30f}};
  for (const auto& c : cases) {
    for (bool rational : {false, true}) {
      SetNet(c.n, c.cols, c.kx, c.ky, c.grid, c.n * 7 + c.kx);
      if (c.n == 9) m.netWeights[0][0] = 0;
      for (int i = 0; i < c.n * c.cols && !std::isnan(c.w); ++i) {
        m.netWeights[i / c.cols][i % c.cols] = c.w == -1 && i % 2 ? 1 : c.w;
      }
      window.Command(rational ? kCmdNurbs : kCmdBSpline);
      EXPECT_EQ(std::vector<float>(m.xKnots, m.xKnots + c.xKnots.size()), c.xKnots);
      const std::vector<Point3> s = SampleSplineSurface(rational);
      const int g = c.grid, n = c.n - 1, l = c.cols - 1;
      ASSERT_EQ(int(s.size()), (g + 1) * (g + 1));
      for (int k = 0; k < int(s.size()); ++k) {
        const int a = k / (g + 1), b = k % (g + 1);
        const double u = SplineSurfaceParameter(m.xKnots[c.kx - 1], m.xKnots[c.n], g, a);
        const double v = SplineSurfaceParameter(m.yKnots[c.ky - 1], m.yKnots[c.cols], g, b);
        const Point3 eval = (rational ? EvalNurbsSurfacePoint : EvalBSplineSurfacePoint)(u, v);
        ASSERT_TRUE(Same(s[k], PerTerm(rational, u, v)) && Same(s[k], eval)) << a << " " << b;
        // Orders 4 and 4 on 4 by 4: the bicubic Bezier patch, within a few ulps of 8.
        ASSERT_TRUE(c.n != 4 || rational || std::fabs(s[k].x - EvalBezierRectPoint(u, v).x) < 4e-6);
      }
      const bool none = rational && c.w == 0;
      EXPECT_TRUE(none || Same(s[g], m.net[0][l])) << "corner 0, " << l;
      EXPECT_TRUE(none || Same(s[g * (g + 1)], m.net[n][0])) << "corner " << n << ", 0";
      EXPECT_TRUE(none || Same(s.back(), m.net[n][l])) << "corner " << n << ", " << l;
      EXPECT_TRUE((c.n == 9 && rational) || none ? std::isnan(s[0].x) : Same(s[0], m.net[0][0]));
    }
  }
  EXPECT_FALSE(ProjectPoint(NAN, NAN, NAN).visible) << "a skipped sample is never drawn";
}

// 96 rows leave no room for the terminating knot; the last change, a weight,
// is refused by NURBS only.
TEST_F(SplineSurfaceTest, RefusedModelsDrawOnlyTheNetAndKeepTheModel) {
  void (*const changes[])(ModelState&) = {
      [](ModelState& s) { s.netRows = 0; }, [](ModelState& s) { s.netCols = 0; },
      [](ModelState& s) { s.xOrder = 0; }, [](ModelState& s) { s.yOrder = -1; },
      [](ModelState& s) { s.xOrder = 6; }, [](ModelState& s) { s.yOrder = 99; },
      [](ModelState& s) { s.grid = 100; }, [](ModelState& s) { s.net[2][1].y = NAN; },
      [](ModelState& s) { s.netRows = 96; }, [](ModelState& s) { s.netWeights[4][3] = INFINITY; }};
  for (auto draw : {DrawBSplineSurface, DrawNurbsSurface}) {
    SetNet(5, 4, 4, 4, 50);
    EXPECT_NE(Picture(draw), Picture(DrawControlNet)) << "the surface is drawn over the net";
    for (auto change : changes) {
      if (draw == DrawBSplineSurface && change == std::end(changes)[-1]) continue;
      SetNet(5, 4, 4, 4, 50);
      change(m);
      const auto before = ModelBytes();
      EXPECT_EQ((std::tuple{Picture(draw) == Picture(DrawControlNet), ModelDifference(before, ModelBytes())}), std::tuple(true, ""));
    }
  }
  for (auto& row : m.netWeights) std::fill_n(row, kMaxNet, 1.0f);
  EXPECT_TRUE(Picture(DrawNurbsSurface) == Picture(DrawBSplineSurface)) << "unit weights";
}

// Surfaces mode keeps showing the display chosen last: a rotation drag step and a repaint draw
// it (the knots the model holds stay), and a triangular net greys and refuses the spline ones.
TEST_F(SplineSurfaceTest, RotationAndRepaintKeepTheChosenSurfaceWhichMustFitTheNet) {
  window.Start();
  window.Command(kCmdSurfaces);
  using Draw = void (*)(Platform&, int);
  auto canvas = [&] { return std::vector(window.Canvas().Data(), window.Canvas().Data() + 480000); };
  for (auto [command, draw] : {std::pair<int, Draw>{kCmdBezier, DrawBezierSurface},
                               {kCmdBSpline, DrawBSplineSurface}, {kCmdNurbs, DrawNurbsSurface}}) {
    SetNet(5, 4, 4, 3, 50);
    window.Command(command);
    std::fill_n(m.xKnots, kMaxKnots, 7.0f);  // the model's own, not the display's
    window.Send(MouseMessage(MessageKind::kLeftDown, 100, 100, kLeftButtonFlag));
    window.Send(MouseMessage(MessageKind::kMouseMove, 130, 90, kLeftButtonFlag));
    const std::vector<std::uint32_t> dragged = canvas();
    window.Send(MouseMessage(MessageKind::kLeftUp, 130, 90, 0));
    ClearCanvas(window, 800, 600);
    window.Send(Message{MessageKind::kPaint});
    const std::vector<std::uint32_t> painted = canvas();
    EXPECT_EQ(std::tuple(m.xKnots[0], m.tht != 30.0f), std::tuple(7, true)) << command;
    EXPECT_EQ(std::tuple(dragged == Picture(draw), painted == dragged), std::tuple(true, true)) << command;
    EXPECT_NE(painted, Picture(DrawControlNet)) << command;
  }
  m.triangles = 1, m.netCols = m.netRows = 4;
  RepackTriangle();
  window.Send(Message{MessageKind::kPaint});
  for (int command : {kCmdBSpline, kCmdNurbs}) {
    EXPECT_FALSE(window.IsEnabled(command));
    const auto before = ModelBytes();
    ClearCanvas(window, 800, 600);
    window.Command(command);
    EXPECT_EQ(std::tuple(ModelDifference(before, ModelBytes()), window.Canvas().CountNonWhite()), std::tuple("", 0)) << command;
    EXPECT_EQ(window.Status(), "This surface needs a rectangular net; the net is triangular");
  }
  EXPECT_TRUE(window.IsEnabled(kCmdBezier));
}

}  // namespace
}  // namespace tambra
