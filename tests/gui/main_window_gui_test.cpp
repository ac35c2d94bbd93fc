// The real main window and its modal dialogs, driven through menu actions, mouse and controls.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QClipboard>
#include <QDockWidget>
#include <QGuiApplication>
#include <QTableWidget>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QWheelEvent>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>

#include "app/dialogs.h"
#include "app/menu_tree.h"
#include "app/view_commands.h"
#include "base/picture_export.h"
#include "base/comparison.h"
#include "qt/canvas_widget.h"
#include "qt/comparison_panel.h"
#include "qt/main_window.h"
#include "qt/status_message.h"
#include "qt/template_dialog.h"
#include "qt/user_guide.h"
#include "resources/command_ids.h"
#include "base/model_state.h"

using namespace tambra;

namespace {

QAction* Command(QWidget& window, int id) {
  return window.findChild<QAction*>(QStringLiteral("command-%1").arg(id));
}

template <typename T>
T* Control(QWidget* dialog, int id) {
  return dialog->findChild<T*>(QStringLiteral("control-%1").arg(id));
}

// Runs `answer`, which must close it, on the next modal T; a dialog that does not show or
// stays open fails the test and is hidden: nothing hangs.
template <typename T>
void WhenModal(std::function<void(T*)> answer, int triesLeft = 300) {
  QTimer::singleShot(triesLeft == 300 ? 0 : 10, [answer = std::move(answer), triesLeft] {
    T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog == nullptr && triesLeft > 0) return WhenModal<T>(answer, triesLeft - 1);
    if (dialog != nullptr) answer(dialog);
    QWidget* open = QApplication::activeModalWidget();
    if (dialog == nullptr || open == dialog) {
      QTest::qFail("a modal dialog did not show or did not close", __FILE__, __LINE__);
      if (open != nullptr) open->hide();
    }
  });
}

Rgb Pixel(MainWindow& window, int x, int y) { return window.platform().Canvas().Pixel(x, y); }

void Click(MainWindow& window, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
  QTest::mouseClick(window.canvas(), button, Qt::NoModifier, at);
}

// A mouse event with an exact button state (QTest moves carry none).
void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons,
                    modifiers);
  QApplication::sendEvent(widget, &event);
}

// Records the buttons and the text of 2001, its table's one cell, at each; Reset sets 2001.
struct RecordingSession : DialogSession {
  explicit RecordingSession(DialogTemplateId id, bool ignoreCancel = false)
      : templateId(id), ignoresCancel(ignoreCancel) {
    const int table = id == DialogTemplateId::kWeights ? kIdWeightTable
                      : id == DialogTemplateId::kKnots ? kIdKnotTable
                                                       : kIdPointTable;
    ShowTable(DialogTable{table, {"index", "value"}, {"0"}, {2001}, {}});
  }
  DialogTemplateId Template() const override { return templateId; }
  int Open() override { return kStayOpen; }
  int Press(int button) override {
    presses.push_back(button), pressed2001.push_back(Text(2001));
    if (button == kButtonReset) SetText(2001, "42");
    return button == kButtonOk ? 1 : button == kButtonCancel && !ignoresCancel ? 0 : kStayOpen;
  }
  DialogTemplateId templateId;
  bool ignoresCancel;
  std::vector<int> presses;
  std::vector<std::string> pressed2001;
};

}  // namespace

class GuiTest : public QObject {
  Q_OBJECT

  std::unique_ptr<MainWindow> window_;
  QTemporaryDir dir_;
  QHash<QString, QChar> keys_;  // the mnemonic of each menu text met so far

  // A popup is greyed exactly when none of its items can be chosen.
  void CheckPopupGreying(const QList<QAction*>& actions, const QString& path) {
    for (QAction* action : actions) {
      if (action->menu() == nullptr) continue;
      const QList<QAction*> items = action->menu()->actions();
      CheckPopupGreying(items, path + " > " + action->text());
      const bool any = std::any_of(items.begin(), items.end(), [](QAction* item) {
        return !item->isSeparator() && item->isVisible() && item->isEnabled();
      });
      QVERIFY2(action->isEnabled() == any, qPrintable(path + " > " + action->text()));
    }
  }

  // The texts of the tree with a mnemonic each, none twice in one popup; every item says in
  // the status bar what it does.
  void CompareMenu(const QList<QAction*>& actions, const std::vector<MenuNode>& nodes,
                   const QString& path) {
    QCOMPARE(actions.size(), static_cast<qsizetype>(nodes.size()));
    QSet<QChar> mnemonics;
    for (std::size_t i = 0; i < nodes.size() && !QTest::currentTestFailed(); ++i) {
      const MenuNode& node = nodes[i];
      QAction* action = actions[static_cast<qsizetype>(i)];
      const QString where = QStringLiteral("%1 #%2").arg(path).arg(i);
      QVERIFY2(action->isSeparator() == (node.kind == MenuNodeKind::kSeparator) &&
                   (action->menu() != nullptr) == (node.kind == MenuNodeKind::kPopup),
               qPrintable(where));
      if (node.kind == MenuNodeKind::kSeparator) continue;
      // The recent files show their names, not the menu tree's placeholders.
      const bool recent = node.id >= kCmdRecentFile1 && node.id <= kCmdRecentFile5;
      static const QRegularExpression mark(QStringLiteral("&(.)"));
      const QRegularExpressionMatch key = mark.match(action->text());
      QVERIFY2(key.hasMatch() && key.captured(1) != "&", qPrintable(where));
      QVERIFY2(!mnemonics.contains(key.captured(1)[0].toLower()), qPrintable(where));
      mnemonics.insert(key.captured(1)[0].toLower());
      if (!recent) {
        QCOMPARE(QString(action->text()).remove(key.capturedStart(), 1),
                 QString::fromUtf8(node.text));
        // One key for a text wherever it stands ("Knot delete" in B-spline and NURBS).
        const QChar taken = keys_.value(QString::fromUtf8(node.text), key.captured(1)[0].toLower());
        QVERIFY2(taken == key.captured(1)[0].toLower(), qPrintable(where + " " + action->text()));
        keys_.insert(QString::fromUtf8(node.text), taken);
      }
      QVERIFY2(node.kind == MenuNodeKind::kPopup || !action->statusTip().isEmpty(),
               qPrintable(where));
      if (node.kind == MenuNodeKind::kPopup) {
        CompareMenu(action->menu()->actions(), node.children, where + " " + action->text());
      } else {
        QVERIFY2(action->data().toInt() == node.id &&
                     action->objectName() == QStringLiteral("command-%1").arg(node.id),
                 qPrintable(where));
      }
    }
  }

  // Answers the control-file prompt from `start`: whether a name was taken, and the name.
  std::pair<bool, QString> Prompt(std::function<void(QFileDialog*)> answer,
                                  const QString& start = "noname.cnt") {
    const FilePrompt prompt{"Control Data Filename", "Control(*.cnt)", "*.cnt", "cnt", true};
    char name[kMaxFileName];
    std::snprintf(name, sizeof name, "%s", QFile::encodeName(start).constData());
    WhenModal<QFileDialog>(std::move(answer));
    const bool taken = window_->platform().AskFileName(prompt, name);
    return {taken, QFile::decodeName(name)};
  }

 private slots:
  // The recent files go to the test's own settings, emptied before each test.
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() {
    QSettings(QStringLiteral("TAMBRA"), QStringLiteral("TAMBRA")).remove(QStringLiteral("recentFiles"));
    QVERIFY(dir_.isValid());
    ResetModelState();
    window_ = std::make_unique<MainWindow>();
    window_->resize(640, 480), window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() { window_.reset(); }

  // Every copy of an item standing in several popups follows; Qt toggles a checkable action by
  // itself, but the marks must stay what the window procedure set.
  void menuTreeAndItsStateFollowTheWindowProcedure() {
    MainWindow& w = *window_;
    QCOMPARE(w.windowTitle(), "noname.cnt - " + QString::fromUtf8(kWindowTitle));
    CompareMenu(w.menuBar()->actions(), MenuBar(), QStringLiteral("menu bar"));
    if (QTest::currentTestFailed()) return;
    const std::set<int> greyed = {kCmdCloseOutput,  kCmdBezierSimulation, kCmdRationalSimulation,
                                  kCmdTriangularSE, kCmdTriangularNW,     kCmdTriangularSW,
                                  kCmdTriangularNE, kCmdReduceSurfaces,   kCmdYKnots,
                                  kCmdUndo,         kCmdRedo,             kCmdExportMesh};
    for (int id : MenuCommandIds()) {
      if (id >= kCmdRecentFile1 && id <= kCmdRecentFile5) continue;  // shown with a file only
      const auto actions = w.findChildren<QAction*>(QStringLiteral("command-%1").arg(id));
      QVERIFY2(!actions.isEmpty(), qPrintable(QString::number(id)));
      for (QAction* action : actions) {
        QVERIFY2(action->isChecked() == (id == kCmdCurves) &&
                     action->isEnabled() == !greyed.count(id),
                 qPrintable(QString::number(id)));
      }
    }
    Command(w, kCmdSurfaces)->trigger();
    QVERIFY(Model().objectMode == kSurfaces && Command(w, kCmdSurfaces)->isChecked() &&
            !Command(w, kCmdCurves)->isChecked());
    QVERIFY(!Command(w, kCmdReduceLse)->isEnabled() && Command(w, kCmdTriangularSE)->isEnabled());
    CheckPopupGreying(w.menuBar()->actions(), "Surfaces");
    for (int twice = 0; twice < 2; ++twice) Command(w, kCmdCurves)->trigger();
    QVERIFY(Command(w, kCmdCurves)->isChecked() && !Command(w, kCmdSurfaces)->isChecked());
    QVERIFY(Command(w, kCmdReduceLse)->isEnabled() && !Command(w, kCmdTriangularSE)->isEnabled());
    CheckPopupGreying(w.menuBar()->actions(), "Curves");
    w.platform().SetMenuEnabled(kCmdBezierSimulation, true);  // a command that leaves its mark
    w.platform().SetMenuChecked(kCmdBezierSimulation, true);
    Command(w, kCmdBezierSimulation)->trigger();
    QVERIFY(Command(w, kCmdBezierSimulation)->isChecked());
  }

  // Compare reductions on 100 points opens the dock without a modal loop: the table of the six
  // reductions (all but Eck refused, with their reasons), the plot, and the CSV the core writes
  // on the clipboard; the canvas shows Eck's colour. The time includes the plot's first paint.
  // The dock fits a 2x screen of 1600 by 1000 beside the canvas, follows a change of the curve,
  // and where it cannot (Surfaces mode) says it is out of date with a button to run it again.
  // On a model it cannot compare it says why in the status bar and opens nothing.
  void compareReductionsOpensTheDockAndFollowsTheCurve() {
    Command(*window_, kCmdCompareReductions)->trigger();
    QVERIFY(window_->platform().ComparisonDock() == nullptr);
    QCOMPARE(window_->statusBar()->findChild<StatusMessage*>()->Message(),
             "Compare reductions needs a curve of 3 points or more; this one has 0");
    ModelState& m = Model();
    m.pointCount = kMaxPoints;
    for (int i = 0; i < kMaxPoints; ++i) m.points[i] = {20.0f + 6 * i, 240 + 150 * std::sin(i / 9.0f)};
    QElapsedTimer timer;
    timer.start();
    Command(*window_, kCmdCompareReductions)->trigger();
    ComparisonPanel* panel = window_->platform().Panel();
    QDockWidget* dock = window_->platform().ComparisonDock();
    QVERIFY(panel != nullptr && dock != nullptr && dock->isVisible() && dock->widget() == panel &&
            dock->features().testFlags(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable));
    if (panel->Plot() != nullptr) panel->Plot()->grab();
    qInfo("Compare reductions on 100 points: %lld ms", static_cast<long long>(timer.elapsed()));
    QCOMPARE(panel->Table()->rowCount(), 6);
    QCOMPARE(panel->Table()->item(1, 0)->text(), QStringLiteral("Eck"));
    QVERIFY(!panel->Table()->item(1, 2)->text().isEmpty() && !panel->Table()->item(0, 7)->text().isEmpty());
    panel->findChild<QPushButton*>(QStringLiteral("copy-csv"))->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), panel->Csv());
    QVERIFY(panel->Csv().startsWith("method,new degree,") && panel->Csv().count('\n') == 7);
    const QImage shown = window_->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(shown.constBits());
    QVERIFY(std::count(pixels, pixels + shown.width() * shown.height(),
                       0xFF000000u | ComparisonColour(1)) > 0);
    const QSize least = window_->minimumSizeHint();
    QVERIFY2(least.width() <= 800 && least.height() <= 500,
             qPrintable(QStringLiteral("%1 x %2").arg(least.width()).arg(least.height())));

    // A point deleted: the table follows at once.
    const QString before = panel->Csv();
    const QPoint at = window_->canvas()->ToWidget(QRect(int(m.points[50].x), int(m.points[50].y), 1, 1)).topLeft();
    Click(*window_, at, Qt::RightButton);
    QVERIFY(m.pointCount == kMaxPoints - 1 && !panel->OutOfDate() && panel->Csv() != before);
    // Surfaces mode cannot compare curves: out of date, and the button says why.
    Command(*window_, kCmdSurfaces)->trigger();
    QVERIFY(panel->OutOfDate() && panel->RunAgainButton()->isVisible());
    panel->RunAgainButton()->click();
    QVERIFY(window_->statusBar()->findChild<StatusMessage*>()->Message().contains("works on curves"));
    Command(*window_, kCmdCurves)->trigger();
    QVERIFY(!panel->OutOfDate());
    dock->close();
    QVERIFY(!dock->isVisible());
  }

  // A long message ends in an ellipsis before the permanent fields, whole in its tool tip.
  void longStatusMessagesAreElidedBesideThePermanentFields() {
    const std::string text(400, 'x');
    window_->platform().ShowStatus(("Long " + text).c_str());
    QCoreApplication::processEvents();
    auto* message = window_->statusBar()->findChild<QLabel*>("status-message");
    auto* model = window_->statusBar()->findChild<QLabel*>("model-line");
    QVERIFY(message->text().endsWith(QChar(0x2026)) && message->toolTip() == QString::fromStdString("Long " + text));
    QVERIFY(message->geometry().right() < model->geometry().left());
    QVERIFY(message->fontMetrics().horizontalAdvance(message->text()) <= message->contentsRect().width());
  }

  // The default picture (the canvas at the window's size with a curve) is a PNG well under
  // 100 KB that decodes to the canvas.
  void pngIsCompressedAndDecodesToTheCanvas() {
    window_->resize(1000, 700);
    QCoreApplication::processEvents();
    for (QPoint p : {QPoint(100, 400), QPoint(200, 100), QPoint(400, 100), QPoint(500, 400)}) Click(*window_, p);
    Command(*window_, kCmdBezier)->trigger();
    const Raster& raster = window_->platform().Canvas();
    const std::string png = EncodePng(raster);
    QVERIFY2(png.size() < 100 * 1024, qPrintable(QString::number(png.size())));
    QImage image;
    QVERIFY(image.loadFromData(QByteArray(png.data(), qsizetype(png.size())), "PNG"));
    image.convertTo(QImage::Format_RGB32);
    QCOMPARE(image.size(), QSize(raster.width(), raster.height()));
    QVERIFY(std::equal(raster.Data(), raster.Data() + raster.width() * raster.height(),
                       reinterpret_cast<const QRgb*>(image.constBits())));
  }

  // A click adds a point, and its mark shows at 1:1 from the top left; a release outside adds
  // nothing (left of the canvas x would wrap round in the message packing). Only the left
  // button alone drags. Every message updates only the part of the screen it drew, and nothing
  // it drew is missed: after a drag that erases and redraws a curve the screen is the raster.
  void mouseEditsThePointsAndTheScreenFollowsTheRaster() {
    MainWindow& w = *window_;
    QWidget* canvas = w.canvas();
    for (QPoint at : {QPoint(60, 300), QPoint(200, 60), QPoint(380, 350), QPoint(560, 90),
                      QPoint(50, canvas->height() - 1)}) {  // the last row is inside
      Click(w, at);
    }
    QVERIFY(Model().pointCount == 5 && Model().points[1].x == 200 && Model().points[1].y == 60);
    const QImage shown = canvas->grab().toImage();
    QVERIFY((shown.pixel(197, 57) & 0xFFFFFF) == kBlack &&
            (shown.pixel(203, 63) & 0xFFFFFF) == kWhite);
    for (QPoint outside : {QPoint(canvas->width() + 5, 300), QPoint(-3, 300)}) {
      QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
      QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, outside);
      QCOMPARE(Model().pointCount, 5);
    }
    Click(w, QPoint(61, 301), Qt::RightButton);
    QVERIFY(Model().pointCount == 4 && Pixel(w, 60, 300) == kWhite);
    Command(w, kCmdBezier)->trigger();
    SendMouse(canvas, QEvent::MouseButtonPress, QPoint(200, 60), Qt::LeftButton, Qt::LeftButton);
    SendMouse(canvas, QEvent::MouseMove, QPoint(210, 140), Qt::NoButton, Qt::LeftButton,
              Qt::ShiftModifier);  // with Shift held a move is no drag
    QCOMPARE(Model().points[0].y, 60.0f);
    for (int step = 1; step <= 12; ++step) {
      SendMouse(canvas, QEvent::MouseMove, QPoint(200 + 25 * step, 60 + 20 * step), Qt::NoButton,
                Qt::LeftButton);
      QCoreApplication::processEvents();
    }
    SendMouse(canvas, QEvent::MouseButtonRelease, QPoint(500, 300), Qt::LeftButton, Qt::NoButton);
    QCoreApplication::processEvents();
    QVERIFY(Model().pointCount == 4 && Model().points[0].x == 500 && Model().points[0].y == 300);
    const QImage screen = w.screen()->grabWindow(w.winId()).toImage();
    const QImage raster = static_cast<CanvasWidget*>(canvas)->RasterImage();
    QCOMPARE(screen.copy(QRect(canvas->mapTo(&w, QPoint(0, 0)), raster.size()))
                 .convertToFormat(QImage::Format_RGB32),
             raster.convertToFormat(QImage::Format_RGB32));
  }

  // The wheel zooms about the cursor and a middle drag pans; the SVG of what is shown is XML a
  // real parser reads, one element per figure of the display list.
  void wheelAndMiddleDragMoveTheViewAndTheSvgParses() {
    MainWindow& w = *window_;
    auto* canvas = static_cast<CanvasWidget*>(w.canvas());
    for (QPoint at : {QPoint(60, 300), QPoint(200, 60), QPoint(380, 350)}) Click(w, at);
    Command(w, kCmdBezier)->trigger();
    QWheelEvent wheel(QPointF(200, 60), canvas->mapToGlobal(QPointF(200, 60)), QPoint(),
                      QPoint(0, 240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(canvas, &wheel);
    const double scale = kZoomStep * kZoomStep;
    QCOMPARE(w.platform().Canvas().View().scale, scale);
    QCOMPARE(Pixel(w, 200, 60), kBlack);  // the point under the cursor stays
    SendMouse(canvas, QEvent::MouseButtonPress, QPoint(100, 100), Qt::MiddleButton, Qt::MiddleButton);
    SendMouse(canvas, QEvent::MouseMove, QPoint(130, 90), Qt::NoButton, Qt::MiddleButton);
    SendMouse(canvas, QEvent::MouseButtonRelease, QPoint(130, 90), Qt::MiddleButton, Qt::NoButton);
    QCOMPARE(Model().pointCount, 3);
    QCOMPARE(Pixel(w, 230, 50), kBlack);
    const Raster& raster = w.platform().Canvas();
    QXmlStreamReader svg(QByteArray::fromStdString(EncodeSvg(raster, CommandName)));
    int polylines = 0;
    while (!svg.atEnd()) polylines += svg.readNext() == QXmlStreamReader::StartElement && svg.name() == u"polyline";
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
    QCOMPARE(polylines, int(std::count_if(raster.List().Items().begin(), raster.List().Items().end(),
                                          [](const DisplayItem& i) { return i.kind == ItemKind::kPolyline; })));
  }

  // A resize brings a raster of the canvas's size and a full repaint. Exit closes the log and
  // the window; nothing reaches the window procedure after.
  void resizeRepaintsAndExitClosesTheLogAndTheWindow() {
    MainWindow& w = *window_;
    for (QPoint at : {QPoint(40, 40), QPoint(140, 40)}) Click(w, at);
    w.resize(700, 520);
    QTRY_COMPARE(w.platform().Canvas().width(), w.canvas()->width());
    QVERIFY(w.platform().Canvas().height() == w.canvas()->height() &&
            Model().clientHeight == w.canvas()->height() && Pixel(w, 90, 40) == kBlack);
    const QString status = w.statusBar()->findChild<QLabel*>("model-line")->text();
    QVERIFY2(status.contains("Points: 2") && status.contains("Mode: Curves"), qPrintable(status));
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      QVERIFY(dialog->windowTitle() == "Output log" &&
              dialog->acceptMode() == QFileDialog::AcceptSave);
      dialog->selectFile(dir_.filePath("session"));
      static_cast<QDialog*>(dialog)->accept();
    });
    Command(w, kCmdOutput)->trigger();
    QCOMPARE(QFile::decodeName(Model().outputFileName), dir_.filePath("session.dat"));
    QVERIFY(Model().logActive == 1 && QFile::exists(dir_.filePath("session.dat")) &&
            !Command(w, kCmdOutput)->isEnabled() && Command(w, kCmdCloseOutput)->isEnabled());
    // The unsaved clicks show in the title and bring the question; Discard lets Exit go on.
    QVERIFY2(w.windowTitle().startsWith("noname.cnt* - "), qPrintable(w.windowTitle()));
    WhenModal<QMessageBox>([](QMessageBox* box) {
      QVERIFY(box->text() == "Save changes to noname.cnt?");
      box->button(QMessageBox::Discard)->click();
    });
    Command(w, kCmdExit)->trigger();
    QVERIFY(!w.isVisible() && w.destroyed() && w.platform().QuitPosted() &&
            Model().logFile == nullptr && Model().logActive == 0);
    Click(w, QPoint(30, 30));
    QCOMPARE(Model().pointCount, 2);
  }

  // A file named outside the menu (the command line, a drop) opens as File > Open does: its
  // name in the title, first among the recent files, a fresh document with nothing to undo.
  void aNamedFileOpensAsOneStepAndJoinsTheRecentFiles() {
    MainWindow& w = *window_;
    QFile file(dir_.filePath("three.cnt"));
    QVERIFY(file.open(QIODevice::WriteOnly) &&
            file.write("0 3 1 1 4 0 0\r\n(1 1 0) \r\n(2 2 0) \r\n(3 1 0) \r\n1 \r\n1 \r\n1 \r\n"
                       "0 0 0 0 0 0 0 \r\n0 \r\n1 0 0 0 0 50 0 ") > 0);
    file.close();
    w.OpenFile(file.fileName());
    QVERIFY(Model().pointCount == 3 && w.windowTitle().startsWith("three.cnt - "));
    QAction* recent = Command(w, kCmdRecentFile1);
    QVERIFY(recent->isVisible() && recent->text() == "&1 three.cnt" &&
            !Command(w, kCmdRecentFile2)->isVisible());
    QVERIFY(!Command(w, kCmdUndo)->isEnabled() && !Command(w, kCmdRedo)->isEnabled() &&
            !w.windowTitle().startsWith("three.cnt*"));
  }

  // F1 opens the guide from the resources, one window however often it is asked for. It opens
  // with the first steps and their picture, and names every popup and item of the menu (the
  // recent files show file names), every shortcut the menu shows and what the colours mean.
  void f1OpensTheGuideBesideTheWindow() {
    QTest::keyClick(window_.get(), Qt::Key_F1);
    QVERIFY(window_->findChild<UserGuideDialog*>() != nullptr);
    Command(*window_, kCmdUserGuide)->trigger();
    const auto guides = window_->findChildren<UserGuideDialog*>();
    QVERIFY(guides.size() == 1 && guides[0]->isVisible() && !guides[0]->isModal());
    const QString text = guides[0]->browser()->toPlainText(), html = guides[0]->browser()->toHtml();
    QTextBlock heading = guides[0]->browser()->document()->begin();  // the first section's
    while (heading.isValid() && heading.blockFormat().headingLevel() != 2) heading = heading.next();
    QVERIFY(heading.text() == "First steps" &&
            html.section("<h2", 1, 1).contains("curve-reductions.png"));
    const std::function<void(const std::vector<MenuNode>&)> named = [&](const auto& nodes) {
      for (const MenuNode& node : nodes) {
        const bool recent = node.id >= kCmdRecentFile1 && node.id <= kCmdRecentFile5;
        if (node.kind == MenuNodeKind::kSeparator || recent) continue;
        const std::string label = node.text;
        const std::string name = label.ends_with(" ...") ? label : TrimmedMenuText(node.text);
        QVERIFY2(text.contains(QString::fromStdString(name)), name.c_str());
        named(node.children);
      }
    };
    named(MenuBar());
    for (const char* word : {"Black", "Blue", "Red", "Green", ".cnt"})
      QVERIFY2(text.contains(word), word);
    for (QAction* action : window_->findChildren<QAction*>()) {
      for (const QKeySequence& key : action->shortcuts()) {
        const QString shown = key.toString(QKeySequence::PortableText);
        // The platform's extra keys for its standard commands (Ctrl+Ins to copy) are its own.
        bool platforms = false;
        for (auto standard : {QKeySequence::Copy, QKeySequence::Paste, QKeySequence::Open,
                              QKeySequence::Save, QKeySequence::New, QKeySequence::HelpContents})
          platforms = platforms || QKeySequence::keyBindings(standard).contains(key);
        if (key != action->shortcut() && platforms) continue;
        QVERIFY2(text.contains(shown), qPrintable(shown));
      }
    }
    QVERIFY(!QImage(":/guide/pictures/curve-reductions.png").isNull());
    guides[0]->close();
  }

  void dialogButtonsHandTheControlsToTheSession() {
    QtPlatform& platform = window_->platform();
    RecordingSession data(DialogTemplateId::kControlData);
    data.SetText(1076, "5"), data.SetChecked(1144, true);
    WhenModal<TemplateDialog>([&](TemplateDialog* dialog) {
      QLineEdit* rows = Control<QLineEdit>(dialog, 1076);
      QCOMPARE(rows->text(), QStringLiteral("5"));
      rows->selectAll();
      QTest::keyClicks(rows, "7");
      QTest::mouseClick(Control<QCheckBox>(dialog, 1144), Qt::LeftButton);
      QTest::mouseClick(Control<QPushButton>(dialog, kButtonOk), Qt::LeftButton);
    });
    QCOMPARE(platform.RunDialog(data), 1);
    QVERIFY(data.Text(1076) == "7" && !data.Checked(1144));

    // Reset refreshes the fields and stays open; Enter then presses OK.
    RecordingSession knots(DialogTemplateId::kKnots);
    WhenModal<TemplateDialog>([&](TemplateDialog* dialog) {
      QTest::mouseClick(Control<QPushButton>(dialog, kButtonReset), Qt::LeftButton);
      QCOMPARE(Control<QTableView>(dialog, kIdKnotTable)->model()->index(0, 1).data().toString(),
               QStringLiteral("42"));
      QTest::keyClick(Control<QLineEdit>(dialog, 1057), Qt::Key_Return);
    });
    QCOMPARE(platform.RunDialog(knots), 1);
    QCOMPARE(knots.presses, (std::vector<int>{kButtonReset, kButtonOk}));

    // Escape and the close button are Cancel, and close even a session staying open on Cancel.
    for (bool byEscape : {true, false}) {
      RecordingSession weights(DialogTemplateId::kWeights, !byEscape);
      WhenModal<TemplateDialog>([&](TemplateDialog* dialog) {
        // An edit still open counts as typed.
        auto* table = Control<QTableView>(dialog, kIdWeightTable);
        table->edit(table->model()->index(0, 1));
        QTest::keyClicks(table->viewport()->findChild<QLineEdit*>(), "0.5");
        byEscape ? QTest::keyClick(dialog, Qt::Key_Escape) : void(dialog->close());
      });
      QCOMPARE(platform.RunDialog(weights), 0);
      QVERIFY(weights.presses == std::vector<int>{kButtonCancel} &&
              weights.pressed2001 == std::vector<std::string>{"0.5"});
    }
  }

  // A value the dialog cannot take is outlined as it is typed, with the reason as its tip; OK
  // stays open with the focus on it. A field of the other mode is greyed.
  void aMarkedValueHoldsOkWithTheFocusOnIt() {
    ResetModelState();
    ControlDataDialog curve;
    curve.Open();
    QVERIFY(!TemplateDialog(curve).findChild<QLineEdit*>("control-1078")->isEnabled());
    Model().objectMode = kSurfaces, Model().netRows = Model().netCols = 1;
    ControlDataDialog session;
    session.Open();
    WhenModal<TemplateDialog>([&](TemplateDialog* dialog) {
      auto* scale = Control<QLineEdit>(dialog, kIdScale);
      scale->selectAll();
      QTest::keyClicks(scale, "abc");
      QVERIFY(scale->isEnabled() && scale->styleSheet().contains("red") &&
              scale->toolTip().startsWith("Scale must lie between"));
      // A cell is marked as its editor is typed into.
      auto* table = Control<QTableView>(dialog, kIdPointTable);
      table->edit(table->model()->index(0, 1));
      auto* cell = table->viewport()->findChild<QLineEdit*>();
      QTest::keyClicks(cell, "x");
      QVERIFY(cell->styleSheet().contains("red") &&
              table->model()->index(0, 1).data(Qt::ToolTipRole).toString().startsWith(
                  "row (1, 1), column x must be a finite number"));
      QTest::mouseClick(Control<QPushButton>(dialog, kButtonOk), Qt::LeftButton);
      QVERIFY(dialog->isVisible() && dialog->focusWidget() == scale);
      QTest::mouseClick(Control<QPushButton>(dialog, kButtonCancel), Qt::LeftButton);
    });
    QCOMPARE(window_->platform().RunDialog(session), 0);
    QCOMPARE(Model().scale, 1.0f);
  }

  void everyTemplateControlLiesInsideWithoutOverlap() {
    for (const DialogTemplate& layout : DialogTemplates()) {
      RecordingSession session(layout.id);
      TemplateDialog dialog(session);
      std::vector<QWidget*> placed;
      for (const DialogControl& control : layout.controls) {
        if (control.kind == DialogControlKind::kLabel) continue;
        QWidget* widget = Control<QWidget>(&dialog, control.id);
        const QString what = QStringLiteral("%1 %2").arg(layout.name).arg(control.id);
        QVERIFY2(widget && dialog.rect().contains(widget->geometry()), qPrintable(what));
        for (QWidget* other : placed)
          QVERIFY2(!other->geometry().intersects(widget->geometry()), qPrintable(what));
        placed.push_back(widget);
      }
      for (QLabel* label : dialog.findChildren<QLabel*>()) {  // inside, and not cut
        QVERIFY2(dialog.rect().contains(label->geometry()) &&
                     label->fontMetrics().horizontalAdvance(label->text().trimmed()) <=
                         label->width(),
                 qPrintable(QStringLiteral("%1: \"%2\"").arg(layout.name, label->text())));
      }
    }
  }

  // A 100 by 100 net opens with its 10,000 points in under 100 ms (the best of three), every
  // row there to scroll to and every number whole in its column.
  void controlDataShowsAHundredByHundredNetQuickly() {
    ResetModelState();
    ModelState& m = Model();
    m.objectMode = kSurfaces, m.netRows = m.netCols = kMaxNet;
    for (int i = 0; i < kMaxNet; ++i) {
      for (int j = 0; j < kMaxNet; ++j) m.net[i][j] = {-7.5f * i, 0.3333333f * j, -1e6f};
    }
    qint64 best = 1000000;
    for (int run = 0; run < 3; ++run) {
      QElapsedTimer clock;
      clock.start();
      ControlDataDialog session;
      session.Open();
      TemplateDialog dialog(session);
      dialog.show();
      QApplication::processEvents();
      best = std::min(best, clock.elapsed());
      auto* table = Control<QTableView>(&dialog, kIdPointTable);
      QAbstractItemModel* cells = table->model();
      QCOMPARE(cells->rowCount(), kMaxNet * kMaxNet);
      QCOMPARE(cells->index(5999, 0).data().toString(), QStringLiteral("(60, 100)"));
      QCOMPARE(cells->index(5999, 1).data().toString(), QStringLiteral("-442.5"));
      for (int column = 1; column < 4; ++column) {
        const QString widest = column == 3 ? "-1000000" : column == 1 ? "-742.5" : "0.3333333";
        QVERIFY(table->columnWidth(column) > table->fontMetrics().horizontalAdvance(widest));
      }
      dialog.hide();
    }
    qInfo("Control Data with a 100 by 100 net opened in %lld ms", best);
    QVERIFY2(best < 100, qPrintable(QStringLiteral("%1 ms").arg(best)));
  }

  void filePromptTakesOnlyAUsableName() {
    // Save starts in the start name's folder; the name gets the extension and is not created.
    QVERIFY(QDir(dir_.path()).mkdir("from"));
    const auto [taken, name] = Prompt(
        [&](QFileDialog* dialog) {
          QVERIFY(dialog->acceptMode() == QFileDialog::AcceptSave &&
                  dialog->selectedNameFilter() == "Control(*.cnt)" &&
                  dialog->directory() == QDir(dir_.filePath("from")));
          dialog->selectFile(dir_.filePath("fresh"));
          static_cast<QDialog*>(dialog)->accept();
        },
        dir_.filePath("from/start.cnt"));
    QVERIFY(taken && name == dir_.filePath("fresh.cnt") && !QFile::exists(name));

    // Open offers no missing name and starts where the last was chosen; Cancel keeps the name.
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      QVERIFY(dialog->acceptMode() == QFileDialog::AcceptOpen &&
              dialog->fileMode() == QFileDialog::ExistingFile &&
              dialog->directory() == QDir(dir_.path()) &&
              dialog->selectedFiles().value(0) != dir_.filePath("noname.cnt"));
      dialog->reject();
    });
    Command(*window_, kCmdOpen)->trigger();
    QCOMPARE(QString(Model().controlFileName), QStringLiteral("noname.cnt"));
    const std::pair<bool, QString> unchanged(false, "noname.cnt");
    // A missing folder or a path longer than the buffer is refused with a warning.
    for (const QString& bad : {dir_.filePath("missing/in.cnt"), dir_.filePath(QString(250, 'n'))}) {
      bool warned = false;
      const auto refused = Prompt([&](QFileDialog* dialog) {
        WhenModal<QMessageBox>([&](QMessageBox* box) { warned = true, box->accept(); });
        dialog->selectFile(bad);
        static_cast<QDialog*>(dialog)->accept();
        if (dialog->isVisible()) dialog->reject();  // the missing folder keeps it open
      });
      QCOMPARE(refused, unchanged);
      QVERIFY2(warned, qPrintable(bad));
    }
  }
};

QTEST_MAIN(GuiTest)
#include "main_window_gui_test.moc"
