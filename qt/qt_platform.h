// The platform interface on Qt: the raster canvas, the menu items addressed
// by command id, the modal dialogs, the file-name prompt and the message
// boxes, all owned by the main window.
#pragma once

#include <QPointer>
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "base/platform.h"
#include "resources/menu_table.h"

class QAction;
class QDockWidget;
class QListWidget;
class QWidget;

namespace tambra {

class UserGuideDialog;
class ComparisonPanel;

// Caption of the program's message boxes.
inline constexpr const char* kMessageCaption = kProgramName;

class QtPlatform : public Platform {
 public:
  // `window` owns the dialogs and message boxes and is what RequestClose
  // closes.
  explicit QtPlatform(QWidget* window);

  // Registers a menu action of command `id`; one id may have several.
  void AddMenuAction(int id, QAction* action);
  const std::vector<QAction*>& MenuActions(int id) const;
  // Puts the check marks of `id` back to the state the window procedure
  // set last; Qt toggles a checkable action by itself when it is chosen.
  void ReapplyCheckState(int id);

  // Whether the core asked to close (File > Exit, after its own question).
  bool CloseRequested() const { return closeRequested_; }
  // Shows the recent files kept from earlier sessions in the File menu.
  void ShowRecentFiles();

  bool QuitPosted() const { return quitPosted_; }
  int ExitCode() const { return exitCode_; }

  Raster& Canvas() override { return canvas_; }
  double DevicePixelRatio() const override;
  void SetMenuChecked(int id, bool checked) override;
  void SetMenuEnabled(int id, bool enabled) override;
  int RunDialog(DialogSession& dialog) override;
  bool AskFileName(const FilePrompt& prompt, char (&name)[kMaxFileName]) override;
  bool AskOkCancel(const char* text, const char* caption) override;
  void ReportError(const char* text) override;
  void ShowStatus(const char* text) override;
  // A dock beside the canvas, made when first shown.
  void ShowLegend(bool visible, const std::vector<LegendLine>& lines) override;
  void ShowUserGuide() override;
  SaveChangesAnswer AskSaveChanges(const char* text) override;
  void SetWindowTitle(const char* title) override;
  void SetMenuText(int id, const char* text) override;
  // Kept with QSettings, so that the next session shows them too.
  std::vector<std::string> RecentFiles() override;
  void SetRecentFiles(const std::vector<std::string>& files) override;
  void RequestClose() override;
  void PostQuit(int exitCode) override;
  // The comparison in a dock beside the canvas, made at the first
  // comparison; closing the dock hides it until the next.
  void ShowComparison(const Comparison& comparison) override;
  // After a message: a comparison shown runs again on a curve that changed,
  // or is marked out of date when it cannot.
  void FollowComparison();
  ComparisonPanel* Panel() const { return panel_; }
  QDockWidget* ComparisonDock() const { return comparisonDock_; }

 private:
  QWidget* window_;
  QDockWidget* legend_ = nullptr;
  QListWidget* legendList_ = nullptr;
  QPointer<UserGuideDialog> guide_;
  Raster canvas_;
  std::map<int, std::vector<QAction*>> actions_;
  std::map<int, bool> checked_;
  QDockWidget* comparisonDock_ = nullptr;  // owned by the window
  ComparisonPanel* panel_ = nullptr;        // owned by the dock
  std::string comparedInputs_;              // what the comparison shown read
  QString lastFolder_;  // where the last file prompt was confirmed
  bool quitPosted_ = false;
  bool closeRequested_ = false;
  int exitCode_ = 0;
};

// The name filter of a prompt: its label, followed by the pattern in
// parentheses unless the label already ends with it ("Control(*.cnt)").
QString FileNameFilter(const FilePrompt& prompt);

// Message texts are written with CR LF line ends; a label wants LF.
QString MessageText(const char* text);

}  // namespace tambra
