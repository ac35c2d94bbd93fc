// Bezier and rational Bezier patches: samples against the direct evaluators
// and closed forms, the refused grids and nets, and samples that cannot be
// placed. The logged layouts and the unit-weight rational patches are in the
// patch log replay.
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
  // Pseudo-random points within 7 of the origin, weights in [0.5, 2]; the log
  // file named.
  void SetNet(int rows, int cols, bool triangular) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-7.0f, 7.0f), weight(0.5f, 2.0f);
    m.netRows = rows, m.netCols = cols, m.triangles = triangular, m.tx = 400, m.ty = 300;
    for (int k = 0; k < rows * cols; ++k) {
      m.net[k / cols][k % cols] = {coordinate(random), coordinate(random), coordinate(random)};
      m.netWeights[k / cols][k % cols] = weight(random);
    }
    if (triangular) RepackTriangle();
    std::snprintf(m.outputFileName, kMaxFileName, "%s", Path("p.dat").c_str());
  }
  PatchTables tables;
  std::vector<Point3> Samples(bool rational, int grid) {
    std::vector<Point3> s(kMaxNet * kMaxNet);
    s.resize((m.triangles ? SampleTrianglePatch : SampleRectPatch)(rational, grid, s, tables));
    return s;
  }
  // Draws the patch in red on a white canvas with the log open; returns the log.
  std::string DrawLogged(bool rational) {
    window.Canvas().Resize(800, 600);
    std::filesystem::remove(Path("p.dat"));  // so that opening it asks nothing
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

TEST_F(SurfacePatchTest, SamplesHaveTheEvaluatorsBitsTheCornersAndTheSphereOctant) {
  Point3 (*const evals[])(double, double) = {EvalBezierRectPoint, EvalRationalRectPoint,
                                              EvalBezierTrianglePoint, EvalRationalTrianglePoint};
  for (int c = 0; c < 4; ++c) {
    const bool triangular = c >= 2, rational = c % 2 == 1;
    const int g = triangular ? 23 : 37;
    SetNet(triangular ? 9 : 12, triangular ? 9 : 11, triangular);
    const std::vector<Point3> s = Samples(rational, g);
    for (int i = 0, k = 0; i <= g; ++i) {
      for (int j = 0; j <= (triangular ? i : g); ++j, ++k) {
        const Point3 p = evals[c](double(triangular ? g - i : i) / g, double(j) / g);
        ASSERT_EQ(std::memcmp(&p, &s[k], sizeof p), 0) << c << " " << i << " " << j;
      }
    }
  }
  // 2 by 2 at G = 1: one cell through the corner control points, drawn over the net.
  SetNet(2, 2, false), m.grid = 1;
  const Point3 corners[] = {m.net[0][0], m.net[0][1], m.net[1][0], m.net[1][1]};
  EXPECT_EQ(std::memcmp(Samples(false, 1).data(), corners, sizeof corners), 0);
  DrawLogged(false);
  EXPECT_GT(Red(), 0);
  EXPECT_EQ(Red(), window.Canvas().CountNonWhite()) << "covers the net exactly";
  // Triangular at G = 2, rows of 1, 2, 3 samples from the corner u = 1, taken from the
  // packed triangle the view draws and Save writes, not from net rows a curve overwrote.
  SetNet(2, 2, true);
  m.net[0][0] = {4, 0, 0}, m.net[1][0] = {0, 4, 0}, m.net[1][1] = {0, 0, 4};  // u, v, w corners
  RepackTriangle();
  m.net[0][0] = m.net[1][0] = {9, 9, 9};
  const std::vector<Point3> t = Samples(false, 2);
  const Point3 expected[6] = {{4, 0, 0}, {2, 0, 2}, {2, 2, 0}, {0, 0, 4}, {0, 2, 2}, {0, 4, 0}};
  ASSERT_EQ(t.size(), 6u);
  for (int k = 0; k < 6; ++k)
    EXPECT_EQ(std::tuple(t[k].x, t[k].y, t[k].z), std::tuple(expected[k].x, expected[k].y, expected[k].z)) << k;
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

// Refused grids and nets draw only the net and log nothing; the triangular
// patch draws at the default grid and beyond. A sample that cannot be placed
// (weights summing to 0, a value beyond the float range) is a gap in the
// picture and a "# skipped" line in the log. No display changes the model.
TEST_F(SurfacePatchTest, RefusedAndSkippedSamplesNeverReachAPixelOrTheLog) {
  // The weights of the first 10 by 10 points and of the rest (never set by
  // the program), a coordinate put on column 0; skipped -1: nothing logged,
  // drawn -1: not checked.
  const struct {
    bool triangular; int rows, grid; float inner, outer, coordinate; int skipped, drawn;
  } cases[] = {
      {false, 4, 99, 1, 1, 1, 0, 1}, {true, 3, 50, 1, 1, 1, 0, 1},
      {true, kMaxTriangleRows, 99, 1, 1, 1, 0, 1}, {false, 4, 0, 1, 1, 1, -1, 0},
      {false, 4, 100, 1, 1, 1, -1, 0}, {false, 4, -3, 1, 1, 1, -1, 0},
      {false, 0, 10, 1, 1, 1, -1, 0}, {true, 3, 0, 1, 1, 1, -1, 0},
      {true, 3, 100, 1, 1, 1, -1, 0}, {true, kMaxTriangleRows + 1, 10, 1, 1, 1, -1, 0},
      {false, 12, 10, 0, 0, 1, 121, 0},   // every weight 0
      {true, 12, 10, 0, 0, 1, 220, 0},    // 11 padded rows of 20 lines
      {false, 12, 10, 1, 0, 1, 21, 1},    // the edges u = 1 and v = 1 see only outer weights
      {false, 12, 10, 1, 1, 3e38f, 0, -1},
      {true, 12, 10, 1, 1, NAN, 88 + 220, -1}};  // column 0 of the padded net, every sample
  for (const auto& c : cases) {
    SetNet(c.rows, c.triangular ? c.rows : 12, c.triangular && c.rows <= kMaxTriangleRows);
    m.triangles = c.triangular, m.grid = c.grid;
    for (int i = 0; i < kMaxNet; ++i) {
      for (int j = 0; j < 12; ++j) m.netWeights[i][j] = i < 10 && j < 10 ? c.inner : c.outer;
      m.net[i][0] = {c.coordinate, -c.coordinate, c.coordinate};
    }
    if (c.triangular && c.rows <= kMaxTriangleRows) RepackTriangle();
    const std::vector<unsigned char> before = ModelBytes();
    const std::string log = DrawLogged(true);
    EXPECT_EQ(ModelDifference(before, ModelBytes()), "") << c.rows << " " << c.grid;
    EXPECT_EQ(std::tuple(log.find("nan"), log.find("inf")), std::tuple(log.npos, log.npos));
    const long skipped = std::count(log.begin(), log.end(), '#');
    EXPECT_TRUE(c.skipped < 0 ? log.empty() : skipped == c.skipped) << skipped;
    EXPECT_TRUE(c.drawn < 0 || (Red() > 0) == (c.drawn == 1)) << c.rows << " " << c.grid;
  }
}

}  // namespace
}  // namespace tambra
