// The generic data-entry dialog: built from the templates, filled from a
// session, handing every button to it.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "gui_test_support.h"
#include "qt/canvas_widget.h"
#include "qt/main_window.h"
#include "qt/template_dialog.h"
#include "resources/dialog_templates.h"
#include "shell/dialog_session.h"
#include "shell/model_state.h"

using namespace tambra;
using gui_test::WhenModal;

namespace {

// A session that records the buttons and the values it was handed.
class RecordingSession : public DialogSession {
 public:
  explicit RecordingSession(DialogTemplateId id) : id_(id) {}
  DialogTemplateId Template() const override { return id_; }
  int Open() override { return kStayOpen; }
  int Press(int buttonId) override {
    presses.push_back(buttonId);
    textsAtPress.push_back(Texts());
    if (buttonId == kButtonReset) {
      SetText(2001, "42");
      SetText(2002, "");
      return kStayOpen;
    }
    if (ignoreCancel && buttonId == kButtonCancel) return kStayOpen;
    return buttonId == kButtonOk ? 1 : buttonId == kButtonCancel ? 0 : kStayOpen;
  }

  std::vector<int> presses;
  std::vector<std::map<int, std::string>> textsAtPress;
  bool ignoreCancel = false;

 private:
  DialogTemplateId id_;
};

template <typename T>
T* Control(QWidget* dialog, int id) {
  return dialog->findChild<T*>(QStringLiteral("control-%1").arg(id));
}

const char* KindName(DialogControlKind kind) {
  switch (kind) {
    case DialogControlKind::kEdit: return "edit";
    case DialogControlKind::kCheck: return "check";
    case DialogControlKind::kButton: return "button";
    case DialogControlKind::kLabel: return "label";
  }
  return "?";
}

QRect Geometry(QWidget* dialog, int id) { return Control<QWidget>(dialog, id)->geometry(); }

}  // namespace

class DialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { ResetModelState(); }

  void typedTextReachesTheSessionOnOk() {
    MainWindow window;
    RecordingSession session(DialogTemplateId::kControlData);
    session.SetText(1076, "5");
    session.SetText(2001, "100");
    session.SetChecked(1144, true);
    session.SetChecked(1146, false);

    bool missed = false;
    QString shownN;
    bool shownApplyX = false;
    WhenModal<TemplateDialog>(
        [&](TemplateDialog* dialog) {
          shownN = Control<QLineEdit>(dialog, 1076)->text();
          shownApplyX = Control<QCheckBox>(dialog, 1144)->isChecked();
          QLineEdit* rows = Control<QLineEdit>(dialog, 1076);
          rows->selectAll();
          QTest::keyClicks(rows, QStringLiteral("7"));
          QTest::keyClicks(Control<QLineEdit>(dialog, 2004), QStringLiteral("-12.5"));
          QTest::mouseClick(Control<QCheckBox>(dialog, 1144), Qt::LeftButton);
          QTest::mouseClick(Control<QCheckBox>(dialog, 1146), Qt::LeftButton);
          QTest::mouseClick(Control<QPushButton>(dialog, kButtonOk), Qt::LeftButton);
        },
        &missed);
    const int result = window.platform().RunDialog(session);
    QVERIFY(!missed);
    QCOMPARE(shownN, QStringLiteral("5"));
    QVERIFY(shownApplyX);
    QCOMPARE(result, 1);
    QCOMPARE(session.presses, std::vector<int>{kButtonOk});
    QCOMPARE(session.Text(1076), std::string("7"));
    QCOMPARE(session.Text(2001), std::string("100"));
    QCOMPARE(session.Text(2004), std::string("-12.5"));
    QVERIFY(!session.Checked(1144));
    QVERIFY(session.Checked(1146));
    // Every edit of the template was handed over, also the untouched ones.
    QCOMPARE(session.textsAtPress.at(0).count(2126), std::size_t{1});
  }

  void resetRefreshesTheFieldsAndStaysOpen() {
    MainWindow window;
    RecordingSession session(DialogTemplateId::kKnots);
    session.SetText(2001, "0");
    session.SetText(2002, "1");
    bool missed = false;
    QString afterReset1, afterReset2;
    bool stillOpen = false;
    WhenModal<TemplateDialog>(
        [&](TemplateDialog* dialog) {
          QTest::mouseClick(Control<QPushButton>(dialog, kButtonReset), Qt::LeftButton);
          afterReset1 = Control<QLineEdit>(dialog, 2001)->text();
          afterReset2 = Control<QLineEdit>(dialog, 2002)->text();
          stillOpen = dialog->isVisible();
          QTest::mouseClick(Control<QPushButton>(dialog, kButtonCancel), Qt::LeftButton);
        },
        &missed);
    const int result = window.platform().RunDialog(session);
    QVERIFY(!missed);
    QVERIFY(stillOpen);
    QCOMPARE(afterReset1, QStringLiteral("42"));
    QCOMPARE(afterReset2, QString());
    QCOMPARE(result, 0);
    QCOMPARE(session.presses, (std::vector<int>{kButtonReset, kButtonCancel}));
  }

  void escapeAndTheCloseButtonAreCancel() {
    MainWindow window;
    for (bool byEscape : {true, false}) {
      RecordingSession session(DialogTemplateId::kWeights);
      bool missed = false;
      WhenModal<TemplateDialog>(
          [&](TemplateDialog* dialog) {
            QTest::keyClicks(Control<QLineEdit>(dialog, 2001), QStringLiteral("0.5"));
            if (byEscape) {
              QTest::keyClick(dialog, Qt::Key_Escape);
            } else {
              dialog->close();
            }
          },
          &missed);
      const int result = window.platform().RunDialog(session);
      QVERIFY(!missed);
      QCOMPARE(result, 0);
      QCOMPARE(session.presses, std::vector<int>{kButtonCancel});
      QCOMPARE(session.textsAtPress.at(0).at(2001), std::string("0.5"));
    }
  }

  void enterPressesOk() {
    MainWindow window;
    RecordingSession session(DialogTemplateId::kKnots);
    bool missed = false;
    WhenModal<TemplateDialog>(
        [&](TemplateDialog* dialog) {
          QLineEdit* order = Control<QLineEdit>(dialog, 1057);
          QTest::keyClicks(order, QStringLiteral("3"));
          QTest::keyClick(order, Qt::Key_Return);
        },
        &missed);
    QCOMPARE(window.platform().RunDialog(session), 1);
    QVERIFY(!missed);
    QCOMPARE(session.presses, std::vector<int>{kButtonOk});
    QCOMPARE(session.Text(1057), std::string("3"));
  }

  // A session that keeps the dialog open on Cancel must not trap the user:
  // a close request still closes, as Cancel.
  void closeRequestAlwaysCloses() {
    MainWindow window;
    RecordingSession session(DialogTemplateId::kControlData);
    session.ignoreCancel = true;
    bool missed = false;
    WhenModal<TemplateDialog>(
        [&](TemplateDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }, &missed);
    QCOMPARE(window.platform().RunDialog(session), 0);
    QVERIFY(!missed);
    QCOMPARE(session.presses, std::vector<int>{kButtonCancel});
  }

  void everyTemplateControlIsBuiltInsideTheDialog() {
    for (const DialogTemplate& layout : DialogTemplates()) {
      RecordingSession session(layout.id);
      TemplateDialog dialog(session);
      QCOMPARE(dialog.windowTitle(), QString::fromUtf8(layout.caption));
      const QRect client = dialog.rect();
      std::vector<std::pair<QRect, QString>> placed;
      int labels = 0;
      for (const DialogControl& control : layout.controls) {
        const QString what =
            QStringLiteral("%1 %2 %3 \"%4\"")
                .arg(QString::fromUtf8(layout.name), QString::fromUtf8(KindName(control.kind)))
                .arg(control.id)
                .arg(QString::fromUtf8(control.text));
        QWidget* widget = nullptr;
        switch (control.kind) {
          case DialogControlKind::kEdit: widget = Control<QLineEdit>(&dialog, control.id); break;
          case DialogControlKind::kCheck: widget = Control<QCheckBox>(&dialog, control.id); break;
          case DialogControlKind::kButton:
            widget = Control<QPushButton>(&dialog, control.id);
            break;
          case DialogControlKind::kLabel: ++labels; continue;
        }
        QVERIFY2(widget != nullptr, qPrintable(what));
        QVERIFY2(client.contains(widget->geometry()), qPrintable(what));
        for (const auto& [rect, other] : placed) {
          QVERIFY2(!rect.intersects(widget->geometry()), qPrintable(what + " overlaps " + other));
        }
        placed.emplace_back(widget->geometry(), what);
      }
      const QList<QLabel*> shownLabels = dialog.findChildren<QLabel*>();
      QCOMPARE(shownLabels.size(), static_cast<qsizetype>(labels));
      for (QLabel* label : shownLabels) {
        QVERIFY2(client.contains(label->geometry()), qPrintable(label->text()));
        // A label is wide enough for its text.
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text().trimmed()) <= label->width(),
                 qPrintable(QStringLiteral("%1: \"%2\" is cut")
                                .arg(QString::fromUtf8(layout.name), label->text())));
      }
    }
  }

  void controlDataCellsFormSevenLinesOfSixPoints() {
    RecordingSession session(DialogTemplateId::kControlData);
    TemplateDialog dialog(session);
    QCOMPARE(dialog.findChildren<QLineEdit*>().size(), qsizetype{126 + 12});
    auto cell = [&](int i, int j, int c) { return Geometry(&dialog, 2001 + (6 * i + j) * 3 + c); };
    for (int i = 0; i < 7; ++i) {
      for (int j = 0; j < 6; ++j) {
        for (int c = 0; c < 3; ++c) {
          const QRect here = cell(i, j, c);
          QCOMPARE(here.top(), cell(i, 0, 0).top());  // one line per row
          if (i > 0) QVERIFY(here.top() > cell(i - 1, j, c).bottom());
          if (i > 0) QCOMPARE(here.left(), cell(i - 1, j, c).left());
        }
        // x, y, z side by side, then a wider gap to the next point.
        // (Pixel gaps may differ by one through rounding.)
        const int gapXY = cell(i, j, 1).left() - cell(i, j, 0).right();
        const int gapYZ = cell(i, j, 2).left() - cell(i, j, 1).right();
        QVERIFY(gapXY > 0 && gapYZ > 0);
        QVERIFY(std::abs(gapXY - gapYZ) <= 1);
        if (j < 5) {
          QVERIFY(cell(i, j + 1, 0).left() - cell(i, j, 2).right() > std::max(gapXY, gapYZ) + 2);
        }
      }
    }
    // The bottom band lies below the cells; OK and Cancel at the right.
    const int cellsBottom = cell(6, 0, 0).bottom();
    for (int id : {1076, 1077, 1078, 1079, 1080, 1081, 1082, 1083, 1084, 1085, 1086, 1087, 1144,
                   1145, 1146, kButtonOk, kButtonCancel}) {
      QVERIFY2(Geometry(&dialog, id).top() > cellsBottom, qPrintable(QString::number(id)));
    }
    for (int id : {kButtonOk, kButtonCancel}) {
      for (int other : {1082, 1081, 1144, 1145, 1146}) {
        QVERIFY(Geometry(&dialog, id).left() > Geometry(&dialog, other).right());
      }
    }
    // The N line holds N, Ord. and Deg. of X; the M line those of Y.
    for (int id : {1084, 1086})
      QCOMPARE(Geometry(&dialog, id).top(), Geometry(&dialog, 1076).top());
    for (int id : {1085, 1087})
      QCOMPARE(Geometry(&dialog, id).top(), Geometry(&dialog, 1077).top());
    QVERIFY(Geometry(&dialog, 1077).top() > Geometry(&dialog, 1076).bottom());
  }

  void labelsNameTheirEdits() {
    RecordingSession session(DialogTemplateId::kControlData);
    TemplateDialog dialog(session);
    std::map<int, QString> names;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      if (label->buddy() != nullptr)
        names[label->buddy()->objectName().mid(8).toInt()] = label->text();
    }
    const std::map<int, QString> expected = {{1076, "N"},     {1077, "M"},     {1084, "Ord."},
                                             {1085, "Ord."},  {1086, "Deg."},  {1087, "Deg."},
                                             {1078, "Scale"}, {1083, "Grid "}, {1079, "TX"},
                                             {1080, "TY"},    {1082, "Phi"},   {1081, "Tht"}};
    QCOMPARE(names, expected);
  }

  void weightsAndKnotsGrids() {
    {
      RecordingSession session(DialogTemplateId::kWeights);
      TemplateDialog dialog(session);
      for (int i = 0; i < 11; ++i) {
        for (int j = 0; j < 6; ++j) {
          const QRect here = Geometry(&dialog, 2001 + 6 * i + j);
          QCOMPARE(here.top(), Geometry(&dialog, 2001 + 6 * i).top());
          QCOMPARE(here.left(), Geometry(&dialog, 2001 + j).left());
          if (j > 0) QVERIFY(here.left() > Geometry(&dialog, 2001 + 6 * i + j - 1).right());
          if (i > 0) QVERIFY(here.top() > Geometry(&dialog, 2001 + 6 * (i - 1) + j).bottom());
        }
      }
      QVERIFY(Control<QWidget>(&dialog, 2067) == nullptr);
      for (int id : {1056, kButtonOk, kButtonCancel, kButtonReset})
        QVERIFY(Control<QWidget>(&dialog, id));
    }
    {
      RecordingSession session(DialogTemplateId::kKnots);
      TemplateDialog dialog(session);
      for (int k = 0; k < 30; ++k) {
        const QRect here = Geometry(&dialog, 2001 + k);
        const int column = k / 10;
        const int row = k % 10;
        QCOMPARE(here.left(), Geometry(&dialog, 2001 + 10 * column).left());
        QCOMPARE(here.top(), Geometry(&dialog, 2001 + row).top());
        if (column > 0) QVERIFY(here.left() > Geometry(&dialog, 2001 + k - 10).right());
        if (row > 0) QVERIFY(here.top() > Geometry(&dialog, 2000 + k).bottom());
      }
      QVERIFY(Control<QWidget>(&dialog, 2031) == nullptr);
      for (int id : {1057, 1055, 1059, 1058, kButtonOk, kButtonCancel, kButtonReset}) {
        QVERIFY(Control<QWidget>(&dialog, id));
      }
    }
  }

  // The model's dialogs, opened from the menu, edit the model through the
  // Qt dialog.
  void controlPointsDialogFromTheMenuEditsThePoints() {
    MainWindow window;
    window.resize(640, 480);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (QPoint at : {QPoint(100, 300), QPoint(200, 100), QPoint(400, 100), QPoint(500, 300)}) {
      QTest::mouseClick(window.canvas(), Qt::LeftButton, Qt::NoModifier, at);
    }
    bool missed = false;
    QString caption, shownX1, shownY3, shownScale;
    WhenModal<TemplateDialog>(
        [&](TemplateDialog* dialog) {
          caption = dialog->windowTitle();
          // A curve is column 0 of the net: point i is on line i.
          shownX1 = Control<QLineEdit>(dialog, 2001 + 18 * 1)->text();
          shownY3 = Control<QLineEdit>(dialog, 2001 + 18 * 3 + 1)->text();
          shownScale = Control<QLineEdit>(dialog, 1078)->text();
          QLineEdit* x1 = Control<QLineEdit>(dialog, 2001 + 18 * 1);
          x1->selectAll();
          QTest::keyClicks(x1, QStringLiteral("250"));
          QTest::mouseClick(Control<QPushButton>(dialog, kButtonOk), Qt::LeftButton);
        },
        &missed);
    window.findChild<QAction*>(QStringLiteral("command-40009"))->trigger();
    QVERIFY(!missed);
    QCOMPARE(caption, QStringLiteral("Control Data"));
    QCOMPARE(shownX1, QStringLiteral("200"));
    QCOMPARE(shownY3, QStringLiteral("300"));
    QCOMPARE(shownScale, QStringLiteral("1"));
    QCOMPARE(Model().pointCount, 4);
    QCOMPARE(Model().points[1].x, 250.0f);
    QCOMPARE(Model().points[1].y, 100.0f);
  }

  void knotsResetFromTheMenuRefreshesTheCells() {
    MainWindow window;
    window.resize(640, 480);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (QPoint at : {QPoint(100, 300), QPoint(200, 100), QPoint(400, 100), QPoint(500, 300)}) {
      QTest::mouseClick(window.canvas(), Qt::LeftButton, Qt::NoModifier, at);
    }
    bool missed = false;
    QStringList opened, afterReset;
    bool stillOpen = false;
    auto cells = [](TemplateDialog* dialog) {
      QStringList texts;
      for (int i = 0; i < 9; ++i) texts << Control<QLineEdit>(dialog, 2001 + i)->text();
      return texts;
    };
    WhenModal<TemplateDialog>(
        [&](TemplateDialog* dialog) {
          opened = cells(dialog);
          QLineEdit* order = Control<QLineEdit>(dialog, 1057);
          order->selectAll();
          QTest::keyClicks(order, QStringLiteral("2"));
          QTest::mouseClick(Control<QPushButton>(dialog, kButtonReset), Qt::LeftButton);
          afterReset = cells(dialog);
          stillOpen = dialog->isVisible();
          QTest::mouseClick(Control<QPushButton>(dialog, kButtonCancel), Qt::LeftButton);
        },
        &missed);
    window.findChild<QAction*>(QStringLiteral("command-40020"))->trigger();
    QVERIFY(!missed);
    // Four points of order 4: the clamped uniform vector, nothing after it.
    QCOMPARE(opened, (QStringList{"0", "0", "0", "0", "1", "1", "1", "1", ""}));
    // Order 2 over four points, the cells after it blanked.
    QCOMPARE(afterReset, (QStringList{"0", "0", "1", "2", "3", "3", "", "", ""}));
    QVERIFY(stillOpen);
    QCOMPARE(Model().order, 4);  // Cancel: the order was not taken
  }

  void aboutBoxShowsTheTitleLineAndCredits() {
    RecordingSession session(DialogTemplateId::kAbout);
    TemplateDialog dialog(session);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About TAMBRA"));
    QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    QCOMPARE(labels.size(), qsizetype{5});
    std::sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) { return a->y() < b->y(); });
    QCOMPARE(labels.first()->text(), QStringLiteral("Curves in TAMBRA"));
    QVERIFY(labels.first()->alignment() & Qt::AlignHCenter);
    for (QLabel* label : labels) QVERIFY(!label->text().trimmed().isEmpty());
    QPushButton* ok = Control<QPushButton>(&dialog, kButtonOk);
    QVERIFY(ok != nullptr);
    QVERIFY(ok->y() > labels.last()->geometry().bottom());
  }
};

QTEST_MAIN(DialogTest)
#include "dialog_gui_test.moc"
