// The model's conversions between the curve, the net and the packed
// triangle, and the snapshots and copies of the curve and the surface.
#include "base/snapshots.h"
#include "resources/command_ids.h"
#include "session_fixture.h"

namespace tambra {
namespace {

using ModelStateTest = SessionTest;

// The curve is column 0 of the net: the other columns keep theirs, and an
// empty curve is still a net of one column. 100 rows of order 100 would need
// 200 knots: a direction loads and stores inside the 100 held (ASan).
TEST_F(ModelStateTest, TheCurveFillsColumnZeroAndDirectionsStayInsideTheKnots) {
  m.pointCount = 3, m.net[1][1] = Point3{7, 7, 7};
  CurveToNet();
  EXPECT_EQ(std::tuple(m.netRows, m.netCols, m.net[1][1].x), std::tuple(3, 1, 7));
  m.pointCount = 0;
  CurveToNet();
  EXPECT_EQ(std::tuple(m.netRows, m.netCols), std::tuple(0, 1));
  m.netRows = 100, m.xOrder = 100, m.xKnots[99] = 4.0f;
  LoadDirection(0);
  EXPECT_EQ(m.knots[99], 4.0f);
  StoreDirection(0);
}

// Row i of a triangular net keeps its first i + 1 points in the list: 31
// rows fill 496 of its 500 entries; with 32, packing stops at the last entry
// and unpacking is refused. Unpacking zeroes the net above the diagonal.
TEST_F(ModelStateTest, TrianglePackingAndUnpackingStayWithinTheList) {
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j) m.net[i][j] = Point3{float(i), float(j), float(10 * i + j)};
  m.netRows = 31, m.triangleList[496].x = -1.0f;
  EXPECT_EQ((std::tuple{PackTriangle(), m.triangleList[496].x}), std::tuple(1, -1));
  m.netRows = 32, m.net[31][3].x = 77.0f;  // list entry 31 * 32 / 2 + 3 = 499, the last
  EXPECT_EQ((std::tuple{PackTriangle(), m.triangleList[499].x}), std::tuple(0, 77));
  m.netRows = 3;
  EXPECT_EQ(PackTriangle(), 1);
  const float packed[] = {0, 10, 11, 20, 21, 22};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(m.triangleList[k].z, packed[k]) << "entry " << k;
  for (auto& row : m.net) std::fill(std::begin(row), std::end(row), Point3{-1, -1, -1});
  UnpackTriangle();
  EXPECT_EQ(std::tuple(m.net[1][1].z, m.net[2][2].z), std::tuple(11, 22));
  EXPECT_EQ(std::tuple(m.net[0][2].y, m.net[1][2].z), std::tuple(0, 0)) << "above the diagonal";
  EXPECT_EQ(std::tuple(m.net[0][3].x, m.net[3][0].x), std::tuple(-1, -1)) << "beyond netRows";
  m.netRows = 32;
  UnpackTriangle();
  EXPECT_EQ(m.net[0][3].x, -1.0f);
  // A net too large for the list stops being triangular rather than keep a partial list.
  m.objectMode = kSurfaces, m.triangles = 1;
  TakeModelFromNet();
  EXPECT_EQ(m.triangles, 0);
}

TEST_F(ModelStateTest, PasteBeforeACopyEmptiesTheCurveAfterOneBringsItBackInEitherMode) {
  window.Click(10, 10);
  PasteCurve();
  EXPECT_EQ(std::tuple(m.pointCount, m.order), std::tuple(0, 0));
  window.Click(10, 10);
  window.Command(kCmdSurfaces);
  m.netRows = 4;
  window.Command(kCmdCopy);
  m.pointCount = 0;
  window.Command(kCmdPaste);
  EXPECT_EQ(std::tuple(m.pointCount, m.netRows), std::tuple(1, 4));
}

// The curve's restore clears the knot after the used part (none when full:
// ASan); the surface's brings back the whole net and repacks a triangle.
TEST_F(ModelStateTest, SnapshotsRestoreWhatTheAlgorithmsChange) {
  m.pointCount = 3, m.order = 2;
  std::fill(m.knots, m.knots + 10, 7.0f);
  TakeSnapshot();
  m.pointCount = 5, m.points[0].x = 99.0f;
  RestoreSnapshot();
  EXPECT_EQ(std::tuple(m.pointCount, m.points[0].x, m.knots[4], m.knots[5], m.knots[6]), std::tuple(3, 0, 7, 0, 7));
  m.pointCount = 96, m.order = 4;
  TakeSnapshot();
  RestoreSnapshot();

  m.netRows = 2, m.netCols = 3, m.xOrder = 2;
  m.net[1][2] = Point3{1, 2, 3}, m.netWeights[1][2] = 0.5f, m.xKnots[3] = 1.0f;
  TakeSurfaceSnapshot();
  m.netRows = 5, m.net[1][2].x = -1, m.netWeights[1][2] = 9, m.xKnots[3] = 4, m.triangles = 1;
  RestoreSurfaceSnapshot();
  EXPECT_EQ(std::tuple(m.netRows, m.net[1][2].x, m.netWeights[1][2], m.xKnots[3], m.triangles),
            std::tuple(2, 1, 0.5, 1, 0));
  // A triangle is its list: restored, the net's lower triangle follows it, the cells above stay.
  m.triangles = 1, m.triangleList[2] = Point3{4, 5, 6}, m.net[0][1] = Point3{7, 7, 7};
  TakeSurfaceSnapshot();
  m.triangleList[2] = Point3{0, 0, 0}, m.net[1][1] = Point3{0, 0, 0};
  RestoreSurfaceSnapshot();
  EXPECT_EQ(std::tuple(m.triangleList[2].z, m.net[1][1].z, m.net[0][1].z), std::tuple(6.0f, 6.0f, 7.0f));
}

}  // namespace
}  // namespace tambra
