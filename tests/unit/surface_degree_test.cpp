// Surface degree elevation and reduction, and the rectangular to triangular
// conversion: the patch of the net before and after, through the patch
// evaluators, and the refusals.
#include <cmath>
#include <cstring>
#include <functional>

#include "base/snapshots.h"
#include "resources/command_ids.h"
#include "session_fixture.h"
#include "surface/surface_patch.h"

namespace tambra {
namespace {

using Eval = std::function<Point3(double, double)>;

// The patch at (a / 8, b / 8), b up to 8 - a on a triangle.
std::vector<Point3> OnGrid(bool triangle, const Eval& eval) {
  std::vector<Point3> points;
  for (int a = 0; a <= 8; ++a) {
    for (int b = 0; b <= (triangle ? 8 - a : 8); ++b) points.push_back(eval(a / 8.0, b / 8.0));
  }
  return points;
}

void ExpectNear(const std::vector<Point3>& a, const std::vector<Point3>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t k = 0; k < a.size(); ++k) {
    EXPECT_LT(std::hypot(a[k].x - b[k].x, a[k].y - b[k].y, a[k].z - b[k].z), 2e-4) << k;
  }
}

Point3 Wavy(int i, int j) {
  return Point3{float(i + 0.3 * j * j), float(j - 0.2 * i * j), float(std::sin(i + 2.0 * j))};
}

class SurfaceDegreeTest : public SessionTest {
 protected:
  // A net of Wavy points in Surfaces mode, triangular when asked.
  void SetNet(int rows, int cols, int triangles = 0) {
    m.objectMode = kSurfaces, m.tx = 300, m.ty = 200;
    m.netRows = rows, m.netCols = cols, m.triangles = triangles;
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) m.net[i][j] = Wavy(i, j);
    }
    if (triangles == 1) RepackTriangle();
  }
  // Whether the packed list holds the triangular net: packing again changes nothing.
  bool Packed() {
    const std::vector<Point3> list(m.triangleList, std::end(m.triangleList));
    RepackTriangle();
    return m.triangles == 1 && !std::memcmp(list.data(), m.triangleList, sizeof m.triangleList);
  }
};

TEST_F(SurfaceDegreeTest, ElevationAndConversionKeepThePatchAndReductionUndoesIt) {
  m.saveResults = 1;
  // Axes 1: X_axis only, 2 by 2 raised to a middle row of the averages.
  const struct { int rows, cols, rx, ry, triangles, axes; } cases[] = {
      {2, 2, 1, 1, 0, 1}, {3, 4, 2, 1, 0, 3}, {5, 2, 0, 3, 0, 3}, {4, 4, 2, 0, 1, 3},
      {2, 2, 1, 0, 1, 3}};
  for (const auto& c : cases) {
    SetNet(c.rows, c.cols, c.triangles);
    m.applyX = c.axes & 1, m.applyY = c.axes >> 1, m.xDegreeStep = c.rx, m.yDegreeStep = c.ry;
    const Eval patch = c.triangles ? EvalBezierTrianglePoint : EvalBezierRectPoint;
    const std::vector<Point3> before = OnGrid(c.triangles, patch);
    const int rows = c.rows + c.rx, cols = c.cols + (c.axes & 2 ? c.ry : 0);
    window.Command(kCmdBezierElevation);
    ASSERT_TRUE(m.netRows == rows && m.netCols == (c.triangles ? rows : cols));
    ExpectNear(OnGrid(c.triangles, patch), before);
    window.Command(kCmdReduceSurfaces);
    ASSERT_EQ(m.netRows, c.rows);
    ExpectNear(OnGrid(c.triangles, patch), before);  // so the net is the first one again
    EXPECT_TRUE(c.triangles == 0 || Packed());
  }
  // Conversion: the triangular patch at (u, v) is the rectangular one at (u, 1 - u - v).
  for (int corner = 0; corner < 4; ++corner) {
    SetNet(3, 4);
    // The net turned so that the corner left out comes last: the patch mirrored.
    const bool rows = corner == 1 || corner == 3, cols = corner == 1 || corner == 2;
    const std::vector<Point3> before = OnGrid(true, [&](double u, double v) {
      return EvalBezierRectPoint(rows ? 1 - u : u, cols ? u + v : 1 - u - v);
    });
    window.Command(kCmdTriangularSE + corner);
    ASSERT_TRUE(m.triangles == 1 && m.netRows == 6 && m.netCols == 6);
    ExpectNear(OnGrid(true, EvalBezierTrianglePoint), before);
    EXPECT_TRUE(Packed());
  }
}

// Commands that cannot run draw nothing and the model keeps every byte (Save off is the fuzz
// test's). A value near the float limit overflows the reductions' least-squares sums.
TEST_F(SurfaceDegreeTest, RefusedCommandsLeaveTheModelAsItWas) {
  // axes: 1 X_axis, 2 Y_axis; poke: put into column 1 with alternating signs.
  const struct {
    const char* what; int command, rows, cols, step, triangles, axes; float poke;
  } cases[] = {
      {"reduction to 1 row", kCmdReduceSurfaces, 3, 3, 2, 0, 1, 0},
      {"elevation to 100 rows", kCmdBezierElevation, 99, 3, 1, 0, 1, 0},
      {"reduction of 100 rows", kCmdReduceSurfaces, 100, 3, 1, 0, 1, 0},
      {"negative step", kCmdBezierElevation, 3, 3, -1, 0, 1, 0},
      {"empty net", kCmdBezierElevation, 3, 0, 1, 0, 3, 0},
      {"a NaN", kCmdReduceSurfaces, 3, 3, 1, 0, 3, NAN},
      {"a NaN raised", kCmdBezierElevation, 3, 3, 1, 1, 3, NAN},
      {"huge values", kCmdReduceSurfaces, 8, 8, 2, 0, 3, 3e38f},
      {"huge values", kCmdReduceSurfaces, 8, 8, 2, 1, 3, 3e38f},
      {"14-row triangle", kCmdReduceSurfaces, 14, 14, 1, 1, 3, 0},
      {"105 points", kCmdBezierElevation, 13, 13, 1, 1, 3, 0},
      {"32-row triangle", kCmdReduceSurfaces, 32, 32, 31, 1, 3, 0},
      {"triangular net", kCmdTriangularSW, 3, 3, 1, 1, 3, 0},
      {"32 rows converted", kCmdTriangularSE, 16, 17, 1, 0, 3, 0},
      {"a NaN converted", kCmdTriangularNE, 3, 3, 1, 0, 3, NAN},
  };
  for (const auto& c : cases) {
    ResetModelState(), SetNet(100, 100);
    m.netRows = c.rows, m.netCols = c.cols, m.xDegreeStep = c.step, m.triangles = c.triangles;
    m.applyX = c.axes & 1, m.applyY = c.axes >> 1, m.saveResults = 1;
    for (int i = 1; i < c.rows && c.poke != 0; ++i) m.net[i][1].y = i % 2 ? c.poke : -c.poke;
    if (m.triangles == 1) (void)PackTriangle();
    TakeSurfaceSnapshot();  // the snapshot's storage as a command leaves it
    window.Resize(800, 600);
    const auto bytes = ModelBytes();
    window.Command(c.command);
    EXPECT_EQ(ModelDifference(bytes, ModelBytes()), "") << c.what;
    EXPECT_EQ(window.Canvas().CountNonWhite(), 0) << c.what << " drawn";
  }
}

}  // namespace
}  // namespace tambra
