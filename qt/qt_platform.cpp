#include "qt/qt_platform.h"

#include <QAction>
#include <QCoreApplication>
#include <QColor>
#include <QDir>
#include <QDockWidget>
#include <QIcon>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstring>

#include "app/comparison_rerun.h"
#include "app/menu_tree.h"
#include "qt/menu_mnemonics.h"
#include "qt/comparison_panel.h"
#include "qt/status_message.h"
#include "qt/template_dialog.h"
#include "qt/user_guide.h"
#include "resources/command_ids.h"
#include "resources/status_tips.h"
#include "qt/vector_state.h"

namespace tambra {

namespace {

// The file-name prompt. It opens files and also names files to be written,
// so a name that does not exist yet is accepted, but only inside a folder
// that does.
class FileNameDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    const QStringList files = selectedFiles();
    if (!files.isEmpty()) {
      const QFileInfo chosen(files.first());
      if (!chosen.isDir() && !chosen.absoluteDir().exists()) {
        QMessageBox::warning(this, windowTitle(),
                             tr("%1\nThe folder does not exist.")
                                 .arg(QDir::toNativeSeparators(chosen.absolutePath())));
        return;
      }
    }
    QFileDialog::accept();
  }
};

}  // namespace

QString FileNameFilter(const FilePrompt& prompt) {
  const QString label = QString::fromUtf8(prompt.filterLabel);
  const QString pattern = QString::fromUtf8(prompt.filterPattern);
  const QString suffix = QStringLiteral("(%1)").arg(pattern);
  if (label.endsWith(suffix)) return label;
  return QStringLiteral("%1 %2").arg(label, suffix);
}

QString MessageText(const char* text) {
  QString message = QString::fromLocal8Bit(text);
  message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return message;
}

QtPlatform::QtPlatform(QWidget* window) : window_(window) {}

void QtPlatform::AddMenuAction(int id, QAction* action) {
  actions_[id].push_back(action);
  if (action->isChecked()) checked_[id] = true;
}

const std::vector<QAction*>& QtPlatform::MenuActions(int id) const {
  static const std::vector<QAction*> none;
  const auto found = actions_.find(id);
  return found != actions_.end() ? found->second : none;
}

void QtPlatform::ReapplyCheckState(int id) {
  const auto found = checked_.find(id);
  const bool checked = found != checked_.end() && found->second;
  for (QAction* action : MenuActions(id)) {
    if (action->isCheckable()) action->setChecked(checked);
  }
}

void QtPlatform::SetMenuChecked(int id, bool checked) {
  checked_[id] = checked;
  for (QAction* action : MenuActions(id)) {
    // Any item may take a check mark, as in the menu resource.
    if (checked) action->setCheckable(true);
    action->setChecked(checked);
  }
}

namespace {

// A popup is greyed when none of its items can be chosen, and so on up: its
// own entry in the popup above counts as one of that popup's items.
void GreyPopupsOf(QAction* action) {
  for (QObject* owner : action->associatedObjects()) {
    auto* menu = qobject_cast<QMenu*>(owner);
    if (menu == nullptr || menu->menuAction() == nullptr) continue;
    const QList<QAction*> items = menu->actions();
    const bool any = std::any_of(items.begin(), items.end(), [](const QAction* item) {
      return !item->isSeparator() && item->isVisible() && item->isEnabled();
    });
    if (menu->menuAction()->isEnabled() == any) continue;
    menu->menuAction()->setEnabled(any);
    GreyPopupsOf(menu->menuAction());
  }
}

}  // namespace

void QtPlatform::SetMenuEnabled(int id, bool enabled) {
  for (QAction* action : MenuActions(id)) {
    action->setEnabled(enabled);
    GreyPopupsOf(action);
  }
}

int QtPlatform::RunDialog(DialogSession& dialog) {
  TemplateDialog shown(dialog, window_);
  const int result = shown.exec();
  // The core goes on after Qt's own loop and drawing.
  ClearUpperVectorState();
  return result;
}

bool QtPlatform::AskFileName(const FilePrompt& prompt, char (&name)[kMaxFileName]) {
  const QFileInfo start(QFile::decodeName(name));
  // A bare name such as "noname.dat" has no folder of its own: start where
  // the last file was chosen.
  const QString folder = start.isRelative() && !start.fileName().isEmpty() &&
                                 start.path() == QStringLiteral(".") && !lastFolder_.isEmpty()
                             ? lastFolder_
                             : start.absolutePath();
  FileNameDialog dialog(window_, QString::fromUtf8(prompt.title), folder, FileNameFilter(prompt));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  if (prompt.forSaving) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The caller asks its own replace question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  dialog.setDefaultSuffix(QString::fromUtf8(prompt.defaultExtension));
  dialog.setModal(true);
  const QFileInfo offered(QDir(folder), start.fileName());
  if (!start.fileName().isEmpty() && (prompt.forSaving || offered.isFile())) {
    dialog.selectFile(start.fileName());
  }
  const int answer = dialog.exec();
  ClearUpperVectorState();
  if (answer != QDialog::Accepted) return false;

  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return false;
  const QByteArray chosen = QFile::encodeName(files.first());
  // The name buffers hold 255 characters and the terminator.
  if (chosen.isEmpty()) return false;
  if (chosen.size() >= kMaxFileName) {
    QMessageBox::warning(window_, QString::fromUtf8(kMessageCaption),
                         QObject::tr("%1\nThe file name is too long (at most %2 characters).")
                             .arg(files.first())
                             .arg(kMaxFileName - 1));
    return false;
  }
  std::memcpy(name, chosen.constData(), static_cast<std::size_t>(chosen.size()));
  name[chosen.size()] = '\0';
  lastFolder_ = QFileInfo(files.first()).absolutePath();
  return true;
}

bool QtPlatform::AskOkCancel(const char* text, const char* caption) {
  QMessageBox box(QMessageBox::Warning, QString::fromLocal8Bit(caption), MessageText(text),
                  QMessageBox::Ok | QMessageBox::Cancel, window_);
  box.setDefaultButton(QMessageBox::Ok);
  const bool ok = box.exec() == QMessageBox::Ok;
  ClearUpperVectorState();
  return ok;
}

void QtPlatform::ReportError(const char* text) {
  QMessageBox::critical(window_, QString::fromUtf8(kMessageCaption), MessageText(text));
  ClearUpperVectorState();
}

void QtPlatform::ShowStatus(const char* text) {
  if (auto* message = window_->findChild<StatusMessage*>()) {
    message->SetMessage(QString::fromUtf8(text));
  }
}

double QtPlatform::DevicePixelRatio() const {
  return window_ != nullptr ? window_->devicePixelRatioF() : 1.0;
}

void QtPlatform::ShowLegend(bool visible, const std::vector<LegendLine>& lines) {
  auto* main = qobject_cast<QMainWindow*>(window_);
  if (main == nullptr) return;
  if (legend_ == nullptr) {
    legend_ = new QDockWidget(QStringLiteral("Legend"), main);
    legend_->setObjectName(QStringLiteral("legend"));
    legend_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    legendList_ = new QListWidget(legend_);
    legendList_->setSelectionMode(QAbstractItemView::NoSelection);
    legend_->setWidget(legendList_);
    main->addDockWidget(Qt::RightDockWidgetArea, legend_);
  }
  legendList_->clear();
  for (const LegendLine& line : lines) {
    QPixmap swatch(12, 12);
    swatch.fill(QColor::fromRgb(line.colour & 0xFFFFFF));
    legendList_->addItem(new QListWidgetItem(QIcon(swatch), QString::fromStdString(line.text)));
  }
  if (lines.empty()) legendList_->addItem(QStringLiteral("(no results on the canvas)"));
  legend_->setVisible(visible);
}

SaveChangesAnswer QtPlatform::AskSaveChanges(const char* text) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kMessageCaption), MessageText(text),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window_);
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  const int answer = box.exec();
  ClearUpperVectorState();
  if (answer == QMessageBox::Save) return SaveChangesAnswer::kSave;
  if (answer == QMessageBox::Discard) return SaveChangesAnswer::kDiscard;
  return SaveChangesAnswer::kCancel;
}

void QtPlatform::SetWindowTitle(const char* title) {
  window_->setWindowTitle(QFile::decodeName(title));
}

void QtPlatform::SetMenuText(int id, const char* text) {
  // The item keeps its key when the core renames it.
  for (QAction* action : MenuActions(id)) {
    action->setText(
        PlaceMnemonic(QString::fromUtf8(text), action->property(kMnemonicProperty).toChar()));
  }
}

void QtPlatform::ShowUserGuide() {
  // One guide beside the window, which stays usable while it is open.
  if (guide_ == nullptr) guide_ = new UserGuideDialog(window_);
  guide_->show();
  guide_->raise();
  guide_->activateWindow();
}

namespace {

QSettings& Settings() {
  static QSettings settings(QStringLiteral("TAMBRA"), QStringLiteral("TAMBRA"));
  return settings;
}

const QString kRecentKey = QStringLiteral("recentFiles");

}  // namespace

std::vector<std::string> QtPlatform::RecentFiles() {
  std::vector<std::string> files;
  for (const QString& file : Settings().value(kRecentKey).toStringList()) {
    const QByteArray name = QFile::encodeName(file);
    if (!name.isEmpty() && name.size() < kMaxFileName) files.emplace_back(name.toStdString());
    if (static_cast<int>(files.size()) == kRecentFileCount) break;
  }
  return files;
}

void QtPlatform::SetRecentFiles(const std::vector<std::string>& files) {
  QStringList list;
  for (const std::string& file : files) list.push_back(QFile::decodeName(file.c_str()));
  Settings().setValue(kRecentKey, list);
  Settings().sync();
  ShowRecentFiles();
}

void QtPlatform::ShowRecentFiles() {
  const std::vector<std::string> files = RecentFiles();
  for (int i = 0; i < kRecentFileCount; ++i) {
    const bool shown = i < static_cast<int>(files.size());
    const QString path = shown ? QFile::decodeName(files[static_cast<std::size_t>(i)].c_str())
                               : QString();
    for (QAction* action : MenuActions(kCmdRecentFile1 + i)) {
      action->setVisible(shown);
      // An & in a file name is shown, not taken for a shortcut mark.
      QString name = QFileInfo(path).fileName();
      name.replace(QLatin1Char('&'), QStringLiteral("&&"));
      action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
      action->setToolTip(QDir::toNativeSeparators(path));
      action->setStatusTip(shown ? QDir::toNativeSeparators(path)
                                 : QString::fromUtf8(StatusTip(kCmdRecentFile1 + i)));
    }
  }
}

void QtPlatform::ShowComparison(const Comparison& comparison) {
  auto* main = qobject_cast<QMainWindow*>(window_);
  if (main == nullptr) return;
  if (comparisonDock_ == nullptr) {
    comparisonDock_ = new QDockWidget(main);
    comparisonDock_->setObjectName(QStringLiteral("comparison"));
    comparisonDock_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                                 QDockWidget::DockWidgetFloatable);
    panel_ = new ComparisonPanel(comparisonDock_);
    comparisonDock_->setWidget(panel_);
    main->addDockWidget(Qt::RightDockWidgetArea, comparisonDock_);
    // The button runs the comparison as its menu item does, so that a
    // comparison that still cannot run says why on the status line.
    QObject::connect(panel_->RunAgainButton(), &QPushButton::clicked, panel_, [this] {
      const std::vector<QAction*>& actions = MenuActions(panel_->Command());
      if (actions.empty()) return;
      if (!actions.front()->isEnabled()) {
        ShowStatus((CommandName(panel_->Command()) + " works on curves; choose File > Curves")
                       .c_str());
        return;
      }
      actions.front()->trigger();
    });
  }
  comparedInputs_ = ComparisonInputs();
  comparisonDock_->setWindowTitle(QString::fromStdString(comparison.title));
  panel_->ShowComparison(comparison);
  if (comparisonDock_->isHidden()) {
    comparisonDock_->show();
    // The dock takes its room from the canvas now, before the comparison
    // draws: the canvas's resize shows the model alone.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  }
  comparisonDock_->raise();
  ClearUpperVectorState();  // the core goes on after Qt's drawing
}

void QtPlatform::FollowComparison() {
  if (comparisonDock_ == nullptr || comparisonDock_->isHidden() || panel_->Command() == 0) return;
  std::string inputs = ComparisonInputs();
  if (inputs == comparedInputs_) return;
  comparedInputs_ = std::move(inputs);
  const ComparisonRerun rerun = RunComparisonAgain(panel_->Command());
  if (rerun.comparison != nullptr) {
    panel_->ShowComparison(*rerun.comparison);
  } else {
    panel_->ShowOutOfDate(QString::fromStdString(rerun.refusal));
  }
  ClearUpperVectorState();
}

void QtPlatform::RequestClose() {
  closeRequested_ = true;
  window_->close();
  // A close the window refused (it is already going) asks again next time.
  closeRequested_ = false;
}

void QtPlatform::PostQuit(int exitCode) {
  quitPosted_ = true;
  exitCode_ = exitCode;
  // Ends the running event loop. Without one (a window that is deleted
  // before the program's loop runs) there is nothing to end, and telling Qt
  // to quit anyway would make every later loop, a dialog's too, return at
  // once.
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(exitCode);
}

}  // namespace tambra
