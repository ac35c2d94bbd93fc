// Bezier and rational Bezier patches: samples, their layout, the log, the
// refused grids and nets, and samples that cannot be placed.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "base/canvas.h"
#include "session_fixture.h"
#include "surface/surface_patch.h"

namespace tambra {
namespace {

class SurfacePatchTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp(), m.tx = 400, m.ty = 300;
    std::snprintf(m.outputFileName, kMaxFileName, "%s", Path("p.dat").c_str());
  }
  // Pseudo-random points within 7 of the origin, weights in [0.5, 2].
  void SetNet(int rows, int cols, bool triangular) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-7.0f, 7.0f), weight(0.5f, 2.0f);
    m.netRows = rows, m.netCols = cols, m.triangles = triangular;
    for (int k = 0; k < rows * cols; ++k) {
      m.net[k / cols][k % cols] = {coordinate(random), coordinate(random), coordinate(random)};
      m.netWeights[k / cols][k % cols] = weight(random);
    }
    if (triangular) RepackTriangle();
  }
  std::vector<Point3> Samples(bool rational, int grid) {
    std::vector<Point3> s(kMaxNet * kMaxNet);
    s.resize((m.triangles ? SampleTrianglePatch : SampleRectPatch)(rational, grid, s));
    return s;
  }
  // Draws the patch in red on a white canvas with the log open; returns the log.
  std::string DrawLogged(bool rational) {
    window.Canvas().Resize(800, 600);
    std::filesystem::remove(Path("p.dat"));
    EXPECT_EQ(OpenOutputLog(window), 1);
    (rational ? DrawRationalBezierSurface : DrawBezierSurface)(window, kRedMode);
    CloseOutputLog();
    return ReadFile(Path("p.dat"));
  }
  long Red() {
    const std::uint32_t* d = window.Canvas().Data();
    return std::count(d, d + 800 * 600, 0xFF000000u | kRed);
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
      {false, false, 12, 37, EvalBezierRectPoint},
      {false, true,  12, 37, EvalRationalRectPoint},
      {true,  false, 9,  23, EvalBezierTrianglePoint},
      {true,  true,  9,  23, EvalRationalTrianglePoint}};
  for (const auto& c : cases) {
    SetNet(c.rows, c.triangular ? c.rows : 11, c.triangular);
    const std::vector<Point3> s = Samples(c.rational, c.grid);
    const int g = c.grid;
    for (int i = 0, k = 0; i <= g; ++i) {
      for (int j = 0; j <= (c.triangular ? i : g); ++j, ++k) {
        const Point3 p = c.eval(double(c.triangular ? g - i : i) / g, double(j) / g);
        ASSERT_EQ(std::memcmp(&p, &s[k], sizeof p), 0) << c.rational << c.triangular << i << j;
      }
    }
  }
}

TEST_F(SurfacePatchTest, CornersLayoutUnitWeightsAndTheSphereOctant) {
  // 2 by 2 at G = 1: one cell through the corner control points, drawn over the net.
  SetNet(2, 2, false), m.grid = 1;
  const Point3 corners[] = {m.net[0][0], m.net[0][1], m.net[1][0], m.net[1][1]};
  EXPECT_EQ(std::memcmp(Samples(false, 1).data(), corners, sizeof corners), 0);
  DrawLogged(false);
  EXPECT_TRUE(Red() > 0 && Red() == window.Canvas().CountNonWhite()) << "covers the net exactly";
  // Triangular at G = 2: rows of 1, 2, 3 samples, row 0 the corner u = 1.
  SetNet(2, 2, true);
  m.net[0][0] = {4, 0, 0}, m.net[1][0] = {0, 4, 0}, m.net[1][1] = {0, 0, 4};  // u, v, w corners
  RepackTriangle();
  // A curve typed in Curves mode since overwrites the net's rows, not the packed
  // triangle the view draws and Save writes: the patch stays that triangle's.
  m.net[0][0] = m.net[1][0] = {9, 9, 9};
  const std::vector<Point3> t = Samples(false, 2);
  const Point3 expected[6] = {{4, 0, 0}, {2, 0, 2}, {2, 2, 0}, {0, 0, 4}, {0, 2, 2}, {0, 4, 0}};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Line(t.at(k)), Line(expected[k])) << k;
  // Unit weights give the polynomial samples within one float ulp (not bitwise: the
  // rational sums associate the products differently and divide by a sum near 1).
  for (bool triangular : {false, true}) {
    SetNet(7, 7, triangular);
    for (auto& row : m.netWeights) std::fill_n(row, kMaxNet, 1.0f);
    const std::vector<Point3> p = Samples(false, 30), r = Samples(true, 30);
    for (std::size_t k = 0; k < p.size() * 3; ++k) {
      const float a = (&p[k / 3].x)[k % 3], b = (&r[k / 3].x)[k % 3];
      EXPECT_LE(std::fabs(a - b), std::nextafter(std::fabs(a), INFINITY) - std::fabs(a)) << k;
    }
  }
  // Two quarter circles (1, 0), (1, 1), (0, 1), weights 1, cos 45, 1, multiplied:
  // P[i][j] = (a_i.x b_j.x, a_i.x b_j.y, a_i.y); row 2 collapses to the pole.
  const float q[3][2] = {{1, 0}, {1, 1}, {0, 1}}, w[3] = {1, std::sqrt(0.5f), 1};
  m.netRows = m.netCols = 3, m.triangles = 0;
  for (int k = 0; k < 9; ++k) {
    const int i = k / 3, j = k % 3;
    m.net[i][j] = {q[i][0] * q[j][0], q[i][0] * q[j][1], q[i][1]}, m.netWeights[i][j] = w[i] * w[j];
  }
  for (const Point3& p : Samples(true, 50)) EXPECT_NEAR(std::hypot(p.x, p.y, p.z), 1.0, 1e-6);
}

TEST_F(SurfacePatchTest, PaddedTriangleLog) {
  // N = 3 at G = 1: the net as 3 rows of 4 lines and a block end; the samples
  // (apex, then the w and v corners) as 2 rows of 2 lines and one row end. The
  // rectangular blocks are in the patch log replay.
  SetNet(3, 3, true), m.grid = 1;
  auto n = [&](int r, int c) { return Line(m.net[r][c]); };
  const std::string a = n(0, 0), w = n(2, 2), v = n(2, 0), end = "\r\n", blockEnd = "\r\n\r\n\r\n";
  EXPECT_EQ(DrawLogged(false), a + a + a + a + end +
                               n(1, 0) + n(1, 0) + n(1, 1) + n(1, 1) + end +
                               v + n(2, 1) + n(2, 1) + w + end + blockEnd +
                               a + a + end + w + v + end + end);
}

TEST_F(SurfacePatchTest, AcceptedAndRefusedGridsAndNetsLeaveTheModelAlone) {
  const struct { bool triangular; int rows, grid; bool drawn; } cases[] = {
      {false, 4, 99, true},  {true, 3, 50, true},   {true, kMaxTriangleRows, 99, true},
      {false, 4, 0, false},  {false, 4, 100, false}, {false, 4, -3, false}, {false, 0, 10, false},
      {true, 3, 0, false},   {true, 3, 100, false},  {true, kMaxTriangleRows + 1, 10, false}};
  for (const auto& c : cases) {
    SetNet(c.rows, c.triangular ? c.rows : 5, c.triangular && c.rows <= kMaxTriangleRows);
    m.triangles = c.triangular, m.grid = c.grid;
    const std::vector<unsigned char> before = ModelBytes();
    const std::string log = DrawLogged(c.rows % 2 == 1);
    EXPECT_EQ(ModelBytes(), before) << c.rows << " " << c.grid;
    EXPECT_TRUE((Red() > 0) == c.drawn && log.empty() != c.drawn) << c.rows << " " << c.grid;
  }
}

TEST_F(SurfacePatchTest, SamplesThatCannotBePlacedAreSkipped) {
  // Weights of the first 10 by 10 points and of the rest (never set by the
  // program), a coordinate on column 0; -1: not checked.
  const struct { bool triangular; float inner, outer, coordinate; int skipped, drawn; } cases[] = {
      {false, 0, 0, 1,     121, 0},   // every weight 0
      {true,  0, 0, 1,     220, 0},   // 11 padded rows of 20 lines
      {false, 1, 0, 1,     21,  1},   // the edges u = 1 and v = 1 see only outer weights
      {false, 1, 1, 3e38f, -1,  -1},
      {true,  1, 1, NAN,   -1,  -1}};
  for (const auto& c : cases) {
    SetNet(12, 12, c.triangular), m.grid = 10;
    for (int i = 0; i < 12; ++i) {
      for (int j = 0; j < 12; ++j) m.netWeights[i][j] = i < 10 && j < 10 ? c.inner : c.outer;
      m.net[i][0] = {c.coordinate, -c.coordinate, c.coordinate};
    }
    const std::string log = DrawLogged(true);
    EXPECT_TRUE(log.find("nan") == std::string::npos && log.find("inf") == std::string::npos);
    const long skipped = std::count(log.begin(), log.end(), '#');  // "# skipped" lines
    EXPECT_TRUE(c.skipped < 0 || skipped == c.skipped) << skipped;
    EXPECT_TRUE(c.drawn < 0 || (Red() > 0) == (c.drawn == 1)) << c.skipped;
  }
}

}  // namespace
}  // namespace tambra
