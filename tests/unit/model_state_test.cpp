#include <gtest/gtest.h>

#include "shell/model_state.h"

namespace tambra {
namespace {

class ModelStateTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetModelState(); }
  ModelState& m = Model();
};

TEST_F(ModelStateTest, FreshStateHasTheStartDefaults) {
  m.pointCount = 7;
  m.grid = 3;
  m.hoverIndex = 4;
  m.net[50][50].x = 2.0f;
  ResetModelState();
  EXPECT_EQ(m.pointCount, 0);
  EXPECT_EQ(m.curveKind, kNoCurve);
  EXPECT_EQ(m.objectMode, kCurves);
  EXPECT_EQ(m.order, 4);
  EXPECT_EQ(m.degreeStep, 1);
  EXPECT_EQ(m.grid, 50);
  EXPECT_FLOAT_EQ(m.insertKnot, 99.0f);
  EXPECT_EQ(m.approxDim, 30);
  EXPECT_FLOAT_EQ(m.scale, 1.0f);
  EXPECT_EQ(m.hoverIndex, -1);
  EXPECT_EQ(m.acceptRelease, 1);
  EXPECT_EQ(m.applyX, 1);
  EXPECT_EQ(m.applyY, 1);
  EXPECT_STREQ(m.controlFileName, "noname.cnt");
  EXPECT_STREQ(m.outputFileName, "noname.dat");
  EXPECT_EQ(m.logFile, nullptr);
  EXPECT_EQ(m.net[50][50].x, 0.0f);
  // Weights are 1 only once the main window has been created.
  EXPECT_EQ(m.weights[0], 0.0f);
}

TEST_F(ModelStateTest, CurveToNetStoresColumnZeroAndTheXDirection) {
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
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(m.net[i][0].x, m.points[i].x);
    EXPECT_EQ(m.net[i][0].y, m.points[i].y);
    EXPECT_EQ(m.net[i][0].z, 0.0f);
    EXPECT_EQ(m.netWeights[i][0], m.weights[i]);
  }
  for (int i = 0; i < 6; ++i) EXPECT_EQ(m.xKnots[i], knots[i]);
  EXPECT_EQ(m.net[1][1].x, 7.0f) << "other columns are left alone";
}

TEST_F(ModelStateTest, CurveToNetWithNoPointsStillMakesOneColumn) {
  m.netRows = 5;
  m.netCols = 5;
  CurveToNet();
  EXPECT_EQ(m.netRows, 0);
  EXPECT_EQ(m.netCols, 1);
}

TEST_F(ModelStateTest, NetToCurveReadsColumnZero) {
  m.netRows = 4;
  m.xOrder = 2;
  m.xDegreeStep = 3;
  for (int i = 0; i < 4; ++i) {
    m.net[i][0] = Point3{1.0f + i, 2.0f + i, 9.0f};
    m.netWeights[i][0] = 3.0f;
    m.xKnots[i] = static_cast<float>(i);
  }
  NetToCurve();
  EXPECT_EQ(m.pointCount, 4);
  EXPECT_EQ(m.order, 2);
  EXPECT_EQ(m.degreeStep, 3);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(m.points[i].x, 1.0f + i);
    EXPECT_EQ(m.points[i].y, 2.0f + i);
    EXPECT_EQ(m.weights[i], 3.0f);
    EXPECT_EQ(m.knots[i], static_cast<float>(i));
  }
}

TEST_F(ModelStateTest, DirectionRoundTripsLeaveTheNetDirectionUnchanged) {
  m.netCols = 5;
  m.yOrder = 3;
  m.yDegreeStep = 2;
  for (int i = 0; i < 8; ++i) m.yKnots[i] = 0.5f * i;
  m.pointCount = 9;  // the curve's own fields are overwritten by the load
  LoadDirection(1);
  EXPECT_EQ(m.pointCount, 5);
  EXPECT_EQ(m.order, 3);
  EXPECT_EQ(m.degreeStep, 2);
  StoreDirection(1);
  EXPECT_EQ(m.netCols, 5);
  EXPECT_EQ(m.yOrder, 3);
  EXPECT_EQ(m.yDegreeStep, 2);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(m.yKnots[i], 0.5f * i);

  // The one-selector form: load X, load Y, store X, store Y.
  m.netRows = 2;
  m.xOrder = 2;
  SelectDirection(kLoadX);
  EXPECT_EQ(m.pointCount, 2);
  m.pointCount = 6;
  SelectDirection(kStoreY);
  EXPECT_EQ(m.netCols, 6);
}

TEST_F(ModelStateTest, DirectionsNeverCopyBeyondTheKnotStorage) {
  m.netRows = 100;
  m.xOrder = 100;  // 200 knots would be needed; the storage holds 100
  m.xKnots[99] = 4.0f;
  LoadDirection(0);
  EXPECT_EQ(m.knots[99], 4.0f);
  StoreDirection(0);  // must stay inside the arrays (checked by ASan)
}

TEST_F(ModelStateTest, PackTriangleFillsRowsAndStopsAtTheListCapacity) {
  m.netRows = 3;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m.net[i][j] = Point3{float(i), float(j), float(10 * i + j)};
  EXPECT_EQ(PackTriangle(), 1);
  const float expectedZ[] = {0, 10, 11, 20, 21, 22};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(m.triangleList[k].z, expectedZ[k]) << "entry " << k;

  m.netRows = 31;
  m.triangleList[496].x = -1.0f;
  EXPECT_EQ(PackTriangle(), 1);
  EXPECT_EQ(m.triangleList[496].x, -1.0f) << "31 rows pack exactly 496 points";

  m.netRows = 32;
  m.net[31][3].x = 77.0f;  // list entry 31*32/2 + 3 = 499
  m.net[31][4].x = 88.0f;  // would be entry 500
  EXPECT_EQ(PackTriangle(), 0);
  EXPECT_EQ(m.triangleList[499].x, 77.0f);
}

TEST_F(ModelStateTest, UnpackTriangleZeroesTheUpperTriangleOnly) {
  m.netRows = 3;
  for (int k = 0; k < 6; ++k) m.triangleList[k] = Point3{float(k), 0, 0};
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) m.net[i][j] = Point3{-1, -1, -1};
  UnpackTriangle();
  EXPECT_EQ(m.net[0][0].x, 0.0f);
  EXPECT_EQ(m.net[1][0].x, 1.0f);
  EXPECT_EQ(m.net[1][1].x, 2.0f);
  EXPECT_EQ(m.net[2][2].x, 5.0f);
  EXPECT_EQ(m.net[0][1].x, 0.0f);
  EXPECT_EQ(m.net[0][2].y, 0.0f);
  EXPECT_EQ(m.net[1][2].z, 0.0f);
  // Outside the first netRows rows and columns nothing changes.
  EXPECT_EQ(m.net[0][3].x, -1.0f);
  EXPECT_EQ(m.net[3][0].x, -1.0f);
  EXPECT_EQ(m.net[4][4].x, -1.0f);
}

TEST_F(ModelStateTest, UnpackTriangleRefusesMoreRowsThanTheListHolds) {
  m.netRows = 32;
  m.net[0][1] = Point3{5, 5, 5};
  UnpackTriangle();
  EXPECT_EQ(m.net[0][1].x, 5.0f);
}

}  // namespace
}  // namespace tambra
