// Every command that cannot run on the model says why on the status line
// and leaves the model as it was, with Save on (where a result would stay).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>

#include "base/model_state.h"
#include "resources/command_ids.h"
#include "session_fixture.h"

namespace tambra {
namespace {

struct RefusalCase {
  int command;
  std::function<void(ModelState&)> setUp;
  const char* says;  // a part of the status
};

// A curve of n points on a wave, with the default knots for its order.
void Curve(ModelState& m, int n, int order, int kind) {
  m.objectMode = kCurves, m.curveKind = kind, m.pointCount = n, m.order = order;
  for (int i = 0; i < n; ++i) m.points[i] = Point2{40.0f + 7 * i, 300.0f + ((i * 37) % 90)}, m.weights[i] = 1;
  SetDefaultCurveKnots();
}

// A rectangular Bezier net of rows x cols in Surfaces mode.
void Net(ModelState& m, int rows, int cols) {
  m.objectMode = kSurfaces, m.curveKind = kBezier, m.triangles = 0;
  m.netRows = rows, m.netCols = cols;
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) m.net[i][j] = Point3{float(i), float(j), float((i * j) % 3)};
  }
}

class RefusalTest : public SessionTest {};

TEST_F(RefusalTest, EveryRefusalSaysWhyAndChangesNothing) {
  const RefusalCase cases[] = {
      {kCmdReduceSimple, [](ModelState& m) { Curve(m, 2, 4, kBezier); }, "Simple"},
      {kCmdReduceLseC2, [](ModelState& m) { Curve(m, 6, 4, kBezier); },
       "LSE (C2) lowering by 1 needs a curve of 7 points or more; this one has 6"},
      {kCmdReduceSimple, [](ModelState& m) { Curve(m, 3, 4, kBezier); },
       "Simple lowering by 1 needs a curve of 4 points or more; this one has 3"},
      {kCmdBezierElevation, [](ModelState& m) { Curve(m, 100, 4, kBezier); }, "100"},
      {kCmdRationalElevation, [](ModelState& m) { Curve(m, 0, 4, kRationalBezier); }, "no points"},
      {kCmdApproxLeastSquares, [](ModelState& m) { Curve(m, 2, 4, kRationalBezier); }, "at least 3"},
      {kCmdApproxConsistent, [](ModelState& m) { Curve(m, 5, 4, kRationalBezier), m.approxDim = 0; }, "needs an Approximation degree of 1 or more; it is 0"},
      {kCmdApproxHybrid, [](ModelState& m) { Curve(m, 5, 4, kRationalBezier), m.weights[2] = 0; }, "weight 2 is 0"},
      {kCmdBSplineReduction, [](ModelState& m) { Curve(m, 7, 4, kBSpline); },
       "needs every knot repeated more than once (an elevated curve); 1 is repeated once"},
      {kCmdNurbsReduction,
       [](ModelState& m) {
         Curve(m, 7, 3, kNurbs);
         const float knots[] = {0, 0, 0, 1, 1, 1, 2, 3, 3, 3, 0};
         std::copy(std::begin(knots), std::end(knots), m.knots);
       },
       "needs interior knots repeated at most twice; 1 is repeated 3 times"},
      {kCmdBSplineElevation, [](ModelState& m) { Curve(m, 7, 1, kBSpline); }, "order from 2"},
      {kCmdNurbsElevation, [](ModelState& m) { Curve(m, 7, 4, kNurbs), m.knots[2] = 5; }, "clamped"},
      {kCmdBSplineKnotInsert, [](ModelState& m) { Curve(m, 7, 4, kBSpline), m.insertKnot = 99; },
       "Knot insertion needs a Knot to insert from 0 to below 4; it is 99"},
      {kCmdNurbsKnotInsert, [](ModelState& m) { Curve(m, 96, 4, kNurbs), m.insertKnot = 0.5f; }, "capacity"},
      {kCmdNurbsKnotDelete, [](ModelState& m) { Curve(m, 7, 4, kNurbs), m.insertKnot = 0.3f; },
       "Knot deletion removes the knot typed as Knot to insert; the curve has no knot 0.3"},
      {kCmdBSplineKnotDelete, [](ModelState& m) { Curve(m, 7, 4, kBSpline), m.insertKnot = 0; }, "interior"},
      {kCmdNurbsSimulation, [](ModelState& m) { Curve(m, 7, 1, kNurbs); }, "order from 2"},
      {kCmdBSplineSimulation, [](ModelState& m) { Curve(m, 7, 2, kBSpline); }, "order 3 or more"},
      {kCmdChaikin, [](ModelState& m) { Curve(m, 7, 6, kBSpline); }, "order 3, 4 or 5"},
      {kCmdChaikinElevation, [](ModelState& m) { Curve(m, 7, 5, kBSpline); }, "order 3 or 4"},
      {kCmdChaikinReduction, [](ModelState& m) { Curve(m, 3, 4, kBSpline); }, "at least 4 points"},
      {kCmdBezierElevation, [](ModelState& m) { Net(m, 4, 4), m.applyX = m.applyY = 0; }, "X_axis or Y_axis"},
      {kCmdReduceSurfaces, [](ModelState& m) { Net(m, 2, 2), m.applyY = 0; }, "at least 2 points"},
      {kCmdBezierElevation, [](ModelState& m) { Net(m, 99, 4), m.applyY = 0; }, "net holds"},
      {kCmdTriangularSE, [](ModelState& m) { Net(m, 20, 20); }, "rows"},
      {kCmdBSpline, [](ModelState& m) { Curve(m, 7, 4, kBSpline), m.order = 0; }, "order of 1 or more"},
      {kCmdBezier, [](ModelState& m) { Curve(m, 2, 4, kBezier); }, "at least 3 points"},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(std::string("command ") + std::to_string(c.command) + ", " + c.says);
    ResetModelState();
    window.Start();
    c.setUp(m);
    m.saveResults = 1;
    window.ShowStatus("");
    const auto before = ModelBytes();
    window.Command(c.command);
    EXPECT_NE(window.Status().find(c.says), std::string::npos) << window.Status();
    EXPECT_EQ(ModelDifference(before, ModelBytes()), "");
  }
}

// What a command that ran says counts its steps as a reader would; a right click on a point of a
// polygon at its least says why the point stays.
TEST_F(RefusalTest, MessagesReadRight) {
  window.Start();
  for (int x : {100, 200, 300}) window.Click(x, 300);
  window.RightClick(200, 300);
  EXPECT_EQ(std::tuple(m.pointCount, window.Status()),
            std::tuple(3, "Point 2 stays: a polygon keeps at least 3 points"));
  Curve(m, 7, 4, kBSpline);
  for (const char* says : {", 1 subdivision to ", ", 2 subdivisions to "}) {
    m.chaikinSteps = says[2] - '0';
    window.Command(kCmdChaikin);
    EXPECT_NE(window.Status().find(says), std::string::npos) << window.Status();
  }
}

}  // namespace
}  // namespace tambra
