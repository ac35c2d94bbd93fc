// Bezier and rational Bezier patches: samples, their layout, the log, the
// refused grids and nets, and samples that cannot be placed.
#include <cmath>
#include <cstring>
#include <random>

#include "base/canvas.h"
#include "session_fixture.h"
#include "surface/surface_patch.h"
#include "surface/surface_view.h"

namespace tambra {
namespace {

class SurfacePatchTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    m.tx = 400, m.ty = 300;
    std::snprintf(m.outputFileName, kMaxFileName, "%s", Path("p.dat").c_str());
  }
  // A net of the shape with pseudo-random points and weights in [0.5, 2].
  void SetNet(int rows, int cols, bool triangular, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> coordinate(-7.0f, 7.0f), weight(0.5f, 2.0f);
    m.netRows = rows, m.netCols = cols, m.triangles = triangular;
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) {
        m.net[i][j] = {coordinate(random), coordinate(random), coordinate(random)};
        m.netWeights[i][j] = weight(random);
      }
    }
    if (triangular) RepackTriangle();
  }
  std::vector<Point3> Samples(bool rational, int grid) {
    std::vector<Point3> s(kMaxNet * kMaxNet);
    s.resize(m.triangles ? SampleTrianglePatch(rational, grid, s) : SampleRectPatch(rational, grid, s));
    return s;
  }
  // Draws the patch in red with the log open; returns the log.
  std::string DrawLogged(bool rational) {
    std::filesystem::remove(Path("p.dat"));
    EXPECT_EQ(OpenOutputLog(window), 1);
    (rational ? DrawRationalBezierSurface : DrawBezierSurface)(window, kRedMode);
    CloseOutputLog();
    return ReadFile(Path("p.dat"));
  }
  int Count(Rgb colour) {
    int count = 0;
    for (int y = 0; y < 600; ++y) {
      for (int x = 0; x < 800; ++x) count += window.Canvas().Pixel(x, y) == colour;
    }
    return count;
  }
};

std::string Line(const Point3& p) {
  char text[96];
  std::snprintf(text, sizeof text, "%7.5f %7.5f %7.5f\r\n", p.x, p.y, p.z);
  return text;
}

TEST_F(SurfacePatchTest, DisplaySamplesHaveTheBitsOfTheDirectEvaluators) {
  using Eval = Point3 (*)(double, double);
  const struct { bool triangular, rational; int rows, grid; Eval eval; } cases[] = {
      {false, false, 12, 37, EvalBezierRectPoint}, {false, true, 12, 37, EvalRationalRectPoint},
      {true, false, 9, 23, EvalBezierTrianglePoint}, {true, true, 9, 23, EvalRationalTrianglePoint}};
  for (const auto& c : cases) {
    SetNet(c.rows, c.triangular ? c.rows : 11, c.triangular);
    const std::vector<Point3> s = Samples(c.rational, c.grid);
    const int g = c.grid;
    for (int i = 0, k = 0; i <= g; ++i) {
      for (int j = 0; j <= (c.triangular ? i : g); ++j, ++k) {
        const Point3 p = c.triangular ? c.eval(double(g - i) / g, double(j) / g)
                                      : c.eval(double(i) / g, double(j) / g);
        ASSERT_EQ(std::memcmp(&p, &s[k], sizeof p), 0) << c.rational << c.triangular << i << j;
      }
    }
  }
}

TEST_F(SurfacePatchTest, CornersLayoutAndRationalWithUnitWeights) {
  // 2 by 2 at G = 1: one cell through the corner control points, drawn over the net.
  SetNet(2, 2, false), m.grid = 1;
  EXPECT_EQ(std::memcmp(Samples(false, 1).data(), std::vector{m.net[0][0], m.net[0][1], m.net[1][0],
                                                              m.net[1][1]}.data(), 4 * sizeof(Point3)), 0);
  DrawBezierSurface(window, kRedMode);
  EXPECT_TRUE(Count(kRed) > 0 && Count(kBlack) == 0) << "the cell covers the net exactly";
  // Triangular at G = 2: rows of 1, 2, 3 samples, row 0 the corner u = 1.
  SetNet(2, 2, true);
  m.net[0][0] = {4, 0, 0}, m.net[1][0] = {0, 4, 0}, m.net[1][1] = {0, 0, 4};  // u, v and w corners
  const std::vector<Point3> t = Samples(false, 2);
  const float expected[6][3] = {{4, 0, 0}, {2, 0, 2}, {2, 2, 0}, {0, 0, 4}, {0, 2, 2}, {0, 4, 0}};
  ASSERT_EQ(t.size(), 6u);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Line(t[k]), Line({expected[k][0], expected[k][1], expected[k][2]}));
  // Unit weights give the polynomial samples within one float ulp (not bitwise:
  // the rational sums associate the products differently and divide by a sum near 1).
  for (bool triangular : {false, true}) {
    SetNet(7, 7, triangular);
    for (auto& row : m.netWeights) std::fill_n(row, kMaxNet, 1.0f);
    const std::vector<Point3> p = Samples(false, 30), r = Samples(true, 30);
    for (std::size_t k = 0; k < p.size(); ++k) {
      for (auto f : {&Point3::x, &Point3::y, &Point3::z}) {
        EXPECT_LE(std::fabs(p[k].*f - r[k].*f), std::nextafter(std::fabs(p[k].*f), INFINITY) - std::fabs(p[k].*f));
      }
    }
  }
}

TEST_F(SurfacePatchTest, SphereOctantSamplesLieOnTheUnitSphere) {
  // Two quarter circles (1, 0), (1, 1), (0, 1) with weights 1, cos 45, 1
  // multiplied: P[i][j] = (a_i.x b_j.x, a_i.x b_j.y, a_i.y); row 2 collapses to the pole.
  const float q[3][2] = {{1, 0}, {1, 1}, {0, 1}}, w[3] = {1, std::sqrt(0.5f), 1};
  m.netRows = m.netCols = 3;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      m.net[i][j] = {q[i][0] * q[j][0], q[i][0] * q[j][1], q[i][1]}, m.netWeights[i][j] = w[i] * w[j];
    }
  }
  for (const Point3& p : Samples(true, 50)) EXPECT_NEAR(std::hypot(p.x, p.y, p.z), 1.0, 1e-6);
}

TEST_F(SurfacePatchTest, LogBlocksAndThePaddedTriangle) {
  // N = 3 at G = 1: the net as 3 rows of 4 lines and a block end; the samples
  // (apex, then the w and v corners) as 2 rows of 2 lines and one row end.
  SetNet(3, 3, true), m.grid = 1;
  auto n = [&](int r, int c) { return Line(m.net[r][c]); };
  const std::string a = n(0, 0), w = n(2, 2), v = n(2, 0);
  EXPECT_EQ(DrawLogged(false), a + a + a + a + "\r\n" + n(1, 0) + n(1, 0) + n(1, 1) + n(1, 1) + "\r\n" +
                               v + n(2, 1) + n(2, 1) + w + "\r\n\r\n\r\n\r\n" + a + a + "\r\n" + w + v + "\r\n\r\n");
  // Rectangular: both blocks end with the block end.
  SetNet(1, 2, false);
  const std::string r = n(0, 0) + n(0, 1) + "\r\n\r\n\r\n\r\n";
  EXPECT_EQ(DrawLogged(false), r + n(0, 0) + n(0, 1) + "\r\n" + n(0, 0) + n(0, 1) + "\r\n\r\n\r\n\r\n");
}

TEST_F(SurfacePatchTest, AcceptedAndRefusedGridsAndNetsLeaveTheModelAlone) {
  const struct { bool triangular; int rows, grid; bool drawn; } cases[] = {
      {false, 4, 99, true},  {true, 3, 50, true},   {true, kMaxTriangleRows, 99, true},
      {false, 4, 0, false},  {false, 4, 100, false}, {false, 4, -3, false}, {false, 0, 10, false},
      {true, 3, 0, false},   {true, 3, 100, false},  {true, kMaxTriangleRows + 1, 10, false}};
  for (const auto& c : cases) {
    window.Canvas().Resize(800, 600);
    SetNet(c.rows, c.triangular ? c.rows : 5, c.triangular && c.rows <= kMaxTriangleRows);
    m.triangles = c.triangular, m.grid = c.grid;
    const std::vector<unsigned char> before = ModelBytes();
    const std::string log = DrawLogged(c.rows % 2 == 1);
    EXPECT_EQ(ModelBytes(), before) << c.rows << " " << c.grid;
    EXPECT_EQ(Count(kRed) > 0, c.drawn) << c.rows << " " << c.grid;
    EXPECT_EQ(log.empty(), !c.drawn) << c.rows << " " << c.grid;
  }
}

TEST_F(SurfacePatchTest, SamplesThatCannotBePlacedAreSkipped) {
  const float huge = 3e38f, nan = NAN;
  const struct { bool triangular; float weight, coordinate; int skipped; } cases[] = {
      {false, 0, 1, 121}, {true, 0, 1, 11 * 20}, {false, 1, huge, -1}, {true, 1, nan, -1}};
  for (const auto& c : cases) {
    window.Canvas().Resize(800, 600);
    SetNet(12, 12, c.triangular), m.grid = 10;
    for (auto& row : m.netWeights) std::fill_n(row, kMaxNet, c.weight);
    for (int i = 0; i < 12; ++i) m.net[i][0] = {c.coordinate, -c.coordinate, c.coordinate};
    const std::string log = DrawLogged(true);
    EXPECT_TRUE(log.find("nan") == std::string::npos && log.find("inf") == std::string::npos);
    int skipped = 0;
    for (std::size_t at = 0; (at = log.find("# skipped\r\n", at)) != std::string::npos; ++at) ++skipped;
    EXPECT_TRUE(c.skipped < 0 || (skipped == c.skipped && Count(kRed) == 0)) << skipped;
  }
  // The outer weights a net larger than 10 by 10 never set: the edges u = 1
  // and v = 1 see only those and sum to 0.
  SetNet(12, 12, false), m.grid = 10;
  for (auto& row : m.netWeights) std::fill_n(row, kMaxNet, 0.0f);
  for (int i = 0; i < 10; ++i) std::fill_n(m.netWeights[i], 10, 1.0f);
  const std::vector<Point3> s = Samples(true, 10);
  for (int k = 0; k < 121; ++k) EXPECT_EQ(std::isfinite(s[k].x), k / 11 < 10 && k % 11 < 10) << k;
}

}  // namespace
}  // namespace tambra
