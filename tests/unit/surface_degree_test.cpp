// Surface degree elevation and reduction, and the rectangular to triangular
// conversion, checked against patches evaluated here independently.
#include <array>
#include <cmath>
#include <functional>

#include "base/snapshots.h"
#include "resources/command_ids.h"
#include "session_fixture.h"

namespace tambra {
namespace {

using V = std::array<double, 3>;
using Net = std::function<Point3(int, int)>;

double C(int n, int k) { return std::tgamma(n + 1) / std::tgamma(k + 1) / std::tgamma(n - k + 1); }
double Bern(int n, int i, double t) { return C(n, i) * std::pow(t, i) * std::pow(1 - t, n - i); }
void Add(V& s, double c, const Point3& p) { s = {s[0] + c * p.x, s[1] + c * p.y, s[2] + c * p.z}; }

// The tensor-product patch at (s, t), s along the row index.
V RectPatch(const Net& net, int rows, int cols, double s, double t) {
  V sum{};
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) Add(sum, Bern(rows - 1, i, s) * Bern(cols - 1, j, t), net(i, j));
  }
  return sum;
}

// The triangular patch: point (a, b) carries u^(n-a) v^(a-b) w^b, n = rows -
// 1, w = 1 - u - v.
V TriPatch(const Net& net, int rows, int, double u, double v) {
  V sum{};
  for (int a = 0, n = rows - 1; a <= n; ++a) {
    for (int b = 0; b <= a; ++b) {
      const double c = C(n, a) * C(a, b) * std::pow(u, n - a) * std::pow(v, a - b);
      Add(sum, c * std::pow(1 - u - v, b), net(a, b));
    }
  }
  return sum;
}

void ExpectNear(const V& a, const V& b) {
  for (int d = 0; d < 3; ++d) EXPECT_NEAR(a[d], b[d], 2e-4 * (1 + std::fabs(b[d])));
}

Point3 Wavy(int i, int j) {
  return Point3{float(i + 0.3 * j * j), float(j - 0.2 * i * j), float(std::sin(i + 2.0 * j))};
}

class SurfaceDegreeTest : public SessionTest {
 protected:
  void SetUp() override { SessionTest::SetUp(), Fresh(); }
  void Fresh() { ResetModelState(), m.objectMode = kSurfaces, m.tx = 300, m.ty = 200; }
  // A net of Wavy points, triangular when asked.
  void SetNet(int rows, int cols, int triangles = 0) {
    m.netRows = rows, m.netCols = cols, m.triangles = triangles;
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) m.net[i][j] = Wavy(i, j);
    }
    if (triangles == 1) RepackTriangle();
  }
  // The net as it is now.
  Net Now() {
    std::vector<Point3> copy(&m.net[0][0], &m.net[0][0] + kMaxNet * kMaxNet);
    return [copy](int i, int j) { return copy[i * kMaxNet + j]; };
  }
};

TEST_F(SurfaceDegreeTest, ElevationKeepsThePatchAndReductionUndoesIt) {
  m.saveResults = 1, m.applyY = 0;
  SetNet(2, 2);
  window.Command(kCmdBezierElevation);
  ASSERT_EQ(m.netRows, 3);
  for (int j = 0; j < 2; ++j) EXPECT_FLOAT_EQ(m.net[1][j].y, (Wavy(0, j).y + Wavy(1, j).y) / 2);
  const struct { int rows, cols, rx, ry, triangles; } cases[] = {
      {3, 4, 2, 1, 0}, {5, 2, 0, 3, 0}, {4, 4, 2, 0, 1}, {2, 2, 1, 0, 1}};
  for (const auto& c : cases) {
    SetNet(c.rows, c.cols, c.triangles);
    m.applyX = m.applyY = 1, m.xDegreeStep = c.rx, m.yDegreeStep = c.ry;
    const Net before = Now();
    window.Command(kCmdBezierElevation);
    ASSERT_EQ(m.netRows, c.rows + c.rx);
    ASSERT_EQ(m.netCols, c.triangles ? c.rows + c.rx : c.cols + c.ry);
    const auto patch = c.triangles ? TriPatch : RectPatch;
    for (double s = 0; s <= 1; s += 0.125) {
      for (double t = 0; t <= 1 - (c.triangles ? s : 0); t += 0.125) {
        ExpectNear(patch(Now(), m.netRows, m.netCols, s, t), patch(before, c.rows, c.cols, s, t));
      }
    }
    window.Command(kCmdReduceSurfaces);
    ASSERT_EQ(m.netRows, c.rows);
    for (int i = 0; i < c.rows; ++i) {
      for (int j = 0; j < (c.triangles ? i + 1 : c.cols); ++j) {
        const Point3 p = m.net[i][j], q = Wavy(i, j);
        ExpectNear(V{p.x, p.y, p.z}, V{q.x, q.y, q.z});
      }
    }
  }
  // One triangle raised: its corners, and the edge midpoints between them.
  SetNet(2, 2, 1);
  window.Command(kCmdBezierElevation);
  const float a = Wavy(0, 0).x, b = Wavy(1, 0).x, c = Wavy(1, 1).x;
  const float expected[] = {a, (a + b) / 2, (a + c) / 2, b, (b + c) / 2, c};
  for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(m.triangleList[k].x, expected[k]) << k;
}

TEST_F(SurfaceDegreeTest, ConversionGivesTheHalfPatchOfTheTurnedNet) {
  m.saveResults = 1;
  for (int corner = 0; corner < 4; ++corner) {
    SetNet(3, 4);
    // R turned so that the corner left out is R[2][3].
    const Net p = Now(), r = [&](int a, int b) {
      return p(corner == 1 || corner == 3 ? 2 - a : a, corner == 1 || corner == 2 ? 3 - b : b);
    };
    window.Command(kCmdTriangularSE + corner);
    ASSERT_TRUE(m.triangles == 1 && m.netRows == 6 && m.netCols == 6);
    for (double u = 0; u <= 1; u += 0.1) {
      for (double v = 0; u + v <= 1 + 1e-9; v += 0.1) {
        ExpectNear(TriPatch(Now(), 6, 6, u, v), RectPatch(r, 3, 4, u, 1 - u - v));
      }
    }
  }
  SetNet(2, 2);  // the apex P[1][0]; the last row P[0][0], the midpoint, P[0][1]
  window.Command(kCmdTriangularSE);
  const Point3* t = m.triangleList;
  EXPECT_TRUE(t[0].x == Wavy(1, 0).x && t[3].y == Wavy(0, 0).y && t[5].y == Wavy(0, 1).y);
  EXPECT_FLOAT_EQ(t[4].y, (Wavy(0, 0).y + Wavy(0, 1).y) / 2);
  SetNet(4, 4);
  window.Command(kCmdTriangularNE);
  EXPECT_EQ(m.netRows, 7);
  EXPECT_FLOAT_EQ(m.triangleList[27].z, Wavy(3, 3).z) << "the 28th point is R[0][3] = P[3][3]";
}

// Commands that cannot run, or show only: the model keeps every byte.
TEST_F(SurfaceDegreeTest, RefusedOrShownOnlyLeavesTheModelAsItWas) {
  const struct {
    const char* what;
    int command, rows, cols, step, triangles, axes, save;  // axes: 1 X_axis, 2 Y_axis
    float poke;                                            // put into one point
    bool drawn;
  } cases[] = {
      {"reduction to 1 row", kCmdReduceSurfaces, 3, 3, 2, 0, 1, 1, 0, false},
      {"both boxes clear", kCmdBezierElevation, 3, 3, 1, 0, 0, 1, 0, false},
      {"elevation to 100 rows", kCmdBezierElevation, 99, 3, 1, 0, 1, 1, 0, false},
      {"reduction of 100 rows", kCmdReduceSurfaces, 100, 3, 1, 0, 1, 1, 0, false},
      {"negative step", kCmdBezierElevation, 3, 3, -1, 0, 1, 1, 0, false},
      {"empty net", kCmdBezierElevation, 3, 0, 1, 0, 3, 1, 0, false},
      {"a NaN", kCmdReduceSurfaces, 3, 3, 1, 0, 3, 1, NAN, false},
      {"14-row triangle", kCmdReduceSurfaces, 14, 14, 1, 1, 3, 1, 0, false},
      {"105 points", kCmdBezierElevation, 13, 13, 1, 1, 3, 1, 0, false},
      {"32-row triangle", kCmdReduceSurfaces, 32, 32, 31, 1, 3, 1, 0, false},
      {"triangular net", kCmdTriangularSW, 3, 3, 1, 1, 3, 1, 0, false},
      {"32 rows converted", kCmdTriangularSE, 16, 17, 1, 0, 3, 1, 0, false},
      {"a NaN converted", kCmdTriangularNE, 3, 3, 1, 0, 3, 1, NAN, false},
      {"save off", kCmdBezierElevation, 3, 3, 0, 0, 3, 0, 0, true},
      {"save off", kCmdReduceSurfaces, 3, 3, 1, 1, 3, 0, 0, true},
      {"save off", kCmdTriangularNW, 3, 3, 1, 0, 3, 0, 0, true},
  };
  for (const auto& c : cases) {
    Fresh();
    SetNet(100, 100);
    m.netRows = c.rows, m.netCols = c.cols, m.xDegreeStep = c.step, m.triangles = c.triangles;
    m.applyX = c.axes & 1, m.applyY = c.axes >> 1, m.saveResults = c.save;
    if (c.poke != 0) m.net[1][1].y = c.poke;
    if (m.triangles == 1) (void)PackTriangle();
    TakeSurfaceSnapshot();  // the snapshot's storage as a command with Save off leaves it
    window.Resize(800, 600);
    const auto bytes = ModelBytes();
    window.Command(c.command);
    EXPECT_TRUE(ModelBytes() == bytes) << c.what;
    EXPECT_EQ(window.Canvas().CountNonWhite() > 0, c.drawn) << c.what;
  }
}

// Huge values and every step: a result is refused or finite.
TEST_F(SurfaceDegreeTest, HugeValuesAndStepsNeverStoreANonFiniteValue) {
  m.saveResults = 1;
  for (int step = 0; step < 100; step += 11) {
    for (int command : {kCmdBezierElevation, kCmdReduceSurfaces, kCmdTriangularSE}) {
      for (int rows : {100, 13}) {
        SetNet(rows, rows, rows == 13);
        for (int i = 0; i < rows; i += 2) m.net[i][i / 2].x = i % 4 ? 1e30f : -3e38f;
        if (m.triangles) RepackTriangle();
        m.xDegreeStep = m.yDegreeStep = step;
        window.Command(command);
        for (int i = 0; i < m.netRows; ++i) {
          for (int j = 0; j < (m.triangles ? i + 1 : m.netCols); ++j) {
            const Point3& p = m.net[i][j];
            ASSERT_TRUE(std::isfinite(p.x + p.y + p.z)) << command << " " << step;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tambra
