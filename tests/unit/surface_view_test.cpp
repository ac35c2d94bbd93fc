// The surface view: projection, the rectangular and triangular wireframes,
// and points the eye cannot see.
#include <gtest/gtest.h>

#include <cmath>

#include "base/model_state.h"
#include "surface/surface_view.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

class SurfaceViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    window.Start(400, 300);
  }
  void TearDown() override { ResetModelState(); }
  void SetNet(int rows, int cols) {
    m.netRows = rows, m.netCols = cols;
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) m.net[i][j] = Point3{float(i), float(j), 0.0f};
    }
  }
  HeadlessPlatform window;
  ModelState& m = Model();
};

TEST_F(SurfaceViewTest, ProjectionFollowsTheViewAndTruncatesTyBeforeTxAfter) {
  // Both angles 0: model y runs right, model x down; the origin lands on (tx, ty).
  m.tx = 100.7f, m.ty = 100.7f;
  ScreenPoint origin = ProjectPoint(0, 0, 0);
  EXPECT_TRUE(origin.visible && origin.x == 100 && origin.y == 100);
  // (0, 1, 0): xe = 1, ze = 30, px = 420 / 30 = 14; 14 + 100.7 truncates to 114.
  ScreenPoint right = ProjectPoint(0, 1, 0);
  EXPECT_EQ(right.x, 114);
  // (1, 0, 0): ye = -1, py = -14; Y = trunc(100.7) + 14 = 114, not trunc(114.7).
  m.ty = 100.3f;
  EXPECT_EQ(ProjectPoint(1, 0, 0).y, 114);
  m.scale = 2.0f;  // a larger scale gives a smaller picture
  EXPECT_EQ(ProjectPoint(0, 1, 0).x, 107);
  // At or behind the eye (ze <= 0), and with scale 0, nothing can be placed.
  m.scale = 1.0f;
  EXPECT_FALSE(ProjectPoint(0, 0, 30).visible);
  EXPECT_FALSE(ProjectPoint(0, 0, 1e30f).visible);
  m.scale = 0.0f;
  EXPECT_FALSE(ProjectPoint(0, 0, 0).visible);
}

TEST_F(SurfaceViewTest, ASingleRowOrColumnIsOnePolylineAndAPointBehindTheEyeDropsItsSegments) {
  m.tx = 50, m.ty = 50;
  for (auto [rows, cols] : {std::pair{1, 4}, std::pair{4, 1}}) {
    window.Canvas().Resize(400, 300);
    SetNet(rows, cols);
    DrawControlNet(window, 4);
    // One straight polyline of 3 segments of 14 pixels each: 42 pixels.
    EXPECT_EQ(window.Canvas().CountNonWhite(), 42) << rows << " by " << cols;
  }
  window.Canvas().Resize(400, 300);
  SetNet(1, 4);
  m.net[0][3].z = 40.0f;  // behind the eye
  DrawControlNet(window, 4);
  EXPECT_EQ(window.Canvas().CountNonWhite(), 28) << "the last segment is not drawn";
  for (float bad : {NAN, INFINITY}) {
    m.net[0][3].z = bad;
    DrawControlNet(window, 4);
  }
  m.netRows = 0;
  window.Canvas().Resize(400, 300);
  DrawControlNet(window, 4);
  EXPECT_EQ(window.Canvas().CountNonWhite(), 0) << "an empty net draws nothing";
}

TEST_F(SurfaceViewTest, TriangularNetsDrawTheirTrianglesUpToThePackedListsCapacity) {
  m.tx = 50, m.ty = 50, m.triangles = 1;
  m.netRows = m.netCols = 2;
  m.triangleList[0] = {0, 0, 0}, m.triangleList[1] = {2, 0, 0}, m.triangleList[2] = {2, 2, 0};
  DrawControlNet(window, 4);
  const Raster& dc = window.Canvas();
  EXPECT_TRUE(dc.Pixel(50, 50) == kBlack && dc.Pixel(50, 77) == kBlack && dc.Pixel(60, 78) == kBlack &&
              dc.Pixel(64, 64) == kBlack);
  // The largest triangular net the list holds is drawn whole; a larger one is refused.
  for (int rows : {kMaxTriangleRows, kMaxTriangleRows + 1}) {
    window.Canvas().Resize(400, 300);
    m.netRows = m.netCols = rows;
    for (int k = 0; k < kMaxTrianglePoints; ++k) m.triangleList[k] = {float(k % 7), float(k % 5), 0};
    DrawControlNet(window, 4);
    EXPECT_EQ(window.Canvas().CountNonWhite() > 0, rows == kMaxTriangleRows) << rows;
  }
}

}  // namespace
}  // namespace tambra
