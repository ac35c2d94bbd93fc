// A platform without a window system, for tests and the replay tool. The
// canvas is an in-memory raster, the menu state a table, and the answers to
// dialogs, file prompts and questions come from a HeadlessAnswers object
// (without one every prompt is cancelled).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/comparison.h"
#include "base/platform.h"
#include "base/window_messages.h"

namespace tambra {

class HeadlessAnswers {
 public:
  virtual ~HeadlessAnswers() = default;
  virtual int AnswerDialog(DialogSession& dialog) = 0;
  virtual bool AnswerFileName(const FilePrompt& prompt, char (&name)[kMaxFileName]) = 0;
  virtual bool AnswerOkCancel(const char* text, const char* caption) = 0;
  // Unless answered otherwise, the question about unsaved changes is
  // cancelled: nothing is lost and the action does not happen.
  virtual SaveChangesAnswer AnswerSaveChanges(const char*) { return SaveChangesAnswer::kCancel; }
};

// Answers queued by a test, consumed in order; an empty queue cancels.
class QueuedAnswers : public HeadlessAnswers {
 public:
  using DialogScript = std::function<int(DialogSession&)>;
  std::deque<DialogScript> dialogs;
  std::deque<std::string> fileNames;  // an empty string cancels the prompt
  std::deque<bool> okCancel;
  std::deque<SaveChangesAnswer> saveChanges;  // an empty queue cancels
  std::vector<std::string> questionsAsked;  // the replace and the save-changes questions
  std::vector<std::string> promptTitles;

  int AnswerDialog(DialogSession& dialog) override;
  bool AnswerFileName(const FilePrompt& prompt, char (&name)[kMaxFileName]) override;
  bool AnswerOkCancel(const char* text, const char* caption) override;
  SaveChangesAnswer AnswerSaveChanges(const char* text) override;
};

enum class MenuItemState { kUnchecked, kChecked, kGreyed };

class HeadlessPlatform : public Platform {
 public:
  HeadlessPlatform();

  // The program's start: the creation message, then a size message.
  void Start(int width = 800, int height = 600);
  // Resizes the canvas (cleared to white) and sends the size message.
  void Resize(int width, int height);
  // Sends a message to the window procedure, unless the window is gone.
  void Send(const Message& message);
  void Click(int x, int y);
  void RightClick(int x, int y);
  void Command(int id);
  // The window's close box: the question about unsaved changes, then the
  // window ends unless it was cancelled. True when the window closed.
  bool Close();

  void SetAnswers(HeadlessAnswers* answers) { answers_ = answers; }
  MenuItemState MenuState(int id) const;
  bool IsChecked(int id) const;
  bool IsEnabled(int id) const;
  bool QuitPosted() const { return quitPosted_; }
  int ExitCode() const { return exitCode_; }
  bool Destroyed() const { return destroyed_; }
  const std::vector<std::string>& Errors() const { return errors_; }
  void ClearErrors() { errors_.clear(); }
  // The last status line shown, empty before any.
  const std::string& Status() const { return status_; }
  const std::string& Title() const { return title_; }
  // The legend as last shown; empty while hidden.
  const std::vector<LegendLine>& Legend() const { return legend_; }
  // The text of a menu item the window procedure has set, else empty.
  std::string MenuText(int id) const;
  // Called with every error report as well (the replay tool prints them).
  void SetErrorSink(std::function<void(const std::string&)> sink) { errorSink_ = std::move(sink); }

  Raster& Canvas() override { return canvas_; }
  void SetMenuChecked(int id, bool checked) override;
  void SetMenuEnabled(int id, bool enabled) override;
  int RunDialog(DialogSession& dialog) override;
  bool AskFileName(const FilePrompt& prompt, char (&name)[kMaxFileName]) override;
  bool AskOkCancel(const char* text, const char* caption) override;
  void ReportError(const char* text) override;
  // How many messages the status line was given: a new one since a look
  // means the last action said something.
  int StatusCount() const { return statusCount_; }
  void ShowStatus(const char* text) override {
    status_ = text;
    ++statusCount_;
    if (statusSink_ && !status_.empty()) statusSink_(status_);
  }
  // Counts the requests; there is no guide to show without a window.
  void ShowUserGuide() override { ++guideRequests_; }
  int GuideRequests() const { return guideRequests_; }
  // Every non-empty status message also goes to the sink.
  void SetStatusSink(std::function<void(const std::string&)> sink) { statusSink_ = std::move(sink); }
  SaveChangesAnswer AskSaveChanges(const char* text) override;
  void SetWindowTitle(const char* title) override { title_ = title; }
  void ShowLegend(bool visible, const std::vector<LegendLine>& lines) override {
    legend_ = visible ? lines : std::vector<LegendLine>{};
  }
  void SetMenuText(int id, const char* text) override { menuTexts_[id] = text; }
  // Kept in memory only.
  std::vector<std::string> RecentFiles() override { return recent_; }
  void SetRecentFiles(const std::vector<std::string>& files) override { recent_ = files; }
  void RequestClose() override;
  void PostQuit(int exitCode) override;
  // Kept as the last comparison shown.
  void ShowComparison(const Comparison& comparison) override {
    comparison_ = std::make_shared<const Comparison>(comparison);
  }
  // The comparison shown last, null before any.
  const Comparison* LastComparison() const { return comparison_.get(); }

 private:
  struct ItemState {
    bool checked = false;
    bool enabled = true;
  };
  Raster canvas_;
  std::map<int, ItemState> menu_;
  HeadlessAnswers* answers_ = nullptr;
  std::vector<std::string> errors_;
  std::string status_;
  int statusCount_ = 0;
  std::string title_;
  std::map<int, std::string> menuTexts_;
  std::vector<std::string> recent_;
  std::function<void(const std::string&)> errorSink_;
  std::function<void(const std::string&)> statusSink_;
  std::vector<LegendLine> legend_;
  std::shared_ptr<const Comparison> comparison_;
  bool quitPosted_ = false;
  bool destroyed_ = false;
  int exitCode_ = 0;
  int guideRequests_ = 0;
};

}  // namespace tambra
