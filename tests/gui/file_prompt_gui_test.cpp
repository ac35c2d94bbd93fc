// The file-name prompt and the message boxes of the Qt platform.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "gui_test_support.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "shell/model_state.h"

using namespace tambra;
using gui_test::WhenModal;

namespace {

const FilePrompt kControlPrompt{"Control Data Filename", "Control(*.cnt)", "*.cnt", "cnt"};
const FilePrompt kOutputPrompt{"Output Data Filename", "Output(*.dat)", "*.dat", "dat"};

void SetName(char (&name)[kMaxFileName], const QString& text) {
  const QByteArray bytes = QFile::encodeName(text);
  QVERIFY(bytes.size() < kMaxFileName);
  std::memcpy(name, bytes.constData(), static_cast<std::size_t>(bytes.size()) + 1);
}

QString NameOf(const char (&name)[kMaxFileName]) { return QFile::decodeName(name); }

}  // namespace

class FilePromptTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

 private slots:
  void init() {
    ResetModelState();
    QVERIFY(dir_.isValid());
  }

  void filterShowsTheLabelAndMatchesThePattern() {
    QCOMPARE(FileNameFilter(kControlPrompt), QStringLiteral("Control(*.cnt)"));
    const FilePrompt bare{"t", "Output", "*.dat", "dat"};
    QCOMPARE(FileNameFilter(bare), QStringLiteral("Output (*.dat)"));
    // Qt reads the pattern back out of the filter.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(FileNameFilter(kControlPrompt));
    dialog.setDirectory(dir_.path());
    QFile existing(dir_.filePath(QStringLiteral("shown.cnt")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("Control(*.cnt)"));
  }

  void acceptsANewNameInAnExistingFolderWithTheDefaultSuffix() {
    MainWindow window;
    char name[kMaxFileName] = "noname.cnt";
    bool missed = false;
    QString title, filter;
    bool modal = false;
    WhenModal<QFileDialog>(
        [&](QFileDialog* dialog) {
          title = dialog->windowTitle();
          filter = dialog->selectedNameFilter();
          modal = dialog->isModal();
          dialog->selectFile(dir_.filePath(QStringLiteral("fresh")));
          static_cast<QDialog*>(dialog)->accept();
        },
        &missed);
    QVERIFY(window.platform().AskFileName(kControlPrompt, name));
    QVERIFY(!missed);
    QCOMPARE(title, QStringLiteral("Control Data Filename"));
    QCOMPARE(filter, QStringLiteral("Control(*.cnt)"));
    QVERIFY(modal);
    QCOMPARE(NameOf(name), dir_.filePath(QStringLiteral("fresh.cnt")));
    QVERIFY(!QFile::exists(NameOf(name)));  // asking does not create it
  }

  void startsFromTheNameItIsGiven() {
    MainWindow window;
    const QString start = dir_.filePath(QStringLiteral("start.dat"));
    QFile file(start);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    char name[kMaxFileName];
    SetName(name, start);
    bool missed = false;
    QString directory;
    QStringList selected;
    WhenModal<QFileDialog>(
        [&](QFileDialog* dialog) {
          directory = dialog->directory().absolutePath();
          selected = dialog->selectedFiles();
          static_cast<QDialog*>(dialog)->accept();
        },
        &missed);
    QVERIFY(window.platform().AskFileName(kOutputPrompt, name));
    QVERIFY(!missed);
    QCOMPARE(directory, QDir(dir_.path()).absolutePath());
    QCOMPARE(selected, QStringList{start});
    QCOMPARE(NameOf(name), start);
  }

  void cancelLeavesTheNameAlone() {
    MainWindow window;
    char name[kMaxFileName] = "noname.dat";
    bool missed = false;
    WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); }, &missed);
    QVERIFY(!window.platform().AskFileName(kOutputPrompt, name));
    QVERIFY(!missed);
    QCOMPARE(QString::fromLatin1(name), QStringLiteral("noname.dat"));
  }

  void refusesANameInAMissingFolder() {
    MainWindow window;
    char name[kMaxFileName] = "noname.cnt";
    bool missed = false;
    bool warned = false;
    bool stayedOpen = false;
    WhenModal<QFileDialog>(
        [&](QFileDialog* dialog) {
          WhenModal<QMessageBox>(
              [&](QMessageBox* box) {
                warned = true;
                box->accept();
              },
              &missed);
          dialog->selectFile(dir_.filePath(QStringLiteral("missing/inside.cnt")));
          static_cast<QDialog*>(dialog)->accept();
          stayedOpen = dialog->isVisible();
          dialog->reject();
        },
        &missed);
    QVERIFY(!window.platform().AskFileName(kControlPrompt, name));
    QVERIFY(!missed);
    QVERIFY(warned);
    QVERIFY(stayedOpen);
    QCOMPARE(QString::fromLatin1(name), QStringLiteral("noname.cnt"));
  }

  void refusesANameLongerThanTheBuffer() {
    MainWindow window;
    char name[kMaxFileName] = "noname.cnt";
    // A valid file name in an existing folder, but the whole path is past
    // 255 characters.
    const QString longName = dir_.filePath(QString(250, QLatin1Char('n')) + ".cnt");
    QVERIFY(QFile::encodeName(longName).size() >= kMaxFileName);
    bool missed = false;
    bool warned = false;
    WhenModal<QFileDialog>(
        [&](QFileDialog* dialog) {
          dialog->selectFile(longName);
          static_cast<QDialog*>(dialog)->accept();
        },
        &missed);
    // The warning comes after the file dialog has closed.
    WhenModal<QMessageBox>(
        [&](QMessageBox* box) {
          warned = true;
          box->accept();
        },
        &missed);
    QVERIFY(!window.platform().AskFileName(kControlPrompt, name));
    QVERIFY(!missed);
    QVERIFY(warned);
    QCOMPARE(QString::fromLatin1(name), QStringLiteral("noname.cnt"));
  }

  // File > Output through the real prompt: the chosen name gets its
  // extension, the log opens and the two output items swap.
  void outputCommandOpensTheChosenLog() {
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    bool missed = false;
    QString title;
    WhenModal<QFileDialog>(
        [&](QFileDialog* dialog) {
          title = dialog->windowTitle();
          dialog->selectFile(dir_.filePath(QStringLiteral("session")));
          static_cast<QDialog*>(dialog)->accept();
        },
        &missed);
    window.findChild<QAction*>(QStringLiteral("command-40002"))->trigger();
    QVERIFY(!missed);
    QCOMPARE(title, QStringLiteral("Output Data Filename"));
    const QString path = dir_.filePath(QStringLiteral("session.dat"));
    QCOMPARE(NameOf(Model().outputFileName), path);
    QCOMPARE(Model().logActive, 1);
    QVERIFY(QFile::exists(path));
    QVERIFY(!window.findChild<QAction*>(QStringLiteral("command-40002"))->isEnabled());
    QVERIFY(window.findChild<QAction*>(QStringLiteral("command-40014"))->isEnabled());

    window.findChild<QAction*>(QStringLiteral("command-40014"))->trigger();
    QCOMPARE(Model().logActive, 0);
    QVERIFY(window.findChild<QAction*>(QStringLiteral("command-40002"))->isEnabled());
    QVERIFY(!window.findChild<QAction*>(QStringLiteral("command-40014"))->isEnabled());
  }

  void okCancelQuestion() {
    MainWindow window;
    for (bool answerOk : {true, false}) {
      bool missed = false;
      QString text, caption;
      QMessageBox::Icon icon = QMessageBox::NoIcon;
      WhenModal<QMessageBox>(
          [&](QMessageBox* box) {
            text = box->text();
            caption = box->windowTitle();
            icon = box->icon();
            QVERIFY(box->button(QMessageBox::Ok) != nullptr);
            QVERIFY(box->button(QMessageBox::Cancel) != nullptr);
            box->button(answerOk ? QMessageBox::Ok : QMessageBox::Cancel)->click();
          },
          &missed);
      const bool result = window.platform().AskOkCancel(
          "a.cnt\r\nThis file already exists. \r\nReplace existing file?", "Surfaces in TAMBRA");
      QVERIFY(!missed);
      QCOMPARE(result, answerOk);
      QCOMPARE(text, QStringLiteral("a.cnt\nThis file already exists. \nReplace existing file?"));
      QCOMPARE(caption, QStringLiteral("Surfaces in TAMBRA"));
      QCOMPARE(icon, QMessageBox::Warning);
    }
  }

  void errorReport() {
    MainWindow window;
    bool missed = false;
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal<QMessageBox>(
        [&](QMessageBox* box) {
          text = box->text();
          caption = box->windowTitle();
          icon = box->icon();
          box->accept();
        },
        &missed);
    window.platform().ReportError("Cannot read b.cnt");
    QVERIFY(!missed);
    QCOMPARE(text, QStringLiteral("Cannot read b.cnt"));
    QCOMPARE(caption, QStringLiteral("Surfaces in TAMBRA"));
    QCOMPARE(icon, QMessageBox::Critical);
  }
};

QTEST_MAIN(FilePromptTest)
#include "file_prompt_gui_test.moc"
