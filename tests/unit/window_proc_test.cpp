// The window procedure driven through messages on the headless platform:
// mouse editing of the polygon, hover, view rotation, commands and menus.
#include "app/window_proc.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <set>

#include "app/menu_tree.h"
#include "app/status_line.h"
#include "base/dialog_session.h"
#include "resources/command_ids.h"
#include "session_fixture.h"

namespace tambra {
namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr auto kDown = MessageKind::kLeftDown, kUp = MessageKind::kLeftUp,
               kMove = MessageKind::kMouseMove, kRightDown = MessageKind::kRightDown;
constexpr std::uint32_t kLeft = kLeftButtonFlag, kRight = kRightButtonFlag;

class WindowProcTest : public SessionTest {
 protected:
  // A press carries its own button's flag; other messages the flags given.
  void Mouse(MessageKind kind, int x, int y, std::uint32_t flags = 0) {
    if (kind == kDown || kind == kRightDown) flags = kind == kDown ? kLeft : kRight;
    window.Send(MouseMessage(kind, x, y, flags));
  }
  void Clicks(std::initializer_list<std::pair<int, int>> points) {
    for (auto [x, y] : points) window.Click(x, y);
  }
  bool MarkIs(int x, int y, Rgb colour) {  // the whole 6 by 6 mark of (x, y)
    int count = 0;
    for (int i = 0; i < 36; ++i) count += At(x - 3 + i % 6, y - 3 + i / 6) == colour;
    return count == 36;
  }
  Rgb At(int x, int y) { return window.Canvas().Pixel(x, y); }
  int Drawn() { return window.Canvas().CountNonWhite(); }
  // The canvas is what a repaint of the whole window shows (and stays so).
  bool ShowsModel() {
    const Raster& r = window.Canvas();
    const std::size_t size = std::size_t(r.width()) * r.height();
    const std::vector<std::uint32_t> shown(r.Data(), r.Data() + size);
    window.Canvas().FillRect(0, 0, kWidth, kHeight, kWhite);
    window.Send(Message{MessageKind::kPaint});
    return std::equal(shown.begin(), shown.end(), r.Data());
  }
};

// Clicks below the client area add nothing. A file dialog leaves acceptRelease at 0: a release
// without its press (the dialog took the press) adds no point; a press on the canvas ends the
// rule, so the first click or drag after the dialog works.
TEST_F(WindowProcTest, ClicksAddMarkedPointsUpToTheLimitButAStrayReleaseNone) {
  for (int y : {kHeight, kHeight + 1, 0xFFFF}) window.Click(100, y);
  m.acceptRelease = 0;
  Mouse(kUp, 100, 100);
  EXPECT_EQ(std::tuple(m.pointCount, Drawn(), m.acceptRelease), std::tuple(0, 0, 1));
  m.acceptRelease = 0;
  Mouse(kDown, 100, 100);
  Mouse(kMove, 155, 125, kLeft);
  Mouse(kUp, 155, 125);
  EXPECT_EQ(std::tuple(m.pointCount, m.points[0].x, m.points[0].y, m.pickActive), std::tuple(1, 155, 125, 0));
  m.acceptRelease = 0;
  for (int i = 1; i <= kMaxPoints; ++i) window.Click(30 + (i % 20) * 30, 30 + (i / 20) * 30);
  EXPECT_EQ(std::tuple(m.pointCount, m.points[99].x, m.points[99].y), std::tuple(kMaxPoints, 600, 150));
  EXPECT_TRUE(MarkIs(600, 150, kBlack));
  EXPECT_TRUE(ShowsModel()) << "each click shows the polygon joined";
}

TEST_F(WindowProcTest, OnlyTheLeftButtonAloneDragsAPointAndHoverTurnsItsMarkRed) {
  Clicks({{100, 100}, {200, 100}, {300, 100}});
  Mouse(kDown, 200, 100);
  for (std::uint32_t flags : {0u, kRight, kMiddleButtonFlag, kLeft | kShiftFlag,
                              kLeft | kControlFlag, kLeft | kRight}) {
    Mouse(kMove, 250, 180, flags);
    EXPECT_EQ(m.points[1].x, 200.0f) << "flags " << flags;
  }
  Mouse(kMove, 250, 180, kLeft);
  EXPECT_EQ(std::tuple(MarkIs(200, 100, kWhite), MarkIs(250, 180, kBlack)), std::tuple(true, true));
  Mouse(kMove, 260, 190, kLeft);
  Mouse(kUp, 260, 190);
  EXPECT_EQ((std::tuple{m.pointCount, m.points[1].x, m.points[1].y, m.points[2].x, ShowsModel()}),
            std::tuple(3, 260, 190, 300, true));

  Mouse(kMove, 101, 99);
  EXPECT_EQ(std::tuple(m.hoverIndex, MarkIs(100, 100, kRed)), std::tuple(0, true));
  Mouse(kMove, 260, 192, kRight);  // straight onto the next point, whatever the buttons
  EXPECT_EQ((std::tuple{m.hoverIndex, MarkIs(100, 100, kBlack), MarkIs(260, 190, kRed)}),
            std::tuple(1, true, true));
  Mouse(kMove, 400, 400);
  EXPECT_EQ((std::tuple{m.hoverIndex, MarkIs(260, 190, kBlack), ShowsModel()}), std::tuple(-1, true, true));
}

TEST_F(WindowProcTest, MenuStateFollowsCreationModeSwitchesAndTheSaveToggle) {
  const std::set<int> alwaysGreyed = {kCmdCloseOutput, kCmdBezierSimulation,
                                      kCmdRationalSimulation};
  const std::set<int> surfaceOnly = {kCmdTriangularSE, kCmdTriangularNW, kCmdTriangularSW,
                                     kCmdTriangularNE, kCmdReduceSurfaces, kCmdYKnots,
                                     kCmdExportMesh};
  const std::set<int> curveOnly = {127, 128, 131, 132, 133, 159,       // degree reductions
                                   117, 160, 161, 162,                 // rational algorithms
                                   146, 147, 141, 142, 143, 144, 145,  // B-spline algorithms
                                   153, 154, 151, 152,                 // NURBS algorithms
                                   kCmdCurvatureComb, kCmdCompareReductions,
                                   kCmdCompareApproximations};
  for (int command : {0, int(kCmdSurfaces), int(kCmdSurfaces), int(kCmdCurves)}) {
    if (command != 0) window.Command(command);
    const bool curves = command != kCmdSurfaces;
    EXPECT_EQ(m.objectMode, curves ? kCurves : kSurfaces);
    for (int id : MenuCommandIds()) {
      if (id == kCmdUndo || id == kCmdRedo) continue;  // they follow the history
      const bool greyed = alwaysGreyed.count(id) || (curves ? surfaceOnly : curveOnly).count(id);
      const bool checked = id == (curves ? kCmdCurves : kCmdSurfaces);
      EXPECT_TRUE(window.MenuState(id) == (greyed    ? MenuItemState::kGreyed
                                           : checked ? MenuItemState::kChecked
                                                     : MenuItemState::kUnchecked))
          << "item " << id << (curves ? " in Curves" : " in Surfaces");
    }
  }
  const int saves[] = {kCmdEditSave, kCmdBezierSave, kCmdRationalSave, kCmdBSplineSave,
                       kCmdNurbsSave};
  for (int i = 0; i < 10; ++i) {
    window.Command(saves[i % 5]);
    EXPECT_EQ(m.saveResults, 1 - i % 2) << i;
    for (int id : saves) EXPECT_EQ(window.IsChecked(id), i % 2 == 0) << i << " item " << id;
  }
}

// The status line describes the curve in Curves mode and the net in Surfaces mode.
TEST_F(WindowProcTest, StatusLineDescribesWhatTheModeEdits) {
  Clicks({{100, 100}, {200, 200}, {300, 100}});
  window.Command(kCmdBSpline);
  EXPECT_EQ(StatusLine(), "Points: 3    Family: B-spline    Order: 4    Mode: Curves");
  window.Command(kCmdSurfaces);
  m.netRows = 5, m.netCols = 4, m.yOrder = 3, m.grid = 20;
  EXPECT_EQ(StatusLine(), "Net: 5 x 4, orders 4 x 3    Grid: 20    Surface: B-spline    Mode: Surfaces");
  m.triangles = 1;
  EXPECT_EQ(StatusLine(), "Net: triangular, 5 rows    Grid: 20    Surface: B-spline    Mode: Surfaces");
}

// After every change of the model the canvas shows the model, as a repaint
// would, and no mark is drawn for a point that is gone.
TEST_F(WindowProcTest, EveryModelChangeLeavesThePictureOfTheModel) {
  Clicks({{100, 400}, {250, 150}, {450, 150}, {600, 400}});
  window.Command(kCmdBezier);
  window.Click(700, 300);
  EXPECT_EQ(std::tuple(m.pointCount, ShowsModel()), std::tuple(5, true)) << "a click joins the curve";

  auto hoverThen = [&](auto change, int x = 700, int y = 300) {  // highlight, change, move back
    Mouse(kMove, x, y);
    ASSERT_EQ(m.hoverIndex, m.pointCount - 1);
    change();
    Mouse(kMove, x + 1, y);
  };
  hoverThen([&] { window.RightClick(700, 300); });
  EXPECT_EQ((std::tuple{m.pointCount, MarkIs(700, 300, kWhite), ShowsModel()}), std::tuple(4, true, true));
  window.Command(kCmdCopy);
  window.Click(700, 300);
  hoverThen([&] { window.Command(kCmdPaste); });
  EXPECT_EQ((std::tuple{m.pointCount, MarkIs(700, 300, kWhite), ShowsModel()}), std::tuple(4, true, true));

  answers.dialogs.push_back([](DialogSession& d) {
    d.SetText(2001, "300");  // x of point 0
    return d.Press(1);
  });
  window.Command(kCmdControlPoints);
  EXPECT_EQ((std::tuple{m.points[0].x, ShowsModel()}), std::tuple(300, true)) << "OK shows the typed values";

  window.Command(kCmdSurfaces);
  window.Command(kCmdCurves);
  EXPECT_GT(Drawn(), 0);
  EXPECT_TRUE(ShowsModel()) << "back in Curves mode the curve is shown";

  answers.fileNames = {Path("shown.cnt"), Path("shown.cnt")};
  window.Command(kCmdSaveAs);
  window.Command(kCmdNew);
  EXPECT_EQ(Drawn(), 0);
  window.Command(kCmdBezier);
  window.Command(kCmdOpen);  // a family chosen leaves the new document clean: no question
  EXPECT_EQ(std::tuple(m.pointCount, ShowsModel()), std::tuple(4, true)) << "the family's curve";
  window.Command(kCmdActualSize);  // Open fitted the view
  hoverThen([&] { window.Command(kCmdNew); }, 600, 400);
  EXPECT_EQ(Drawn(), 0) << "no mark for a point of the emptied model";
}

// A result drawn in colour stays through the guide (which leaves every pixel), a resize, a view
// change and the legend; only a change of the model and Clear results take it away.
TEST_F(WindowProcTest, ResultsStayUntilTheModelChangesOrTheyAreCleared) {
  Clicks({{100, 400}, {250, 150}, {450, 150}, {600, 400}});
  window.Command(kCmdBezier);
  const Raster& r = window.Canvas();
  const auto end = [&] { return r.Data() + std::size_t(r.width()) * r.height(); };
  const auto pixels = [&] { return std::vector<std::uint32_t>(r.Data(), end()); };
  const auto blue = [&] { return int(std::count(r.Data(), end(), 0xFF000000u | kBlue)); };
  const auto elevated = [&] { window.Command(kCmdBezierElevation); return blue(); };
  const int shown = elevated();
  ASSERT_GT(shown, 0);
  const auto before = pixels();
  window.Command(kCmdUserGuide);
  EXPECT_EQ(std::tuple(pixels() == before, window.GuideRequests()), std::tuple(true, 1));
  window.Resize(kWidth + 100, kHeight + 50);
  EXPECT_EQ(blue(), shown) << "a larger window";
  window.Resize(kWidth, kHeight);
  for (int id : {kCmdLegend, kCmdZoomIn, kCmdZoomOut, kCmdLegend, kCmdActualSize}) window.Command(id);
  EXPECT_EQ(blue(), shown) << "the legend and the view";
  window.Command(kCmdClearResults);
  EXPECT_EQ(std::tuple(blue(), window.Status()), std::tuple(0, "Results cleared"));
  EXPECT_EQ(elevated(), shown);
  window.Click(700, 100);
  EXPECT_EQ(blue(), 0) << "the model changed";
}

// Open and New start a fresh document: what the file does not hold (the other mode's object,
// weights, Knot to insert, the grid) is what the window starts with, whatever came before.
TEST_F(WindowProcTest, OpenAfterOpenAndNewStartAFreshDocument) {
  WriteFile(Path("triangle.cnt"), ReadFile(TAMBRA_TEST_DATA_DIR "/../examples/triangle.cnt"));
  WriteFile(Path("curve.cnt"), ReadFile(TAMBRA_TEST_DATA_DIR "/../examples/curve.cnt"));
  Clicks({{100, 400}, {250, 150}, {450, 150}});
  m.weights[1] = 4.0f, m.insertKnot = 0.5f, m.grid = 7;
  answers.saveChanges = {SaveChangesAnswer::kDiscard};
  answers.fileNames = {Path("triangle.cnt")};
  window.Command(kCmdOpen);
  const std::string triangle = ReadFile(Path("triangle.cnt"));
  window.Command(kCmdCurves);
  EXPECT_EQ(std::tuple(m.pointCount, m.insertKnot, m.grid != 7, window.Status()),
            std::tuple(0, 99.0f, true, ""));
  window.Command(kCmdSave);
  EXPECT_EQ(ReadFile(Path("triangle.cnt")), triangle) << "no curve of the file before";
  answers.saveChanges = {SaveChangesAnswer::kDiscard};
  answers.fileNames = {Path("curve.cnt")};
  window.Command(kCmdOpen);
  window.Command(kCmdSurfaces);
  EXPECT_EQ(std::tuple(m.netRows, m.netCols, m.triangles), std::tuple(0, 0, 0)) << "no net of the file before";
  window.Command(kCmdCurves);
  answers.saveChanges = {SaveChangesAnswer::kDiscard};
  m.weights[0] = 3.0f, m.order = 3;
  window.Command(kCmdNew);
  Clicks({{100, 400}, {250, 150}, {450, 150}});
  EXPECT_EQ((std::tuple{m.weights[0], m.order, m.pointCount, window.Canvas().View().scale}),
            std::tuple(1.0f, 3, 3, 1.0)) << "New keeps the order only, at actual size";
}

// Fitted to a curve near the float limit, a click can lie beyond what a float holds: no such
// point reaches the model, and the status says why.
TEST_F(WindowProcTest, AClickBeyondWhatAFloatHoldsAddsNoPoint) {
  Clicks({{100, 400}, {250, 150}, {450, 150}});
  m.points[0] = {-3e38f, -3e38f}, m.points[2] = {3e38f, 3e38f};
  window.Command(kCmdFitView);
  for (int x : {0, 799}) window.Click(x, 599 - x / 2);
  for (int i = 0; i < m.pointCount; ++i) EXPECT_TRUE(std::isfinite(m.points[i].x) && std::isfinite(m.points[i].y)) << i;
  EXPECT_EQ(window.Status().rfind("No point added", 0) == 0 || m.pointCount == 5, true);
}

}  // namespace
}  // namespace tambra
