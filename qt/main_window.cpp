#include "qt/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>

#include "app/menu_tree.h"
#include "app/status_line.h"
#include "app/window_proc.h"
#include "base/model_state.h"
#include "qt/canvas_widget.h"
#include "qt/menu_mnemonics.h"
#include "qt/status_message.h"
#include "qt/vector_state.h"
#include "resources/command_ids.h"
#include "resources/status_tips.h"

namespace tambra {

namespace {

// Keyboard shortcuts for the commands users reach for most.
QList<QKeySequence> Shortcuts(int id) {
  switch (id) {
    case kCmdOpen: return QKeySequence::keyBindings(QKeySequence::Open);
    case kCmdSave: return QKeySequence::keyBindings(QKeySequence::Save);
    case kCmdExit: return {QKeySequence(Qt::CTRL | Qt::Key_Q)};
    case kCmdNew: return QKeySequence::keyBindings(QKeySequence::New);
    case kCmdCopy: return QKeySequence::keyBindings(QKeySequence::Copy);
    case kCmdPaste: return QKeySequence::keyBindings(QKeySequence::Paste);
    case kCmdUndo: return {QKeySequence(Qt::CTRL | Qt::Key_Z)};
    case kCmdRedo:
      return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)};
    case kCmdClearResults: return {QKeySequence(Qt::Key_F5)};
    case kCmdFitView: return {QKeySequence(Qt::Key_F)};
    case kCmdActualSize: return {QKeySequence(Qt::CTRL | Qt::Key_0)};
    case kCmdZoomIn: return {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)};
    case kCmdZoomOut: return {QKeySequence(Qt::CTRL | Qt::Key_Minus)};
    case kCmdUserGuide: return QKeySequence::keyBindings(QKeySequence::HelpContents);
    default: return {};
  }
}

bool IsRecentFile(int id) { return id >= kCmdRecentFile1 && id <= kCmdRecentFile5; }

// The local model file a drag carries, or an empty string.
QString DraggedModelFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().first();
  if (!url.isLocalFile()) return {};
  const QString path = url.toLocalFile();
  return path.endsWith(QStringLiteral(".cnt"), Qt::CaseInsensitive) ? path : QString();
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), platform_(std::make_unique<QtPlatform>(this)) {
  setWindowTitle(QString::fromUtf8(kWindowTitle));
  canvas_ = new CanvasWidget(platform_->Canvas(), this);
  setCentralWidget(canvas_);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("model-line"));
  // The model's line stays at the right; command messages show at the left.
  statusBar()->addWidget(new StatusMessage(this), 1);
  statusBar()->addPermanentWidget(status_);
  BuildMenu();
  platform_->ShowRecentFiles();
  setAcceptDrops(true);

  connect(canvas_, &CanvasWidget::resized, this, &MainWindow::OnCanvasResized);
  connect(canvas_, &CanvasWidget::firstShown, this, [this] { Send(Message{MessageKind::kPaint}); });
  connect(canvas_, &CanvasWidget::mouseMessage, this, &MainWindow::Send);

  Send(Message{MessageKind::kCreate});
  canvas_->setFocus();
}

MainWindow::~MainWindow() {
  // A window deleted without being closed still ends its session: an open
  // output log is closed.
  SendDestroy();
}

namespace {

// The popups of the menu bar, the bar itself first, as lists of their texts.
void CollectPopups(const std::vector<MenuNode>& nodes, QList<MnemonicPopup>& popups) {
  MnemonicPopup popup;
  for (const MenuNode& node : nodes) {
    if (node.kind == MenuNodeKind::kSeparator) continue;
    // The recent files are numbered 1 to 5 by the platform.
    if (node.kind == MenuNodeKind::kItem && IsRecentFile(node.id)) {
      popup.taken += QChar(u'1' + (node.id - kCmdRecentFile1));
      continue;
    }
    popup.texts.append(QString::fromUtf8(node.text));
  }
  popups.append(popup);
  for (const MenuNode& node : nodes) {
    if (node.kind == MenuNodeKind::kPopup) CollectPopups(node.children, popups);
  }
}

}  // namespace

void MainWindow::BuildMenu() {
  QList<MnemonicPopup> popups;
  CollectPopups(MenuBar(), popups);
  mnemonics_ = ChooseMnemonics(popups);
  for (const MenuNode& popup : MenuBar()) {
    QMenu* menu = menuBar()->addMenu(Marked(popup.text));
    AddMenuNodes(menu, popup.children);
  }
}

QString MainWindow::Marked(const char* text) const {
  const QString plain = QString::fromUtf8(text);
  return PlaceMnemonic(plain, mnemonics_.value(plain));
}

void MainWindow::AddMenuNodes(QMenu* menu, const std::vector<MenuNode>& nodes) {
  for (const MenuNode& node : nodes) {
    switch (node.kind) {
      case MenuNodeKind::kSeparator: menu->addSeparator(); break;
      case MenuNodeKind::kPopup:
        AddMenuNodes(menu->addMenu(Marked(node.text)), node.children);
        break;
      case MenuNodeKind::kItem: {
        const int id = node.id;
        const QString text = QString::fromUtf8(node.text);
        QAction* action = menu->addAction(IsRecentFile(id) ? text : Marked(node.text));
        if (!IsRecentFile(id) && mnemonics_.contains(text)) {
          action->setProperty(kMnemonicProperty, mnemonics_.value(text));
        }
        if (const char* tip = StatusTip(id)) action->setStatusTip(QString::fromUtf8(tip));
        action->setObjectName(QStringLiteral("command-%1").arg(id));
        action->setData(id);
        if (node.checked) {
          action->setCheckable(true);
          action->setChecked(true);
        }
        action->setShortcuts(Shortcuts(id));
        platform_->AddMenuAction(id, action);
        connect(action, &QAction::triggered, this, [this, id] {
          // The check marks belong to the window procedure, not to Qt's
          // own toggling of a checkable action.
          platform_->ReapplyCheckState(id);
          Send(CommandMessage(id));
        });
        break;
      }
    }
  }
}

void MainWindow::Send(const Message& message) {
  // Nothing reaches the window procedure after its window was destroyed.
  if (destroyed_) return;
  ClearUpperVectorState();
  MainWindowProc(*platform_, message);
  ShowDrawn();
}

void MainWindow::OpenFile(const QString& path) {
  if (destroyed_) return;
  ClearUpperVectorState();
  OpenFileFromOutside(*platform_, QFile::encodeName(path).constData());
  ShowDrawn();
}

void MainWindow::ShowDrawn() {
  // Only what the core drew goes to the screen.
  const PixelRect dirty = platform_->Canvas().TakeDirtyRect();
  if (!dirty.empty()) {
    canvas_->update(canvas_->ToWidget(
        QRect(dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top)));
  }
  status_->setText(QString::fromStdString(StatusLine()));
  platform_->FollowComparison();
}

void MainWindow::OnCanvasResized(int width, int height) {
  // The raster is the client area: the window procedure follows every size
  // change and draws the picture again at the new size, results and all.
  ClearUpperVectorState();
  Send(SizeMessage(width, height));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // File > Exit asked already; the close box asks here.
  if (!destroyed_ && !platform_->CloseRequested()) {
    ClearUpperVectorState();
    const bool mayClose = MayCloseWindow(*platform_);
    ShowDrawn();
    if (!mayClose) {
      event->ignore();
      return;
    }
  }
  SendDestroy();
  event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DraggedModelFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = DraggedModelFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // The drop's own event ends first; the question and the file then come
  // as after a menu command.
  QMetaObject::invokeMethod(this, [this, path] { OpenFile(path); }, Qt::QueuedConnection);
}

void MainWindow::SendDestroy() {
  if (destroyed_) return;
  Send(Message{MessageKind::kDestroy});
  destroyed_ = true;
}

}  // namespace tambra
