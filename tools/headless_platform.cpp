#include "tools/headless_platform.h"

#include <cstring>

#include "app/menu_tree.h"
#include "app/window_proc.h"

namespace tambra {

int QueuedAnswers::AnswerDialog(DialogSession& dialog) {
  if (dialogs.empty()) return 0;
  DialogScript script = std::move(dialogs.front());
  dialogs.pop_front();
  return script(dialog);
}

bool QueuedAnswers::AnswerFileName(const FilePrompt& prompt, char (&name)[kMaxFileName]) {
  promptTitles.emplace_back(prompt.title);
  if (fileNames.empty()) return false;
  const std::string answer = std::move(fileNames.front());
  fileNames.pop_front();
  if (answer.empty() || answer.size() >= kMaxFileName) return false;
  std::memcpy(name, answer.c_str(), answer.size() + 1);
  return true;
}

bool QueuedAnswers::AnswerOkCancel(const char* text, const char*) {
  questionsAsked.emplace_back(text);
  if (okCancel.empty()) return false;
  const bool answer = okCancel.front();
  okCancel.pop_front();
  return answer;
}

SaveChangesAnswer QueuedAnswers::AnswerSaveChanges(const char* text) {
  questionsAsked.emplace_back(text);
  if (saveChanges.empty()) return SaveChangesAnswer::kCancel;
  const SaveChangesAnswer answer = saveChanges.front();
  saveChanges.pop_front();
  return answer;
}

HeadlessPlatform::HeadlessPlatform() {
  for (int id : MenuCommandIds()) menu_[id] = ItemState{InitiallyChecked(id), true};
}

void HeadlessPlatform::Start(int width, int height) {
  Send(Message{MessageKind::kCreate});
  Resize(width, height);
}

void HeadlessPlatform::Resize(int width, int height) {
  Send(SizeMessage(width, height));
}

void HeadlessPlatform::Send(const Message& message) {
  if (destroyed_) return;
  MainWindowProc(*this, message);
}

void HeadlessPlatform::Click(int x, int y) {
  Send(MouseMessage(MessageKind::kLeftDown, x, y, kLeftButtonFlag));
  Send(MouseMessage(MessageKind::kLeftUp, x, y));
}

void HeadlessPlatform::RightClick(int x, int y) {
  Send(MouseMessage(MessageKind::kRightDown, x, y, kRightButtonFlag));
  Send(MouseMessage(MessageKind::kRightUp, x, y));
}

void HeadlessPlatform::Command(int id) { Send(CommandMessage(id)); }

bool HeadlessPlatform::Close() {
  if (destroyed_ || !MayCloseWindow(*this)) return false;
  RequestClose();
  return true;
}

std::string HeadlessPlatform::MenuText(int id) const {
  const auto found = menuTexts_.find(id);
  return found != menuTexts_.end() ? found->second : std::string();
}

SaveChangesAnswer HeadlessPlatform::AskSaveChanges(const char* text) {
  return answers_ != nullptr ? answers_->AnswerSaveChanges(text) : SaveChangesAnswer::kCancel;
}

MenuItemState HeadlessPlatform::MenuState(int id) const {
  const auto found = menu_.find(id);
  if (found == menu_.end()) return MenuItemState::kUnchecked;
  if (!found->second.enabled) return MenuItemState::kGreyed;
  return found->second.checked ? MenuItemState::kChecked : MenuItemState::kUnchecked;
}

bool HeadlessPlatform::IsChecked(int id) const {
  const auto found = menu_.find(id);
  return found != menu_.end() && found->second.checked;
}

bool HeadlessPlatform::IsEnabled(int id) const {
  const auto found = menu_.find(id);
  return found == menu_.end() || found->second.enabled;
}

void HeadlessPlatform::SetMenuChecked(int id, bool checked) { menu_[id].checked = checked; }

void HeadlessPlatform::SetMenuEnabled(int id, bool enabled) { menu_[id].enabled = enabled; }

int HeadlessPlatform::RunDialog(DialogSession& dialog) {
  return answers_ != nullptr ? answers_->AnswerDialog(dialog) : 0;
}

bool HeadlessPlatform::AskFileName(const FilePrompt& prompt, char (&name)[kMaxFileName]) {
  return answers_ != nullptr && answers_->AnswerFileName(prompt, name);
}

bool HeadlessPlatform::AskOkCancel(const char* text, const char* caption) {
  return answers_ != nullptr && answers_->AnswerOkCancel(text, caption);
}

void HeadlessPlatform::ReportError(const char* text) {
  errors_.emplace_back(text);
  if (errorSink_) errorSink_(text);
}

void HeadlessPlatform::RequestClose() {
  Send(Message{MessageKind::kDestroy});
  destroyed_ = true;
}

void HeadlessPlatform::PostQuit(int exitCode) {
  quitPosted_ = true;
  exitCode_ = exitCode;
}

}  // namespace tambra
