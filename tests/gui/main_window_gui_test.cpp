// The real main window, driven through its menu actions and mouse events.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QFile>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <set>

#include "gui_test_support.h"
#include "qt/canvas_widget.h"
#include "qt/main_window.h"
#include "resources/command_ids.h"
#include "resources/menu_table.h"
#include "shell/model_state.h"

using namespace tambra;
using gui_test::SendMouse;

namespace {

constexpr Rgb kBlackPixel = 0x000000;
constexpr Rgb kWhitePixel = 0xFFFFFF;
constexpr Rgb kRedPixel = 0xFF0000;

QAction* FirstAction(MainWindow& window, int id) {
  return window.findChild<QAction*>(QStringLiteral("command-%1").arg(id));
}

QList<QAction*> AllActions(MainWindow& window, int id) {
  return window.findChildren<QAction*>(QStringLiteral("command-%1").arg(id));
}

// What the user sees: the canvas widget as painted, not the raster behind it.
Rgb ShownPixel(MainWindow& window, int x, int y) {
  return window.canvas()->grab().toImage().pixel(x, y) & 0xFFFFFF;
}

Rgb RasterPixel(MainWindow& window, int x, int y) { return window.platform().Canvas().Pixel(x, y); }

// Whether any pixel within `radius` of (x, y) has this colour.
bool ColourNear(MainWindow& window, double x, double y, int radius, Rgb colour) {
  const int cx = static_cast<int>(std::lround(x));
  const int cy = static_cast<int>(std::lround(y));
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      if (RasterPixel(window, cx + dx, cy + dy) == colour) return true;
    }
  }
  return false;
}

enum class Ring { kClear, kAnything };

// Checks that the 6 by 6 mark around (x, y) has `colour` and, unless lines
// may pass there, that the ring of pixels just outside it does not.
void ExpectMark(MainWindow& window, int x, int y, Rgb colour, Ring ring = Ring::kClear) {
  for (int py = y - 4; py <= y + 3; ++py) {
    for (int px = x - 4; px <= x + 3; ++px) {
      const bool inside = px >= x - 3 && px < x + 3 && py >= y - 3 && py < y + 3;
      if (inside) {
        QVERIFY2(RasterPixel(window, px, py) == colour,
                 qPrintable(QStringLiteral("mark pixel (%1, %2)").arg(px).arg(py)));
      } else if (ring == Ring::kClear) {
        QVERIFY2(RasterPixel(window, px, py) != colour,
                 qPrintable(QStringLiteral("pixel (%1, %2) outside the mark").arg(px).arg(py)));
      }
    }
  }
}

void Click(MainWindow& window, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  QTest::mouseClick(window.canvas(), button, Qt::NoModifier, at);
}

// A cubic Bezier point from the Bernstein form, independent of the
// window's de Casteljau evaluation.
QPointF CubicPoint(const QPointF (&p)[4], double t) {
  const double s = 1.0 - t;
  const double b[4] = {s * s * s, 3 * s * s * t, 3 * s * t * t, t * t * t};
  QPointF result;
  for (int i = 0; i < 4; ++i) result += b[i] * p[i];
  return result;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> window_;

  MainWindow& Shown() {
    window_ = std::make_unique<MainWindow>();
    window_->resize(640, 480);
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get())) qWarning("window not exposed");
    return *window_;
  }

  void CompareMenu(const QList<QAction*>& actions, const std::vector<MenuNode>& nodes,
                   const QString& path) {
    QCOMPARE(actions.size(), static_cast<qsizetype>(nodes.size()));
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      const MenuNode& node = nodes[i];
      QAction* action = actions[static_cast<qsizetype>(i)];
      const QString where = QStringLiteral("%1 #%2").arg(path).arg(i);
      switch (node.kind) {
        case MenuNodeKind::kSeparator: QVERIFY2(action->isSeparator(), qPrintable(where)); break;
        case MenuNodeKind::kPopup:
          QVERIFY2(action->menu() != nullptr, qPrintable(where));
          QCOMPARE(action->text(), QString::fromUtf8(node.text));
          CompareMenu(action->menu()->actions(), node.children, where + " " + action->text());
          if (QTest::currentTestFailed()) return;
          break;
        case MenuNodeKind::kItem:
          QVERIFY2(!action->isSeparator() && action->menu() == nullptr, qPrintable(where));
          QCOMPARE(action->text(), QString::fromUtf8(node.text));
          QCOMPARE(action->data().toInt(), node.id);
          QCOMPARE(action->objectName(), QStringLiteral("command-%1").arg(node.id));
          break;
      }
    }
  }

 private slots:
  void init() { ResetModelState(); }
  void cleanup() { window_.reset(); }

  void titleComesFromTheResource() {
    MainWindow& window = Shown();
    QCOMPARE(window.windowTitle(), QString::fromUtf8(kWindowTitle));
  }

  void menuTreeEqualsTheResourceTable() {
    MainWindow& window = Shown();
    const QList<QAction*> popups = window.menuBar()->actions();
    CompareMenu(popups, MenuBar(), QStringLiteral("menu bar"));
  }

  void menuStateAfterCreation() {
    MainWindow& window = Shown();
    const std::set<int> checked = {kCmdCurves};
    const std::set<int> greyed = {kCmdCloseOutput,  kCmdBezierSimulation, kCmdRationalSimulation,
                                  kCmdTriangularSE, kCmdTriangularNW,     kCmdTriangularSW,
                                  kCmdTriangularNE, kCmdReduceSurfaces};
    int actionsSeen = 0;
    for (int id : MenuCommandIds()) {
      const QList<QAction*> actions = AllActions(window, id);
      QVERIFY2(!actions.isEmpty(), qPrintable(QStringLiteral("no action for %1").arg(id)));
      for (QAction* action : actions) {
        ++actionsSeen;
        QVERIFY2(action->isChecked() == (checked.count(id) > 0),
                 qPrintable(QStringLiteral("check mark of %1").arg(id)));
        QVERIFY2(action->isEnabled() == (greyed.count(id) == 0),
                 qPrintable(QStringLiteral("enabled state of %1").arg(id)));
      }
    }
    // 40009, 40018, 40020 and 40021 stand in several popups.
    QCOMPARE(AllActions(window, kCmdControlPoints).size(), qsizetype{5});
    QCOMPARE(AllActions(window, kCmdXKnots).size(), qsizetype{3});
    QVERIFY(actionsSeen > static_cast<int>(MenuCommandIds().size()));
    // Creation set the weights the dialogs start from.
    QCOMPARE(Model().weights[9], 1.0f);
    QCOMPARE(Model().netWeights[9][9], 1.0f);
  }

  void leftClickAddsAPointAndItsMark() {
    MainWindow& window = Shown();
    Click(window, QPoint(120, 90));
    QCOMPARE(Model().pointCount, 1);
    QCOMPARE(Model().points[0].x, 120.0f);
    QCOMPARE(Model().points[0].y, 90.0f);
    ExpectMark(window, 120, 90, kBlackPixel);
    if (QTest::currentTestFailed()) return;
    // The raster reaches the screen at 1:1, top-left.
    QCOMPARE(ShownPixel(window, 117, 87), kBlackPixel);
    QCOMPARE(ShownPixel(window, 122, 92), kBlackPixel);
    QCOMPARE(ShownPixel(window, 123, 93), kWhitePixel);
    QCOMPARE(window.platform().Canvas().CountNonWhite(), 36);
  }

  void clickNearTheBottomEdgeStillCounts() {
    MainWindow& window = Shown();
    const int bottom = window.canvas()->height() - 1;
    Click(window, QPoint(50, bottom));
    QCOMPARE(Model().pointCount, 1);
    QCOMPARE(Model().clientHeight, window.canvas()->height());
  }

  void releaseOutsideTheCanvasAddsNothing() {
    MainWindow& window = Shown();
    const QPoint inside(100, 100);
    const QPoint right(window.canvas()->width() + 5, 100);
    QTest::mousePress(window.canvas(), Qt::LeftButton, Qt::NoModifier, inside);
    QTest::mouseRelease(window.canvas(), Qt::LeftButton, Qt::NoModifier, right);
    QCOMPARE(Model().pointCount, 0);
    QCOMPARE(window.platform().Canvas().CountNonWhite(), 0);
    // Left of the canvas would wrap to a huge x in the message packing.
    QTest::mousePress(window.canvas(), Qt::LeftButton, Qt::NoModifier, inside);
    QTest::mouseRelease(window.canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(-3, 100));
    QCOMPARE(Model().pointCount, 0);
  }

  void bezierDrawsTheCurveBetweenThePoints() {
    MainWindow& window = Shown();
    const QPointF p[4] = {{100, 300}, {200, 100}, {400, 100}, {500, 300}};
    for (const QPointF& point : p) Click(window, point.toPoint());
    QCOMPARE(Model().pointCount, 4);
    FirstAction(window, kCmdBezier)->trigger();
    QCOMPARE(Model().curveKind, static_cast<int>(kBezier));
    for (double t : {0.1, 0.25, 0.5, 0.75, 0.9}) {
      const QPointF on = CubicPoint(p, t);
      QVERIFY2(ColourNear(window, on.x(), on.y(), 1, kBlackPixel),
               qPrintable(QStringLiteral("no curve pixel near t = %1 (%2, %3)")
                              .arg(t)
                              .arg(on.x())
                              .arg(on.y())));
    }
    // Inside the hull but off the curve and the polygon: background.
    QCOMPARE(RasterPixel(window, 300, 250), kWhitePixel);
    QCOMPARE(RasterPixel(window, 300, 110), kWhitePixel);
    // The polygon's top edge and the marks are drawn too.
    QCOMPARE(RasterPixel(window, 300, 100), kBlackPixel);
    ExpectMark(window, 200, 100, kBlackPixel, Ring::kAnything);
    if (QTest::currentTestFailed()) return;
    const QPointF middle = CubicPoint(p, 0.5);
    bool shown = false;
    const QImage image = window.canvas()->grab().toImage();
    for (int dy = -1; dy <= 1; ++dy) {
      shown =
          shown || (image.pixel(static_cast<int>(middle.x()), static_cast<int>(middle.y()) + dy) &
                    0xFFFFFF) == kBlackPixel;
    }
    QVERIFY2(shown, "the curve is not on the screen");
  }

  void surfacesModeChecksAndGreys() {
    MainWindow& window = Shown();
    FirstAction(window, kCmdSurfaces)->trigger();
    QCOMPARE(Model().objectMode, static_cast<int>(kSurfaces));
    QVERIFY(FirstAction(window, kCmdSurfaces)->isChecked());
    QVERIFY(!FirstAction(window, kCmdCurves)->isChecked());
    QVERIFY(!FirstAction(window, kCmdReduceLse)->isEnabled());
    QVERIFY(!FirstAction(window, kCmdNurbsKnotInsert)->isEnabled());
    QVERIFY(FirstAction(window, kCmdTriangularSE)->isEnabled());
    QVERIFY(FirstAction(window, kCmdReduceSurfaces)->isEnabled());
    // Family commands and dialogs stay available.
    QVERIFY(FirstAction(window, kCmdBezier)->isEnabled());
    for (QAction* action : AllActions(window, kCmdControlPoints)) QVERIFY(action->isEnabled());

    FirstAction(window, kCmdCurves)->trigger();
    QVERIFY(FirstAction(window, kCmdCurves)->isChecked());
    QVERIFY(!FirstAction(window, kCmdSurfaces)->isChecked());
    QVERIFY(FirstAction(window, kCmdReduceLse)->isEnabled());
    QVERIFY(!FirstAction(window, kCmdTriangularSE)->isEnabled());
  }

  // Qt toggles a checkable action by itself when it is chosen; the check
  // marks must still be exactly what the window procedure set.
  void checkMarksFollowTheModelNotQt() {
    MainWindow& window = Shown();
    FirstAction(window, kCmdCurves)->trigger();  // already in Curves mode
    QVERIFY(FirstAction(window, kCmdCurves)->isChecked());
    QVERIFY(!FirstAction(window, kCmdSurfaces)->isChecked());

    // An item that the window procedure checked but whose command does not
    // touch its mark keeps it.
    window.platform().SetMenuChecked(kCmdBezierSimulation, true);
    window.platform().SetMenuEnabled(kCmdBezierSimulation, true);
    FirstAction(window, kCmdBezierSimulation)->trigger();
    QVERIFY(FirstAction(window, kCmdBezierSimulation)->isChecked());
    window.platform().SetMenuChecked(kCmdBezierSimulation, false);
    FirstAction(window, kCmdBezierSimulation)->trigger();
    QVERIFY(!FirstAction(window, kCmdBezierSimulation)->isChecked());

    const int saveItems[] = {kCmdEditSave, kCmdBezierSave, kCmdRationalSave, kCmdBSplineSave,
                             kCmdNurbsSave};
    FirstAction(window, kCmdBezierSave)->trigger();
    QCOMPARE(Model().saveResults, 1);
    for (int id : saveItems)
      QVERIFY2(FirstAction(window, id)->isChecked(), qPrintable(QString::number(id)));
    FirstAction(window, kCmdNurbsSave)->trigger();
    QCOMPARE(Model().saveResults, 0);
    for (int id : saveItems)
      QVERIFY2(!FirstAction(window, id)->isChecked(), qPrintable(QString::number(id)));
  }

  void rightClickDeletesAPoint() {
    MainWindow& window = Shown();
    for (QPoint at : {QPoint(50, 50), QPoint(150, 60), QPoint(250, 70), QPoint(350, 80)}) {
      Click(window, at);
    }
    Click(window, QPoint(151, 61), Qt::RightButton);
    QCOMPARE(Model().pointCount, 3);
    QCOMPARE(Model().points[1].x, 250.0f);
    QCOMPARE(RasterPixel(window, 150, 60), kWhitePixel);
  }

  void hoverHighlightFollowsMovesWithoutButtons() {
    MainWindow& window = Shown();
    Click(window, QPoint(200, 150));
    SendMouse(window.canvas(), QEvent::MouseMove, QPoint(201, 151), Qt::NoButton, Qt::NoButton);
    QCOMPARE(Model().hoverIndex, 0);
    ExpectMark(window, 200, 150, kRedPixel);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(ShownPixel(window, 200, 150), kRedPixel);
    SendMouse(window.canvas(), QEvent::MouseMove, QPoint(300, 300), Qt::NoButton, Qt::NoButton);
    QCOMPARE(Model().hoverIndex, -1);
    ExpectMark(window, 200, 150, kBlackPixel);
  }

  void dragMovesAPointOnlyWithTheLeftButtonAlone() {
    MainWindow& window = Shown();
    for (QPoint at : {QPoint(100, 100), QPoint(200, 100), QPoint(300, 100)}) Click(window, at);
    QWidget* canvas = window.canvas();
    SendMouse(canvas, QEvent::MouseButtonPress, QPoint(200, 100), Qt::LeftButton, Qt::LeftButton);
    // With Shift held the move is not a drag.
    SendMouse(canvas, QEvent::MouseMove, QPoint(210, 140), Qt::NoButton, Qt::LeftButton,
              Qt::ShiftModifier);
    QCOMPARE(Model().points[1].y, 100.0f);
    SendMouse(canvas, QEvent::MouseMove, QPoint(220, 180), Qt::NoButton, Qt::LeftButton);
    SendMouse(canvas, QEvent::MouseButtonRelease, QPoint(220, 180), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(Model().pointCount, 3);  // the release ended the drag, it added nothing
    QCOMPARE(Model().points[1].x, 220.0f);
    QCOMPARE(Model().points[1].y, 180.0f);
    QCOMPARE(Model().pickActive, 0);
    ExpectMark(window, 220, 180, kBlackPixel);
    QCOMPARE(RasterPixel(window, 200, 100), kWhitePixel);
  }

  void resizeFollowsWithRasterSizeAndFullRepaint() {
    MainWindow& window = Shown();
    for (QPoint at : {QPoint(40, 40), QPoint(140, 40), QPoint(140, 140)}) Click(window, at);
    // Clicks only draw marks; the polygon's lines come with a repaint.
    QCOMPARE(RasterPixel(window, 90, 40), kWhitePixel);
    window.resize(700, 520);
    QTRY_COMPARE(window.platform().Canvas().width(), window.canvas()->width());
    QCOMPARE(window.platform().Canvas().height(), window.canvas()->height());
    QCOMPARE(static_cast<int>(Model().clientWidth), window.canvas()->width());
    QCOMPARE(static_cast<int>(Model().clientHeight), window.canvas()->height());
    QCOMPARE(RasterPixel(window, 90, 40), kBlackPixel);
    QCOMPARE(RasterPixel(window, 140, 90), kBlackPixel);
    ExpectMark(window, 140, 140, kBlackPixel, Ring::kAnything);
  }

  void statusLineShowsPointsFamilyOrderAndMode() {
    MainWindow& window = Shown();
    Click(window, QPoint(30, 30));
    Click(window, QPoint(60, 30));
    const QString before = window.statusBar()->findChild<QLabel*>()->text();
    QVERIFY2(before.contains(QStringLiteral("Points: 2")), qPrintable(before));
    QVERIFY2(before.contains(QStringLiteral("Mode: Curves")), qPrintable(before));
    QVERIFY2(before.contains(QStringLiteral("Order: 4")), qPrintable(before));
    FirstAction(window, kCmdBezier)->trigger();
    FirstAction(window, kCmdSurfaces)->trigger();
    const QString after = window.statusBar()->findChild<QLabel*>()->text();
    QVERIFY2(after.contains(QStringLiteral("Family: Bezier")), qPrintable(after));
    QVERIFY2(after.contains(QStringLiteral("Mode: Surfaces")), qPrintable(after));
  }

  void newShortcutClearsTheModel() {
    MainWindow& window = Shown();
    Click(window, QPoint(30, 30));
    Click(window, QPoint(90, 30));
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(Model().pointCount, 0);
    QCOMPARE(window.platform().Canvas().CountNonWhite(), 0);
  }

  void exitClosesTheWindow() {
    MainWindow& window = Shown();
    FirstAction(window, kCmdExit)->trigger();
    QVERIFY(!window.isVisible());
    QVERIFY(window.destroyed());
    QVERIFY(window.platform().QuitPosted());
    QCOMPARE(window.platform().ExitCode(), 0);
    // Nothing reaches the window procedure afterwards.
    Click(window, QPoint(30, 30));
    QCOMPARE(Model().pointCount, 0);
  }

  void closingTheWindowClosesTheOutputLog() {
    MainWindow& window = Shown();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("log.dat")));
    Model().logFile = std::fopen(path.constData(), "wb");
    QVERIFY(Model().logFile != nullptr);
    Model().logActive = 1;
    window.close();
    QVERIFY(window.destroyed());
    QVERIFY(Model().logFile == nullptr);
    QCOMPARE(Model().logActive, 0);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_gui_test.moc"
