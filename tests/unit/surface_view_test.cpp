// The surface view: projection, the rectangular and triangular wireframes,
// and points the eye cannot see.
#include <cmath>

#include "session_fixture.h"
#include "surface/surface_view.h"

namespace tambra {
namespace {

using SurfaceViewTest = SessionTest;

TEST_F(SurfaceViewTest, ProjectionTruncatesTyBeforeTxAfterAndPlacesNothingItCannotSee) {
  // Both angles 0: model y runs right, model x down. At z = 1 the eye is 29
  // away, 420 / 29 = 14.48 pixels a unit: X = trunc(100.7 + 14.48) = 115 and
  // Y = trunc(100.7) + 14.48, truncated to 114.
  m.tx = m.ty = 100.7f;
  const ScreenPoint right = ProjectPoint(0, 1, 1), down = ProjectPoint(1, 0, 1);
  EXPECT_EQ(std::tuple(right.visible, right.x, right.y, down.x, down.y), std::tuple(true, 115, 100, 100, 114));
  // At or behind the eye (ze <= 0), not finite, or with scale 0: no place.
  for (float z : {30.0f, 1e30f, NAN}) EXPECT_FALSE(ProjectPoint(0, 0, z).visible) << z;
  m.scale = 0.0f;
  EXPECT_FALSE(ProjectPoint(0, 0, 0).visible);
}

TEST_F(SurfaceViewTest, WireframesOfRowsColumnsAndTrianglesWithinTheirCapacity) {
  // Points (i, j, 0), 14 pixels apart; the z of the last one changed.
  const struct { int rows, cols; float lastZ; long pixels; } cases[] = {
      {1, 4, 0, 42}, {4, 1, 0, 42},  // one straight polyline of 3 segments
      {1, 4, 40, 28}, {1, 4, NAN, 28}, {4, 1, INFINITY, 28},  // the last segment left out
      {0, 4, 0, 0}};
  m.tx = m.ty = 50;
  for (const auto& c : cases) {
    for (int k = 0; k < 16; ++k) m.net[k / 4][k % 4] = Point3{float(k / 4), float(k % 4), 0};
    m.netRows = c.rows, m.netCols = c.cols, m.net[c.rows == 4 ? 3 : 0][c.cols - 1].z = c.lastZ;
    window.Canvas().Resize(400, 300);
    DrawControlNet(window, 4);
    EXPECT_EQ(window.Canvas().CountNonWhite(), c.pixels) << c.rows << " by " << c.cols;
  }
  // A triangular net of 2 rows: one triangle.
  m.triangles = 1, m.netRows = m.netCols = 2;
  m.triangleList[0] = {0, 0, 0}, m.triangleList[1] = {2, 0, 0}, m.triangleList[2] = {2, 2, 0};
  DrawControlNet(window, 4);
  const Raster& dc = window.Canvas();
  for (auto [x, y] : {std::pair{50, 50}, {50, 77}, {60, 78}, {64, 64}}) EXPECT_EQ(dc.Pixel(x, y), kBlack) << x << ", " << y;
  // The largest triangular net the list holds is drawn whole; a larger one is refused.
  for (int rows : {kMaxTriangleRows, kMaxTriangleRows + 1}) {
    window.Canvas().Resize(400, 300);
    m.netRows = m.netCols = rows;
    for (int k = 0; k < kMaxTrianglePoints; ++k) m.triangleList[k] = {k % 7 + 0.f, k % 5 + 0.f, 0};
    DrawControlNet(window, 4);
    EXPECT_EQ(window.Canvas().CountNonWhite() > 0, rows == kMaxTriangleRows) << rows;
  }
}

}  // namespace
}  // namespace tambra
