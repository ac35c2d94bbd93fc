// The main window: the menu built from the joined menu bar, the canvas, a status
// line. Every user action becomes a window message for MainWindowProc; the
// window itself only translates.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <memory>
#include <vector>

#include "base/window_messages.h"
#include "qt/qt_platform.h"
#include "resources/menu_table.h"

class QLabel;
class QMenu;

namespace tambra {

class CanvasWidget;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  QtPlatform& platform() { return *platform_; }
  CanvasWidget* canvas() const { return canvas_; }
  // Whether the destroy message has gone to the window procedure.
  bool destroyed() const { return destroyed_; }

  // Sends one message to the window procedure and shows what it drew.
  void Send(const Message& message);
  // Opens a model file named outside the menu (the command line, a drop),
  // asking first about unsaved changes.
  void OpenFile(const QString& path);


 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenu();
  void AddMenuNodes(QMenu* menu, const std::vector<MenuNode>& nodes);
  // A menu text with its mnemonic marked.
  QString Marked(const char* text) const;
  void OnCanvasResized(int width, int height);
  void SendDestroy();
  // Shows what the core drew and its status line.
  void ShowDrawn();

  std::unique_ptr<QtPlatform> platform_;
  CanvasWidget* canvas_ = nullptr;
  QLabel* status_ = nullptr;
  QHash<QString, QChar> mnemonics_;  // of every menu text
  bool destroyed_ = false;
};

}  // namespace tambra
