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

double Choose(int n, int k) {
  double c = 1;
  for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
  return c;
}
double Bern(int n, int i, double t) {
  return Choose(n, i) * std::pow(t, i) * std::pow(1 - t, n - i);
}

// The tensor-product patch of net(i, j), rows x cols, at (s, t): s along
// the row index, t along the column index.
V RectPatch(std::function<Point3(int, int)> net, int rows, int cols, double s, double t) {
  V sum{};
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      const double b = Bern(rows - 1, i, s) * Bern(cols - 1, j, t);
      const Point3 p = net(i, j);
      sum = {sum[0] + b * p.x, sum[1] + b * p.y, sum[2] + b * p.z};
    }
  }
  return sum;
}

// The triangular patch of the packed list: point (a, b) carries u^(n-a)
// v^(a-b) w^b, n = rows - 1, w = 1 - u - v.
V TriPatch(const Point3* list, int rows, double u, double v) {
  const int n = rows - 1;
  V sum{};
  for (int a = 0, k = 0; a <= n; ++a) {
    for (int b = 0; b <= a; ++b, ++k) {
      const double c = Choose(n, a) * Choose(a, b) * std::pow(u, n - a) * std::pow(v, a - b) *
                       std::pow(1 - u - v, b);
      sum = {sum[0] + c * list[k].x, sum[1] + c * list[k].y, sum[2] + c * list[k].z};
    }
  }
  return sum;
}

void ExpectNear(const V& a, const V& b, const char* what) {
  for (int d = 0; d < 3; ++d) EXPECT_NEAR(a[d], b[d], 2e-4 * (1 + std::fabs(b[d]))) << what;
}

Point3 Wavy(int i, int j) {
  return Point3{float(i + 0.3 * j * j), float(j - 0.2 * i * j), float(std::sin(i + 2.0 * j))};
}

class SurfaceDegreeTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    Fresh();
  }
  void Fresh() {
    ResetModelState();
    m.objectMode = kSurfaces, m.tx = 300, m.ty = 200;
  }
  void SetNet(int rows, int cols) {
    m.netRows = rows, m.netCols = cols, m.triangles = 0;
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) m.net[i][j] = Wavy(i, j);
    }
  }
  void SetTriangle(int rows) {
    SetNet(rows, rows);
    m.triangles = 1;
    ASSERT_EQ(PackTriangle(), 1);
  }
  // The net as it is now.
  std::function<Point3(int, int)> Net() {
    std::vector<Point3> copy(&m.net[0][0], &m.net[0][0] + kMaxNet * kMaxNet);
    return [copy](int i, int j) { return copy[i * kMaxNet + j]; };
  }
};

TEST_F(SurfaceDegreeTest, ElevationAndReductionKeepThePatchAndUndoEachOther) {
  m.saveResults = 1;
  SetNet(2, 2);
  m.applyY = 0;
  window.Command(kCmdBezierElevation);
  ASSERT_EQ(m.netRows, 3);
  for (int j = 0; j < 2; ++j) EXPECT_FLOAT_EQ(m.net[1][j].y, (Wavy(0, j).y + Wavy(1, j).y) / 2);
  struct Case { int rows, cols, rx, ry; bool triangular; } cases[] = {
      {3, 4, 2, 1, false}, {5, 2, 0, 3, false}, {4, 4, 2, 0, true}, {2, 2, 1, 0, true}};
  for (const Case& c : cases) {
    c.triangular ? SetTriangle(c.rows) : SetNet(c.rows, c.cols);
    m.applyX = m.applyY = 1, m.xDegreeStep = c.rx, m.yDegreeStep = c.ry;
    const auto before = Net();
    Point3 list[kMaxTrianglePoints];
    std::memcpy(list, m.triangleList, sizeof list);
    window.Command(kCmdBezierElevation);
    ASSERT_EQ(m.netRows, c.rows + c.rx);
    ASSERT_EQ(m.netCols, c.triangular ? c.rows + c.rx : c.cols + c.ry);
    for (double s = 0; s <= 1; s += 0.125) {
      for (double t = 0; t <= 1 - (c.triangular ? s : 0); t += 0.125) {
        if (c.triangular) {
          ExpectNear(TriPatch(m.triangleList, m.netRows, s, t), TriPatch(list, c.rows, s, t), "t");
        } else {
          ExpectNear(RectPatch(Net(), m.netRows, m.netCols, s, t),
                     RectPatch(before, c.rows, c.cols, s, t), "rect");
        }
      }
    }
    window.Command(kCmdReduceSurfaces);
    ASSERT_EQ(m.netRows, c.rows);
    for (int i = 0; i < c.rows; ++i) {
      for (int j = 0; j < (c.triangular ? i + 1 : c.cols); ++j) {
        ExpectNear(V{m.net[i][j].x, m.net[i][j].y, m.net[i][j].z},
                   V{Wavy(i, j).x, Wavy(i, j).y, Wavy(i, j).z}, "reduced");
      }
    }
  }
  // Triangular elevation of one triangle: the corners, and the edge midpoints.
  SetTriangle(2);
  m.xDegreeStep = 1;
  window.Command(kCmdBezierElevation);
  const Point3 a = Wavy(0, 0), b = Wavy(1, 0), c = Wavy(1, 1);
  const auto mid = [](Point3 p, Point3 q) { return (p.x + q.x) / 2; };
  const float expected[] = {a.x, mid(a, b), mid(a, c), b.x, mid(b, c), c.x};
  for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(m.triangleList[k].x, expected[k]) << k;
}

TEST_F(SurfaceDegreeTest, ConversionGivesTheHalfPatchOfTheTurnedNet) {
  m.saveResults = 1;
  for (int corner = 0; corner < 4; ++corner) {
    SetNet(3, 4);
    const auto p = Net();
    // R turned so that the corner left out is R[2][3].
    const auto r = [&](int a, int b) {
      return p(corner == 1 || corner == 3 ? 2 - a : a, corner == 1 || corner == 2 ? 3 - b : b);
    };
    window.Command(kCmdTriangularSE + corner);
    ASSERT_EQ(m.triangles, 1);
    ASSERT_EQ(m.netRows, 6);
    for (double u = 0; u <= 1; u += 0.1) {
      for (double v = 0; u + v <= 1 + 1e-9; v += 0.1) {
        ExpectNear(TriPatch(m.triangleList, 6, u, v), RectPatch(r, 3, 4, u, 1 - u - v), "corner");
      }
    }
  }
  SetNet(2, 2);
  window.Command(kCmdTriangularSE);
  const Point3* t = m.triangleList;
  EXPECT_EQ(m.netCols, 3);
  EXPECT_FLOAT_EQ(t[0].x, Wavy(1, 0).x);
  EXPECT_FLOAT_EQ(t[3].y, Wavy(0, 0).y);
  EXPECT_FLOAT_EQ(t[4].y, (Wavy(0, 0).y + Wavy(0, 1).y) / 2);
  EXPECT_FLOAT_EQ(t[5].y, Wavy(0, 1).y);
  SetNet(4, 4);
  window.Command(kCmdTriangularNE);
  EXPECT_EQ(m.netRows, 7);
  EXPECT_FLOAT_EQ(m.triangleList[27].z, Wavy(3, 3).z) << "the 28th point is R[0][3] = P[3][3]";
}

// Commands that cannot run, or show only: the model keeps every byte.
TEST_F(SurfaceDegreeTest, RefusedOrShownOnlyLeavesTheModelAsItWas) {
  struct Case {
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
      {"an infinity", kCmdBezierElevation, 3, 3, 1, 1, 3, 1, INFINITY, false},
      {"triangular net", kCmdTriangularSW, 3, 3, 1, 1, 3, 1, 0, false},
      {"32 rows converted", kCmdTriangularSE, 16, 17, 1, 0, 3, 1, 0, false},
      {"a NaN converted", kCmdTriangularNE, 3, 3, 1, 0, 3, 1, NAN, false},
      {"save off", kCmdBezierElevation, 3, 3, 0, 0, 3, 0, 0, true},
      {"save off", kCmdReduceSurfaces, 3, 3, 1, 1, 3, 0, 0, true},
      {"save off", kCmdTriangularNW, 3, 3, 1, 0, 3, 0, 0, true},
  };
  for (const Case& c : cases) {
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

TEST_F(SurfaceDegreeTest, BadNetsAndStepsNeverStoreANonFiniteValue) {
  m.saveResults = 1;
  for (float value : {1e30f, -3e38f, INFINITY}) {
    for (int step = 0; step < 100; step += 11) {
      for (int command : {kCmdBezierElevation, kCmdReduceSurfaces, kCmdTriangularSE}) {
        for (int triangular = 0; triangular < 2; ++triangular) {
          SetNet(triangular ? 13 : 100, triangular ? 13 : 100);
          for (int i = 0; i < m.netRows; i += 2) m.net[i][i / 2].x = (i % 4 ? value : -value);
          m.triangles = triangular;
          if (triangular) (void)PackTriangle();
          m.xDegreeStep = m.yDegreeStep = step;
          const auto bytes = ModelBytes();
          window.Command(command);
          if (!std::isfinite(value)) {
            ASSERT_TRUE(ModelBytes() == bytes) << command << " " << step;
            continue;
          }
          for (int i = 0; i < m.netRows; ++i) {
            for (int j = 0; j < (m.triangles ? i + 1 : m.netCols); ++j) {
              const Point3& p = m.net[i][j];
              ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
                  << command << " " << step << " " << value;
            }
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tambra
