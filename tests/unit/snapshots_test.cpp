#include <gtest/gtest.h>

#include "resources/command_ids.h"
#include "tools/headless_platform.h"
#include "base/model_state.h"
#include "base/snapshots.h"

namespace tambra {
namespace {

class SnapshotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    window.Start();
  }
  ModelState& m = Model();
  HeadlessPlatform window;
};

TEST_F(SnapshotsTest, PasteBeforeAnyCopyEmptiesTheCurve) {
  window.Click(10, 10);
  PasteCurve();
  EXPECT_EQ(m.pointCount, 0);
  EXPECT_EQ(m.order, 0);
}

TEST_F(SnapshotsTest, CopyAddPasteBringsBackTheCopiedPolygon) {
  for (int i = 0; i < 3; ++i) window.Click(100 + 50 * i, 200);
  window.Command(kCmdCopy);
  window.Click(400, 400);
  window.Click(450, 400);
  EXPECT_EQ(m.pointCount, 5);
  window.Command(kCmdPaste);
  EXPECT_EQ(m.pointCount, 3);
  EXPECT_EQ(m.points[2].x, 200.0f);
  // The picture shows the pasted polygon alone.
  EXPECT_EQ(window.Canvas().Pixel(400, 400), kWhite);
  EXPECT_EQ(window.Canvas().Pixel(125, 200), kBlack) << "the pasted polygon's lines";
}

TEST_F(SnapshotsTest, CopyAndPasteWorkOnTheCurveInSurfacesModeToo) {
  window.Click(10, 10);
  window.Command(kCmdSurfaces);
  m.netRows = 4;
  window.Command(kCmdCopy);
  m.pointCount = 0;
  window.Command(kCmdPaste);
  EXPECT_EQ(m.pointCount, 1);
  EXPECT_EQ(m.netRows, 4);
}

TEST_F(SnapshotsTest, RestoreSnapshotClearsTheKnotAfterTheUsedPart) {
  m.pointCount = 3;
  m.order = 2;
  for (int i = 0; i < 10; ++i) m.knots[i] = 7.0f;
  TakeSnapshot();
  m.pointCount = 5;
  m.points[0].x = 99.0f;
  RestoreSnapshot();
  EXPECT_EQ(m.pointCount, 3);
  EXPECT_EQ(m.points[0].x, 0.0f);
  EXPECT_EQ(m.knots[4], 7.0f);
  EXPECT_EQ(m.knots[5], 0.0f);
  EXPECT_EQ(m.knots[6], 7.0f);

  // At full capacity there is no entry after the used part to clear.
  m.pointCount = 96;
  m.order = 4;
  TakeSnapshot();
  RestoreSnapshot();  // must stay inside the knot vector (ASan)
}

TEST_F(SnapshotsTest, SurfaceSnapshotRestoresTheWholeNetAndKnots) {
  m.netRows = 2;
  m.netCols = 3;
  m.xOrder = 2;
  m.net[1][2] = Point3{1, 2, 3};
  m.netWeights[1][2] = 0.5f;
  m.xKnots[3] = 1.0f;  // beyond the first netRows entries
  TakeSurfaceSnapshot();
  m.netRows = 5;
  m.net[1][2].x = -1.0f;
  m.netWeights[1][2] = 9.0f;
  m.xKnots[3] = 4.0f;
  m.triangles = 1;
  RestoreSurfaceSnapshot();
  EXPECT_EQ(m.netRows, 2);
  EXPECT_EQ(m.net[1][2].x, 1.0f);
  EXPECT_EQ(m.netWeights[1][2], 0.5f);
  EXPECT_EQ(m.xKnots[3], 1.0f);
  EXPECT_EQ(m.triangles, 0);
}

TEST_F(SnapshotsTest, SurfaceSnapshotRepacksATriangularNet) {
  m.netRows = 2;
  m.netCols = 2;
  m.triangles = 1;
  m.net[1][1] = Point3{4, 5, 6};
  TakeSurfaceSnapshot();
  m.triangleList[2] = Point3{0, 0, 0};
  RestoreSurfaceSnapshot();
  EXPECT_EQ(m.triangleList[2].z, 6.0f);
}

TEST_F(SnapshotsTest, NewKeepsOrdersWeightsAndViewAndEmptiesTheCounts) {
  for (int i = 0; i < 4; ++i) window.Click(100 + 50 * i, 200);
  window.Command(122);
  m.order = 3;
  m.scale = 2.0f;
  m.netRows = 3;
  window.Command(kCmdNew);
  EXPECT_EQ(m.pointCount, 0);
  EXPECT_EQ(m.netRows, 0);
  EXPECT_EQ(m.netCols, 0);
  EXPECT_EQ(m.curveKind, kNoCurve);
  EXPECT_EQ(m.order, 3);
  EXPECT_EQ(m.weights[0], 1.0f);
  EXPECT_EQ(m.scale, 2.0f);
  EXPECT_EQ(m.points[0].x, 100.0f) << "the arrays are left as they were";
  EXPECT_EQ(window.Canvas().CountNonWhite(), 0);
}

}  // namespace
}  // namespace tambra
