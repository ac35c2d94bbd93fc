#include <gtest/gtest.h>

#include "base/model_state.h"

namespace tambra {
namespace {

class ModelStateTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetModelState(); }
  ModelState& m = Model();
};

TEST_F(ModelStateTest, ResetGivesTheStartDefaults) {
  m.pointCount = 7;
  m.grid = 3;
  m.hoverIndex = 4;
  m.net[50][50].x = 2.0f;
  ResetModelState();
  EXPECT_EQ(m.pointCount, 0);
  EXPECT_EQ(m.curveKind, kNoCurve);
  EXPECT_EQ(m.order, 4);
  EXPECT_EQ(m.grid, 50);
  EXPECT_FLOAT_EQ(m.insertKnot, 99.0f);
  EXPECT_EQ(m.approxDim, 30);
  EXPECT_FLOAT_EQ(m.scale, 1.0f);
  EXPECT_EQ(m.hoverIndex, -1);
  EXPECT_EQ(m.acceptRelease, 1);
  EXPECT_STREQ(m.controlFileName, "noname.cnt");
  EXPECT_EQ(m.net[50][50].x, 0.0f);
  EXPECT_EQ(m.weights[0], 0.0f) << "weights become 1 only when the window is created";
}

TEST_F(ModelStateTest, CurveAndNetColumnZeroConvertBothWays) {
  m.pointCount = 3;
  m.order = 3;
  m.degreeStep = 2;
  for (int i = 0; i < 3; ++i) {
    m.points[i] = Point2{10.0f * i, 20.0f * i + 1};
    m.weights[i] = 0.5f + i;
  }
  const float knots[] = {0, 0, 0, 1, 1, 1};
  std::copy(std::begin(knots), std::end(knots), m.knots);
  m.net[1][1] = Point3{7, 7, 7};
  CurveToNet();
  EXPECT_EQ(m.netRows, 3);
  EXPECT_EQ(m.netCols, 1);
  EXPECT_EQ(m.xOrder, 3);
  EXPECT_EQ(m.xDegreeStep, 2);
  EXPECT_EQ(m.yOrder, 0);
  EXPECT_EQ(m.yDegreeStep, 0);
  EXPECT_EQ(m.net[2][0].y, 41.0f);
  EXPECT_EQ(m.net[2][0].z, 0.0f);
  EXPECT_EQ(m.netWeights[2][0], 2.5f);
  EXPECT_EQ(m.xKnots[5], 1.0f);
  EXPECT_EQ(m.net[1][1].x, 7.0f) << "other columns are left alone";

  m.pointCount = 0;
  m.order = 9;
  m.points[2] = Point2{};
  NetToCurve();
  EXPECT_EQ(m.pointCount, 3);
  EXPECT_EQ(m.order, 3);
  EXPECT_EQ(m.points[2].y, 41.0f);
  EXPECT_EQ(m.weights[2], 2.5f);

  m.pointCount = 0;
  CurveToNet();
  EXPECT_EQ(m.netRows, 0);
  EXPECT_EQ(m.netCols, 1) << "an empty curve is still a net of one column";
}

TEST_F(ModelStateTest, DirectionRoundTripsAndStayInsideTheKnotStorage) {
  m.netCols = 5;
  m.yOrder = 3;
  m.yDegreeStep = 2;
  for (int i = 0; i < 8; ++i) m.yKnots[i] = 0.5f * i;
  SelectDirection(kLoadY);
  EXPECT_EQ(m.pointCount, 5);
  EXPECT_EQ(m.order, 3);
  EXPECT_EQ(m.degreeStep, 2);
  SelectDirection(kStoreY);
  EXPECT_EQ(m.netCols, 5);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(m.yKnots[i], 0.5f * i);

  m.netRows = 100;
  m.xOrder = 100;  // 200 knots would be needed; the storage holds 100
  m.xKnots[99] = 4.0f;
  LoadDirection(0);
  EXPECT_EQ(m.knots[99], 4.0f);
  StoreDirection(0);  // must stay inside the arrays (checked by ASan)
}

TEST_F(ModelStateTest, TrianglePackingStopsAtTheListCapacity) {
  m.netRows = 3;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m.net[i][j] = Point3{float(i), float(j), float(10 * i + j)};
  EXPECT_EQ(PackTriangle(), 1);
  const float packed[] = {0, 10, 11, 20, 21, 22};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(m.triangleList[k].z, packed[k]) << "entry " << k;

  m.netRows = 31;
  m.triangleList[496].x = -1.0f;
  EXPECT_EQ(PackTriangle(), 1);
  EXPECT_EQ(m.triangleList[496].x, -1.0f) << "31 rows pack exactly 496 points";

  m.netRows = 32;
  m.net[31][3].x = 77.0f;  // list entry 31 * 32 / 2 + 3 = 499, the last
  EXPECT_EQ(PackTriangle(), 0);
  EXPECT_EQ(m.triangleList[499].x, 77.0f);
}

TEST_F(ModelStateTest, UnpackingZeroesTheUpperTriangleOnly) {
  m.netRows = 3;
  for (int k = 0; k < 6; ++k) m.triangleList[k] = Point3{float(k), 0, 0};
  for (auto& row : m.net) std::fill(std::begin(row), std::end(row), Point3{-1, -1, -1});
  UnpackTriangle();
  EXPECT_EQ(m.net[1][1].x, 2.0f);
  EXPECT_EQ(m.net[2][2].x, 5.0f);
  EXPECT_EQ(m.net[0][2].y, 0.0f);
  EXPECT_EQ(m.net[1][2].z, 0.0f);
  EXPECT_EQ(m.net[0][3].x, -1.0f) << "outside the first netRows columns nothing changes";
  EXPECT_EQ(m.net[3][0].x, -1.0f);

  m.netRows = 32;  // more rows than the list holds: refused
  UnpackTriangle();
  EXPECT_EQ(m.net[0][3].x, -1.0f);
}

}  // namespace
}  // namespace tambra
