// The window procedure driven through messages on the headless platform:
// mouse editing of the polygon, the hover highlight, the view rotation,
// the command table, the menu state and the log suspension of redraws.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "resources/command_ids.h"
#include "resources/menu_table.h"
#include "shell/headless_platform.h"
#include "shell/model_state.h"
#include "shell/window_proc.h"

namespace tambra {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

std::vector<std::uint32_t> Pixels(const Raster& raster) {
  return {raster.Data(), raster.Data() + static_cast<std::size_t>(raster.width()) * raster.height()};
}

// The raw bytes of the model, to show that a message changed nothing.
std::vector<unsigned char> ModelBytes() {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&Model());
  return {bytes, bytes + sizeof(ModelState)};
}

std::map<int, MenuItemState> MenuSnapshot(const HeadlessPlatform& window) {
  std::map<int, MenuItemState> states;
  for (int id : MenuCommandIds()) states[id] = window.MenuState(id);
  return states;
}

const char* StateText(MenuItemState state) {
  switch (state) {
    case MenuItemState::kChecked: return "checked";
    case MenuItemState::kGreyed: return "greyed";
    default: return "unchecked";
  }
}

// Whether every pixel of the 6 by 6 mark of (x, y) has the colour.
::testing::AssertionResult MarkIs(const Raster& raster, int x, int y, Rgb colour) {
  for (int row = y - 3; row < y + 3; ++row) {
    for (int col = x - 3; col < x + 3; ++col) {
      if (raster.Pixel(col, row) != colour) {
        return ::testing::AssertionFailure()
               << "pixel (" << col << ", " << row << ") of the mark at (" << x << ", " << y
               << ") is " << std::hex << raster.Pixel(col, row) << ", expected " << colour;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

class WindowProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModelState();
    window.Start();
  }
  void TearDown() override {
    if (Model().logFile != nullptr) std::fclose(Model().logFile);
    ResetModelState();
  }

  void LeftDown(int x, int y) { window.Send(MouseMessage(MessageKind::kLeftDown, x, y, kLeftButtonFlag)); }
  void LeftUp(int x, int y) { window.Send(MouseMessage(MessageKind::kLeftUp, x, y)); }
  void RightDown(int x, int y) {
    window.Send(MouseMessage(MessageKind::kRightDown, x, y, kRightButtonFlag));
  }
  void RightUp(int x, int y) { window.Send(MouseMessage(MessageKind::kRightUp, x, y)); }
  void Move(int x, int y, std::uint32_t flags = 0) {
    window.Send(MouseMessage(MessageKind::kMouseMove, x, y, flags));
  }
  void Drag(int x1, int y1, int x2, int y2) {
    LeftDown(x1, y1);
    Move(x2, y2, kLeftButtonFlag);
    LeftUp(x2, y2);
  }
  void Paint() { window.Send(Message{MessageKind::kPaint}); }

  void SetPoints(std::initializer_list<Point2> points) {
    m.pointCount = 0;
    for (const Point2& p : points) m.points[m.pointCount++] = p;
  }
  void ExpectPoints(std::initializer_list<Point2> expected) {
    ASSERT_EQ(m.pointCount, static_cast<int>(expected.size()));
    int i = 0;
    for (const Point2& p : expected) {
      EXPECT_EQ(m.points[i].x, p.x) << "point " << i;
      EXPECT_EQ(m.points[i].y, p.y) << "point " << i;
      ++i;
    }
  }

  Rgb At(int x, int y) { return window.Canvas().Pixel(x, y); }
  const Raster& Canvas() { return window.Canvas(); }

  // A log file the test can read back; the model owns it.
  std::string OpenLog() {
    path = ::testing::TempDir() + "window_proc_log_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".dat";
    m.logFile = std::fopen(path.c_str(), "w+b");
    m.logActive = 1;
    return path;
  }
  long LogSize() {
    std::fflush(m.logFile);
    std::fseek(m.logFile, 0, SEEK_END);
    return std::ftell(m.logFile);
  }

  HeadlessPlatform window;
  ModelState& m = Model();
  std::string path;
};

// ---------------------------------------------------------------------------
// Adding points with the left button.

TEST_F(WindowProcTest, ClicksFillThePolygonAndTheHundredAndFirstAddsNothing) {
  for (int i = 0; i < kMaxPoints; ++i) {
    const int x = 30 + (i % 20) * 30;
    const int y = 30 + (i / 20) * 30;
    window.Click(x, y);
    ASSERT_EQ(m.pointCount, i + 1);
    EXPECT_EQ(m.points[i].x, static_cast<float>(x));
    EXPECT_EQ(m.points[i].y, static_cast<float>(y));
    EXPECT_TRUE(MarkIs(Canvas(), x, y, kBlack));
  }
  // Only the marks are drawn: no lines join the clicked points.
  EXPECT_EQ(Canvas().CountNonWhite(), kMaxPoints * 36);

  window.Click(700, 400);
  EXPECT_EQ(m.pointCount, kMaxPoints);
  EXPECT_EQ(At(700, 400), kWhite);
  EXPECT_EQ(Canvas().CountNonWhite(), kMaxPoints * 36);
}

TEST_F(WindowProcTest, ClickAtOrBelowTheBottomEdgeAddsNothing) {
  window.Click(100, kHeight);
  window.Click(100, kHeight + 1);
  window.Click(100, 0xFFFF);
  window.Click(0xFFFF, 0xFFFF);
  EXPECT_EQ(m.pointCount, 0);
  EXPECT_EQ(Canvas().CountNonWhite(), 0);

  window.Click(100, kHeight - 1);
  ExpectPoints({{100, kHeight - 1}});
}

TEST_F(WindowProcTest, ClickOnAnExistingPointAddsNothing) {
  window.Click(200, 200);
  window.Click(201, 202);  // within 2 pixels: the press picks point 0
  EXPECT_EQ(m.pointCount, 1);
  EXPECT_EQ(m.pickActive, 0) << "the release ends the pick";
  window.Click(203, 200);  // 3 pixels away: a new point
  EXPECT_EQ(m.pointCount, 2);
}

TEST_F(WindowProcTest, ClickAddsOnlyAMarkEvenWhenACurveIsShown) {
  window.Click(100, 400);
  window.Click(300, 100);
  window.Click(500, 400);
  window.Command(kCmdBezier);
  const int before = Canvas().CountNonWhite();
  window.Click(700, 50);
  EXPECT_EQ(m.pointCount, 4);
  EXPECT_EQ(Canvas().CountNonWhite(), before + 36) << "the curve is not redrawn by a click";
}

TEST_F(WindowProcTest, ReleaseAfterAFileDialogIsSwallowed) {
  m.acceptRelease = 0;  // what a file dialog leaves behind
  window.Click(100, 100);
  EXPECT_EQ(m.pointCount, 0);
  EXPECT_EQ(m.acceptRelease, 1);
  EXPECT_EQ(At(100, 100), kWhite);
  window.Click(100, 100);
  ExpectPoints({{100, 100}});
}

TEST_F(WindowProcTest, LeftPressPicksNothingAndDragMovesNothingWhileAReleaseIsAwaited) {
  window.Click(100, 100);
  m.acceptRelease = 0;
  LeftDown(100, 100);
  EXPECT_EQ(m.pickActive, 0);

  // A pick made before the dialog does not drag while the release is due.
  m.acceptRelease = 1;
  LeftDown(100, 100);
  ASSERT_EQ(m.pickActive, 1);
  m.acceptRelease = 0;
  Move(150, 150, kLeftButtonFlag);
  ExpectPoints({{100, 100}});
  EXPECT_TRUE(MarkIs(Canvas(), 100, 100, kBlack));
  EXPECT_EQ(At(150, 150), kWhite);
}

// ---------------------------------------------------------------------------
// Picking.

TEST_F(WindowProcTest, PickToleranceIsBelowThreePixelsAfterTruncation) {
  SetPoints({{100.9f, 200.9f}});
  struct Case {
    int x, y;
    bool picks;
  };
  // Truncation puts the point at (100, 200); rounding would put it at
  // (101, 201) and turn several of these around.
  const Case cases[] = {
      {100, 200, true}, {102, 202, true}, {98, 198, true},   {98, 202, true},
      {103, 200, false}, {97, 200, false}, {100, 203, false}, {100, 197, false},
      {103, 203, false}, {101, 201, true},
  };
  for (const Case& c : cases) {
    m.pickActive = 0;
    m.pickedIndex = 77;
    LeftDown(c.x, c.y);
    EXPECT_EQ(m.pickActive, c.picks ? 1 : 0) << "press at (" << c.x << ", " << c.y << ")";
    EXPECT_EQ(FindPointUnder(c.x, c.y), c.picks ? 0 : -1);
    if (c.picks) {
      EXPECT_EQ(m.pickedIndex, 0);
    }
  }
}

TEST_F(WindowProcTest, NegativeCoordinatesTruncateTowardZero) {
  SetPoints({{-0.9f, -0.9f}});  // truncates to (0, 0), not (-1, -1)
  EXPECT_EQ(FindPointUnder(2, 2), 0);
  LeftDown(2, 2);
  EXPECT_EQ(m.pickActive, 1);
}

TEST_F(WindowProcTest, LowestIndexWinsAmongClosePoints) {
  SetPoints({{400, 400}, {101, 101}, {100, 100}});
  LeftDown(100, 100);
  EXPECT_EQ(m.pickActive, 1);
  EXPECT_EQ(m.pickedIndex, 1);
  LeftUp(100, 100);

  RightDown(102, 101);
  EXPECT_EQ(m.pickedIndex, 1);
  RightUp(102, 101);
}

// ---------------------------------------------------------------------------
// Deleting with the right button.

TEST_F(WindowProcTest, RightClickKeepsAtLeastThreePoints) {
  window.Click(100, 100);
  window.Click(200, 100);
  window.Click(300, 100);
  window.RightClick(200, 100);
  ExpectPoints({{100, 100}, {200, 100}, {300, 100}});
  EXPECT_TRUE(MarkIs(Canvas(), 200, 100, kBlack));
  EXPECT_EQ(m.pickActive, 0);
}

TEST_F(WindowProcTest, RightClickDeletesThePointUnderTheCursorAndErasesItsMark) {
  window.Click(100, 100);
  window.Click(200, 100);
  window.Click(300, 100);
  window.Click(400, 100);
  window.RightClick(201, 99);
  ExpectPoints({{100, 100}, {300, 100}, {400, 100}});
  EXPECT_TRUE(MarkIs(Canvas(), 200, 100, kWhite));
  EXPECT_TRUE(MarkIs(Canvas(), 100, 100, kBlack));
  EXPECT_TRUE(MarkIs(Canvas(), 300, 100, kBlack));
  EXPECT_TRUE(MarkIs(Canvas(), 400, 100, kBlack));
  EXPECT_EQ(m.pickActive, 0);
}

TEST_F(WindowProcTest, RightClickDeletesTheLastAndTheFirstPoint) {
  for (int x : {100, 200, 300, 400, 500}) window.Click(x, 100);
  window.RightClick(500, 100);
  ExpectPoints({{100, 100}, {200, 100}, {300, 100}, {400, 100}});
  window.RightClick(100, 100);
  ExpectPoints({{200, 100}, {300, 100}, {400, 100}});
  EXPECT_TRUE(MarkIs(Canvas(), 100, 100, kWhite));
  EXPECT_TRUE(MarkIs(Canvas(), 500, 100, kWhite));
}

TEST_F(WindowProcTest, DeletionErasesAtTheTruncatedPosition) {
  SetPoints({{50, 50}, {100.8f, 100.8f}, {150, 50}, {200, 50}});
  window.Send(Message{MessageKind::kPaint});
  ASSERT_TRUE(MarkIs(Canvas(), 100, 100, kBlack));
  window.RightClick(100, 100);
  ExpectPoints({{50, 50}, {150, 50}, {200, 50}});
  EXPECT_TRUE(MarkIs(Canvas(), 100, 100, kWhite));
}

TEST_F(WindowProcTest, RightReleaseAwayFromThePickedPointDeletesNothing) {
  for (int x : {100, 200, 300, 400}) window.Click(x, 100);
  RightDown(200, 100);
  EXPECT_EQ(m.pickActive, 1);
  RightUp(203, 100);  // 3 pixels: no longer under the cursor
  EXPECT_EQ(m.pickActive, 0);
  EXPECT_EQ(m.pointCount, 4);
  EXPECT_TRUE(MarkIs(Canvas(), 200, 100, kBlack));

  window.Click(500, 300);
  ExpectPoints({{100, 100}, {200, 100}, {300, 100}, {400, 100}, {500, 300}});

  // 2 pixels away still counts as the same point.
  RightDown(200, 100);
  RightUp(202, 98);
  ExpectPoints({{100, 100}, {300, 100}, {400, 100}, {500, 300}});
}

TEST_F(WindowProcTest, RightReleaseWithoutAPickDeletesNothing) {
  for (int x : {100, 200, 300, 400}) window.Click(x, 100);
  RightDown(600, 500);  // nothing under the press
  EXPECT_EQ(m.pickActive, 0);
  RightUp(200, 100);
  EXPECT_EQ(m.pointCount, 4);
}

// ---------------------------------------------------------------------------
// Dragging and hovering.

TEST_F(WindowProcTest, DragWithoutACurveMovesThePointAndItsMark) {
  window.Click(100, 100);
  window.Click(200, 100);
  window.Click(300, 100);
  LeftDown(200, 100);
  Move(250, 180, kLeftButtonFlag);
  EXPECT_TRUE(MarkIs(Canvas(), 200, 100, kWhite));
  EXPECT_TRUE(MarkIs(Canvas(), 250, 180, kBlack));
  Move(260, 190, kLeftButtonFlag);
  LeftUp(260, 190);
  ExpectPoints({{100, 100}, {260, 190}, {300, 100}});
  EXPECT_TRUE(MarkIs(Canvas(), 250, 180, kWhite));
  EXPECT_TRUE(MarkIs(Canvas(), 260, 190, kBlack));
  EXPECT_EQ(m.pickActive, 0);
  // Three marks and nothing else.
  EXPECT_EQ(Canvas().CountNonWhite(), 3 * 36);
}

TEST_F(WindowProcTest, DragWithBezierLeavesExactlyTheCurveOfTheMovedPolygon) {
  window.Click(100, 400);
  window.Click(250, 150);
  window.Click(450, 150);
  window.Click(600, 400);
  window.Command(kCmdBezier);
  const std::vector<std::uint32_t> before = Pixels(Canvas());

  LeftDown(250, 150);
  Move(300, 90, kLeftButtonFlag);
  Move(330, 60, kLeftButtonFlag);
  Move(351, 61, kLeftButtonFlag);  // small steps keep the point under the cursor
  Move(352, 62, kLeftButtonFlag);
  LeftUp(352, 62);
  ExpectPoints({{100, 400}, {352, 62}, {450, 150}, {600, 400}});

  const std::vector<std::uint32_t> dragged = Pixels(Canvas());
  EXPECT_NE(dragged, before);
  // A fresh drawing of the final polygon.
  window.Command(kCmdBezier);
  EXPECT_EQ(dragged, Pixels(Canvas())) << "the drag left stray pixels or missed some";
  EXPECT_TRUE(MarkIs(Canvas(), 250, 150, kWhite));
}

TEST_F(WindowProcTest, DragNeedsExactlyTheLeftButtonFlag) {
  window.Click(100, 100);
  window.Click(200, 100);
  window.Click(300, 100);
  LeftDown(200, 100);
  ASSERT_EQ(m.pickActive, 1);
  const std::uint32_t others[] = {0,
                                  kRightButtonFlag,
                                  kLeftButtonFlag | kShiftFlag,
                                  kLeftButtonFlag | kControlFlag,
                                  kLeftButtonFlag | kRightButtonFlag,
                                  kLeftButtonFlag | kMiddleButtonFlag,
                                  kMiddleButtonFlag};
  for (std::uint32_t flags : others) {
    Move(250, 250, flags);
    ExpectPoints({{100, 100}, {200, 100}, {300, 100}});
    EXPECT_EQ(At(250, 250), kWhite) << "flags " << flags;
  }
  EXPECT_TRUE(MarkIs(Canvas(), 200, 100, kBlack));
  Move(250, 250, kLeftButtonFlag);
  ExpectPoints({{100, 100}, {250, 250}, {300, 100}});
}

TEST_F(WindowProcTest, RightButtonPickDoesNotDragButLeftFlagAfterItDoes) {
  window.Click(100, 100);
  window.Click(200, 100);
  window.Click(300, 100);
  RightDown(200, 100);
  Move(220, 140, kRightButtonFlag);
  ExpectPoints({{100, 100}, {200, 100}, {300, 100}});
  RightUp(220, 140);  // away from the point: nothing deleted
  EXPECT_EQ(m.pointCount, 3);
  EXPECT_EQ(m.pickActive, 0);
  Move(230, 150, kLeftButtonFlag);  // no pick any more
  ExpectPoints({{100, 100}, {200, 100}, {300, 100}});
}

TEST_F(WindowProcTest, HoverTurnsAMarkRedAndBackBlack) {
  window.Click(100, 100);
  window.Click(200, 100);
  Move(101, 99);
  EXPECT_EQ(m.hoverIndex, 0);
  EXPECT_TRUE(MarkIs(Canvas(), 100, 100, kRed));
  EXPECT_TRUE(MarkIs(Canvas(), 200, 100, kBlack));

  Move(102, 100);  // still the same point: nothing changes
  EXPECT_EQ(m.hoverIndex, 0);
  EXPECT_TRUE(MarkIs(Canvas(), 100, 100, kRed));

  Move(200, 102);  // straight onto the other point
  EXPECT_EQ(m.hoverIndex, 1);
  EXPECT_TRUE(MarkIs(Canvas(), 100, 100, kBlack));
  EXPECT_TRUE(MarkIs(Canvas(), 200, 100, kRed));

  Move(400, 400);
  EXPECT_EQ(m.hoverIndex, -1);
  EXPECT_TRUE(MarkIs(Canvas(), 200, 100, kBlack));
  EXPECT_EQ(Canvas().CountNonWhite(), 2 * 36);
}

TEST_F(WindowProcTest, HoverFollowsTheCursorWhateverTheButtons) {
  window.Click(100, 100);
  Move(100, 100, kRightButtonFlag | kShiftFlag);
  EXPECT_EQ(m.hoverIndex, 0);
  EXPECT_TRUE(MarkIs(Canvas(), 100, 100, kRed));
}

TEST_F(WindowProcTest, HoverIsOffInSurfacesMode) {
  window.Click(100, 100);
  window.Command(kCmdSurfaces);
  Move(100, 100);
  EXPECT_EQ(m.hoverIndex, -1);
  EXPECT_TRUE(MarkIs(Canvas(), 100, 100, kBlack));
}

// ---------------------------------------------------------------------------
// Surfaces mode: the view rotation.

class SurfaceRotationTest : public WindowProcTest {
 protected:
  void SetUp() override {
    WindowProcTest::SetUp();
    window.Command(kCmdSurfaces);
    m.tht = 10.0f;
    m.phi = 20.0f;
  }
};

TEST_F(SurfaceRotationTest, PressAndReleaseWithoutMovementKeepsTheAngles) {
  LeftDown(300, 200);
  EXPECT_EQ(m.pickActive, 1);
  LeftUp(300, 200);
  EXPECT_EQ(m.tht, 10.0f);
  EXPECT_EQ(m.phi, 20.0f);
  EXPECT_EQ(m.pickActive, 0);
}

TEST_F(SurfaceRotationTest, FullClientWidthAndHeightTurnByThreeHundredSixtyDegrees) {
  LeftDown(0, 0);
  LeftUp(kWidth, 0);
  EXPECT_EQ(m.tht, 370.0f);
  EXPECT_EQ(m.phi, 20.0f);

  LeftDown(0, 0);
  LeftUp(0, kHeight);
  EXPECT_EQ(m.tht, 370.0f);
  EXPECT_EQ(m.phi, 380.0f);
}

TEST_F(SurfaceRotationTest, MovesRotateStepByStepAndTheReleaseAddsTheRest) {
  LeftDown(0, 0);
  Move(200, 150, kLeftButtonFlag);
  EXPECT_EQ(m.tht, 100.0f);
  EXPECT_EQ(m.phi, 110.0f);
  EXPECT_EQ(m.dragX, 200);
  EXPECT_EQ(m.dragY, 150);
  Move(600, 300, kLeftButtonFlag);
  LeftUp(kWidth, kHeight);
  EXPECT_EQ(m.tht, 370.0f);
  EXPECT_EQ(m.phi, 380.0f);
}

TEST_F(SurfaceRotationTest, MovesWithOtherFlagsDoNotRotate) {
  LeftDown(0, 0);
  for (std::uint32_t flags : {0u, kRightButtonFlag, kLeftButtonFlag | kShiftFlag,
                              kLeftButtonFlag | kControlFlag, kLeftButtonFlag | kRightButtonFlag}) {
    Move(400, 300, flags);
    EXPECT_EQ(m.tht, 10.0f) << "flags " << flags;
    EXPECT_EQ(m.phi, 20.0f) << "flags " << flags;
  }
}

TEST_F(SurfaceRotationTest, MovesWithoutAPressDoNotRotate) {
  Move(400, 300, kLeftButtonFlag);
  EXPECT_EQ(m.tht, 10.0f);
  EXPECT_EQ(m.phi, 20.0f);
}

TEST_F(SurfaceRotationTest, ZeroClientSizeKeepsTheAnglesFinite) {
  window.Resize(0, 0);
  LeftDown(0, 0);
  Move(50, 70, kLeftButtonFlag);
  LeftUp(90, 120);
  EXPECT_TRUE(std::isfinite(m.tht));
  EXPECT_TRUE(std::isfinite(m.phi));

  window.Resize(kWidth, 0);
  LeftDown(0, 0);
  LeftUp(kWidth, 40);
  EXPECT_TRUE(std::isfinite(m.tht));
  EXPECT_TRUE(std::isfinite(m.phi));
}

TEST_F(SurfaceRotationTest, ReleaseClearsTheCurvePicture) {
  window.Command(kCmdCurves);
  window.Click(700, 50);
  window.Command(kCmdSurfaces);
  ASSERT_TRUE(MarkIs(Canvas(), 700, 50, kBlack)) << "a mode switch keeps the picture";
  LeftDown(10, 10);
  LeftUp(10, 10);
  EXPECT_TRUE(MarkIs(Canvas(), 700, 50, kWhite));
}

TEST_F(SurfaceRotationTest, PressIgnoresTheAwaitedReleaseFlag) {
  m.acceptRelease = 0;
  LeftDown(0, 0);
  EXPECT_EQ(m.pickActive, 1);
  LeftUp(kWidth / 2, 0);
  EXPECT_EQ(m.tht, 190.0f);
  EXPECT_EQ(m.acceptRelease, 0) << "the rotation's release is not the swallowed one";
}

// ---------------------------------------------------------------------------
// Menu state.

// The expected state of every menu item in one object mode.
MenuItemState ExpectedMenuState(int id, bool curves) {
  static const std::set<int> alwaysGreyed = {kCmdCloseOutput, kCmdBezierSimulation,
                                             kCmdRationalSimulation};
  static const std::set<int> surfaceOnly = {kCmdTriangularSE, kCmdTriangularNW,
                                            kCmdTriangularSW, kCmdTriangularNE,
                                            kCmdReduceSurfaces};
  static const std::set<int> curveOnly = {
      127, 128, 131, 132, 133, 159,  // curve degree reductions
      117, 160, 161, 162,            // rational algorithms
      146, 147, 141, 142, 143, 144, 145,  // B-spline algorithms
      153, 154, 151, 152};           // NURBS algorithms
  if (alwaysGreyed.count(id)) return MenuItemState::kGreyed;
  if (surfaceOnly.count(id)) return curves ? MenuItemState::kGreyed : MenuItemState::kUnchecked;
  if (curveOnly.count(id)) return curves ? MenuItemState::kUnchecked : MenuItemState::kGreyed;
  if (id == kCmdCurves) return curves ? MenuItemState::kChecked : MenuItemState::kUnchecked;
  if (id == kCmdSurfaces) return curves ? MenuItemState::kUnchecked : MenuItemState::kChecked;
  return MenuItemState::kUnchecked;  // Save items, mode-free items, dialogs, files
}

void ExpectMenuForMode(const HeadlessPlatform& window, bool curves) {
  const std::vector<int> ids = MenuCommandIds();
  ASSERT_GE(ids.size(), 50u) << "the whole menu is checked";
  for (int id : ids) {
    EXPECT_EQ(StateText(window.MenuState(id)), std::string(StateText(ExpectedMenuState(id, curves))))
        << "menu item " << id << (curves ? " in Curves mode" : " in Surfaces mode");
  }
}

TEST_F(WindowProcTest, MenuStateAfterCreationIsTheCurvesState) {
  ExpectMenuForMode(window, true);
  // Creation also sets the first weights.
  for (int i = 0; i < 10; ++i) EXPECT_EQ(m.weights[i], 1.0f) << i;
  EXPECT_EQ(m.weights[10], 0.0f);
  EXPECT_EQ(m.netWeights[9][9], 1.0f);
  EXPECT_EQ(m.netWeights[9][10], 0.0f);
  EXPECT_EQ(m.netWeights[10][0], 0.0f);
}

TEST_F(WindowProcTest, ModeSwitchesSetTheirMenuState) {
  window.Command(kCmdSurfaces);
  EXPECT_EQ(m.objectMode, kSurfaces);
  ExpectMenuForMode(window, false);
  window.Command(kCmdSurfaces);
  ExpectMenuForMode(window, false);
  window.Command(kCmdCurves);
  EXPECT_EQ(m.objectMode, kCurves);
  ExpectMenuForMode(window, true);
}

TEST_F(WindowProcTest, ModeSwitchChangesOnlyTheModeAndKeepsThePicture) {
  window.Click(100, 100);
  window.Click(200, 150);
  window.Click(300, 100);
  window.Command(kCmdBezier);
  const std::vector<std::uint32_t> picture = Pixels(Canvas());
  m.objectMode = kSurfaces;
  const std::vector<unsigned char> asSurfaces = ModelBytes();
  m.objectMode = kCurves;

  window.Command(kCmdSurfaces);
  EXPECT_EQ(ModelBytes(), asSurfaces);
  EXPECT_EQ(Pixels(Canvas()), picture);
}

TEST_F(WindowProcTest, SaveItemsToggleTogether) {
  const int saveItems[] = {kCmdEditSave, kCmdBezierSave, kCmdRationalSave, kCmdBSplineSave,
                           kCmdNurbsSave};
  int expected = 0;
  for (int id : saveItems) {
    for (int pass = 0; pass < 2; ++pass) {
      window.Command(id);
      expected = 1 - expected;
      EXPECT_EQ(m.saveResults, expected) << "after command " << id;
      for (int item : saveItems) {
        EXPECT_EQ(window.MenuState(item),
                  expected == 1 ? MenuItemState::kChecked : MenuItemState::kUnchecked)
            << "item " << item << " after command " << id;
      }
    }
  }
  // A mode switch leaves the Save check marks alone.
  window.Command(kCmdBezierSave);
  window.Command(kCmdSurfaces);
  for (int item : saveItems) EXPECT_EQ(window.MenuState(item), MenuItemState::kChecked);
}

// ---------------------------------------------------------------------------
// Commands.

TEST_F(WindowProcTest, EditNewClearsCountsAndFamilyButKeepsTheRest) {
  window.Click(100, 100);
  window.Click(200, 150);
  window.Click(300, 100);
  window.Command(kCmdBezier);
  m.netRows = 5;
  m.netCols = 6;
  m.order = 5;
  m.degreeStep = 3;
  m.weights[1] = 2.5f;
  m.knots[2] = 0.75f;
  m.grid = 20;
  m.scale = 2.0f;
  m.tht = 30.0f;
  m.xOrder = 3;
  m.net[2][2] = Point3{1, 2, 3};
  m.saveResults = 1;

  window.Command(kCmdNew);
  EXPECT_EQ(m.pointCount, 0);
  EXPECT_EQ(m.netRows, 0);
  EXPECT_EQ(m.netCols, 0);
  EXPECT_EQ(m.curveKind, kNoCurve);
  EXPECT_EQ(Canvas().CountNonWhite(), 0);
  EXPECT_EQ(m.order, 5);
  EXPECT_EQ(m.degreeStep, 3);
  EXPECT_EQ(m.weights[1], 2.5f);
  EXPECT_EQ(m.knots[2], 0.75f);
  EXPECT_EQ(m.grid, 20);
  EXPECT_EQ(m.scale, 2.0f);
  EXPECT_EQ(m.tht, 30.0f);
  EXPECT_EQ(m.xOrder, 3);
  EXPECT_EQ(m.net[2][2].z, 3.0f);
  EXPECT_EQ(m.points[1].x, 200.0f) << "the array itself is kept";
  EXPECT_EQ(m.saveResults, 1);

  // The polygon starts again from index 0.
  window.Click(400, 400);
  ExpectPoints({{400, 400}});
}

TEST_F(WindowProcTest, ExitClosesTheLogAndPostsQuitWithCodeZero) {
  const std::string logPath = OpenLog();
  window.Click(100, 400);
  window.Click(300, 100);
  window.Click(500, 400);
  window.Command(kCmdBezier);  // appends a section, still buffered
  window.Command(kCmdExit);
  EXPECT_TRUE(window.QuitPosted());
  EXPECT_EQ(window.ExitCode(), 0);
  EXPECT_TRUE(window.Destroyed());
  EXPECT_EQ(m.logFile, nullptr);
  EXPECT_EQ(m.logActive, 0);

  // Closing flushed the whole section to the file.
  std::ifstream file(logPath, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.rfind("\r\n\r\n# In Bezier curve, control point count:=3\r\n", 0), 0u);
  ASSERT_GE(text.size(), 14u);
  EXPECT_EQ(text.substr(text.size() - 14), "# End Data\r\n\r\n");

  // The window is gone: later messages change nothing.
  window.Click(50, 50);
  EXPECT_EQ(m.pointCount, 3);
}

TEST_F(WindowProcTest, ExitWithoutALogStillQuits) {
  window.Command(kCmdExit);
  EXPECT_TRUE(window.QuitPosted());
  EXPECT_EQ(window.ExitCode(), 0);
}

TEST_F(WindowProcTest, SimulationItemsWithoutAnActionDoNothing) {
  window.Click(100, 100);
  window.Click(200, 150);
  window.Click(300, 100);
  window.Command(kCmdBezier);
  const std::vector<unsigned char> model = ModelBytes();
  const std::vector<std::uint32_t> picture = Pixels(Canvas());
  const auto menu = MenuSnapshot(window);
  for (int id : {kCmdBezierSimulation, kCmdRationalSimulation}) {
    window.Command(id);
    EXPECT_EQ(ModelBytes(), model) << "command " << id;
    EXPECT_EQ(Pixels(Canvas()), picture) << "command " << id;
    EXPECT_EQ(MenuSnapshot(window), menu) << "command " << id;
  }
}

TEST_F(WindowProcTest, UnknownCommandIdsReturnZeroAndChangeNothing) {
  window.Click(100, 100);
  window.Click(200, 150);
  window.Click(300, 100);
  const std::vector<unsigned char> model = ModelBytes();
  const std::vector<std::uint32_t> picture = Pixels(Canvas());
  const auto menu = MenuSnapshot(window);
  const std::uint32_t ids[] = {0, 1, 2, 3, 100, 102, 158, 163, 1000, 39999, 40000,
                               40016, 40017, 40019, 40022, 40032, 65535, 0x7FFFFFFF,
                               0x80000000u, 0xFFFFFFFFu};
  for (std::uint32_t id : ids) {
    EXPECT_EQ(MainWindowProc(window, Message{MessageKind::kCommand, id, 0x12345678u}), 0)
        << "command " << id;
    EXPECT_EQ(ModelBytes(), model) << "command " << id;
    EXPECT_EQ(Pixels(Canvas()), picture) << "command " << id;
    EXPECT_EQ(MenuSnapshot(window), menu) << "command " << id;
  }
}

TEST_F(WindowProcTest, EveryMessageReturnsZero) {
  window.Click(100, 100);
  const Message messages[] = {
      Message{MessageKind::kPaint},
      SizeMessage(kWidth, kHeight),
      MouseMessage(MessageKind::kLeftDown, 100, 100, kLeftButtonFlag),
      MouseMessage(MessageKind::kMouseMove, 120, 100, kLeftButtonFlag),
      MouseMessage(MessageKind::kLeftUp, 120, 100),
      MouseMessage(MessageKind::kRightDown, 120, 100, kRightButtonFlag),
      MouseMessage(MessageKind::kRightUp, 120, 100),
      CommandMessage(kCmdBezier),
      CommandMessage(kCmdSurfaces),
      CommandMessage(kCmdCurves),
  };
  for (const Message& message : messages) {
    EXPECT_EQ(MainWindowProc(window, message), 0) << static_cast<int>(message.kind);
  }
}

TEST_F(WindowProcTest, SizeMessageSetsTheClientSize) {
  window.Send(SizeMessage(321, 123));
  EXPECT_EQ(m.clientWidth, 321);
  EXPECT_EQ(m.clientHeight, 123);
  window.Click(10, 123);  // now below the client area
  EXPECT_EQ(m.pointCount, 0);
  window.Click(10, 122);
  EXPECT_EQ(m.pointCount, 1);
}

// ---------------------------------------------------------------------------
// Repaint and the log suspension.

TEST_F(WindowProcTest, RepaintWithoutAFamilyDrawsThePolygonLines) {
  window.Click(100, 100);
  window.Click(300, 100);
  window.Click(300, 300);
  EXPECT_EQ(At(200, 100), kWhite) << "clicks draw only marks";
  EXPECT_EQ(At(300, 200), kWhite);
  Paint();
  EXPECT_EQ(At(200, 100), kBlack);
  EXPECT_EQ(At(300, 200), kBlack);
  EXPECT_EQ(At(200, 200), kWhite) << "the polygon is open";
  EXPECT_TRUE(MarkIs(Canvas(), 300, 300, kBlack));
}

TEST_F(WindowProcTest, RepaintWithBezierDrawsTheCurve) {
  window.Click(100, 400);
  window.Click(300, 100);
  window.Click(500, 400);
  window.Command(kCmdBezier);
  const std::vector<std::uint32_t> picture = Pixels(Canvas());
  EXPECT_EQ(At(300, 250), kBlack) << "the curve at t = 1/2";
  EXPECT_EQ(At(300, 400), kWhite) << "no chord from the first to the last point";

  window.Canvas().FillRect(0, 0, kWidth, kHeight, kWhite);
  Paint();
  EXPECT_EQ(Pixels(Canvas()), picture);
}

TEST_F(WindowProcTest, RedrawsKeepTheLogOutButFamilyCommandsWriteToIt) {
  OpenLog();
  window.Click(100, 400);
  window.Click(300, 100);
  window.Click(500, 400);
  EXPECT_EQ(LogSize(), 0) << "clicks do not log";
  Paint();
  EXPECT_EQ(LogSize(), 0) << "a repaint of the polygon does not log";
  EXPECT_EQ(m.logActive, 1);

  window.Command(kCmdBezier);
  const long afterCommand = LogSize();
  EXPECT_GT(afterCommand, 0);

  Paint();
  LeftDown(300, 100);
  Move(320, 140, kLeftButtonFlag);
  LeftUp(320, 140);
  Move(100, 400);  // hover
  EXPECT_EQ(LogSize(), afterCommand);
  EXPECT_EQ(m.logActive, 1);
}

TEST_F(WindowProcTest, RedrawsLeaveAClosedLogClosed) {
  window.Click(100, 400);
  window.Click(300, 100);
  window.Click(500, 400);
  window.Command(kCmdBezier);
  Paint();
  LeftDown(300, 100);
  Move(320, 140, kLeftButtonFlag);
  EXPECT_EQ(m.logActive, 0);
}

// ---------------------------------------------------------------------------
// Messages in any order.

TEST_F(WindowProcTest, RandomMessageSequencesKeepTheModelInBounds) {
  std::vector<int> commands = MenuCommandIds();
  const int extraIds[] = {0, 7, 40032, 65535, -1};
  commands.insert(commands.end(), std::begin(extraIds), std::end(extraIds));

  for (unsigned seed : {1u, 2u, 3u, 2024u}) {
    ResetModelState();
    // File > Save writes under this name.
    const std::string saveName = ::testing::TempDir() + "window_proc_random.cnt";
    std::snprintf(Model().controlFileName, kMaxFileName, "%s", saveName.c_str());
    auto platform = std::make_unique<HeadlessPlatform>();
    platform->Start();
    std::mt19937 rng(seed);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto coordinate = [&](int extent) {
      switch (pick(6)) {
        case 0: return 0xFFFF;
        case 1: return static_cast<int>(rng() & 0xFFFF);
        case 2: return extent + pick(200);  // beyond the client area
        case 3: return 0;
        default: return pick(extent);
      }
    };
    const std::uint32_t flagSets[] = {0, kLeftButtonFlag, kLeftButtonFlag, kRightButtonFlag,
                                      kLeftButtonFlag | kShiftFlag, 0x1F, 0xFFFFFFFFu};
    for (int step = 0; step < 3000; ++step) {
      if (platform->Destroyed()) {
        platform = std::make_unique<HeadlessPlatform>();
        platform->Start();
      }
      ModelState& model = Model();
      const int canvasWidth = platform->Canvas().width();
      const int canvasHeight = platform->Canvas().height();
      int x = coordinate(std::max<int>(model.clientWidth, 1));
      int y = coordinate(std::max<int>(model.clientHeight, 1));
      // Often aim at an existing point so that picks, drags and deletions happen.
      if (model.pointCount > 0 && pick(2) == 0) {
        const Point2 p = model.points[pick(std::min(model.pointCount, kMaxPoints))];
        x = static_cast<int>(p.x) + pick(5) - 2;
        y = static_cast<int>(p.y) + pick(5) - 2;
      }
      Message message{};
      switch (pick(16)) {
        case 0: message = Message{MessageKind::kPaint}; break;
        case 1: message = CommandMessage(commands[pick(static_cast<int>(commands.size()))]); break;
        case 2:
          message = SizeMessage(static_cast<int>(rng() & 0xFFFF), static_cast<int>(rng() & 0xFFFF));
          break;
        case 3: platform->Resize(pick(900), pick(700)); continue;
        case 4: model.acceptRelease = 0; continue;
        case 5: model.grid = std::array<int, 5>{-3, 0, 1, 7, 50}[pick(5)]; continue;
        case 6: message = MouseMessage(MessageKind::kRightDown, x, y, kRightButtonFlag); break;
        case 7: message = MouseMessage(MessageKind::kRightUp, x, y); break;
        case 8:
        case 9: message = MouseMessage(MessageKind::kLeftDown, x, y, kLeftButtonFlag); break;
        case 10:
        case 11: message = MouseMessage(MessageKind::kLeftUp, x, y); break;
        case 12:
          message = Message{static_cast<MessageKind>(pick(12)), static_cast<std::uint32_t>(rng()),
                            static_cast<std::uint32_t>(rng())};
          break;
        default:
          message = MouseMessage(MessageKind::kMouseMove, x, y, flagSets[pick(7)]);
          break;
      }
      if (message.kind == MessageKind::kDestroy && pick(4) != 0) continue;
      platform->Send(message);

      SCOPED_TRACE(::testing::Message() << "seed " << seed << " step " << step);
      ASSERT_GE(model.pointCount, 0);
      ASSERT_LE(model.pointCount, kMaxPoints);
      ASSERT_GE(model.hoverIndex, -1);
      ASSERT_LT(model.hoverIndex, kMaxPoints);
      ASSERT_GE(model.pickedIndex, 0);
      ASSERT_LT(model.pickedIndex, kMaxPoints);
      ASSERT_TRUE(model.pickActive == 0 || model.pickActive == 1);
      ASSERT_TRUE(model.acceptRelease == 0 || model.acceptRelease == 1);
      ASSERT_TRUE(model.objectMode == kCurves || model.objectMode == kSurfaces);
      ASSERT_GE(model.curveKind, kNoCurve);
      ASSERT_LE(model.curveKind, kNurbs);
      ASSERT_TRUE(std::isfinite(model.tht));
      ASSERT_TRUE(std::isfinite(model.phi));
      if (!platform->Destroyed()) {
        ASSERT_EQ(platform->Canvas().width(), canvasWidth);
        ASSERT_EQ(platform->Canvas().height(), canvasHeight);
      }
    }
  }
}

}  // namespace
}  // namespace tambra
