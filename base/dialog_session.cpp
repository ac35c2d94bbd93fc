#include "base/dialog_session.h"

namespace tambra {

const std::string& DialogSession::Text(int id) const {
  static const std::string empty;
  const auto found = texts_.find(id);
  return found != texts_.end() ? found->second : empty;
}

void DialogSession::SetText(int id, std::string text) { texts_[id] = std::move(text); }

void DialogSession::Show(int id, std::string text) {
  shown_[id] = text;
  texts_[id] = std::move(text);
}

bool DialogSession::Typed(int id) const {
  const auto shown = shown_.find(id);
  if (shown == shown_.end()) return !Text(id).empty();
  return shown->second != Text(id);
}

bool DialogSession::Checked(int id) const {
  const auto found = checks_.find(id);
  return found != checks_.end() && found->second;
}

void DialogSession::SetChecked(int id, bool checked) { checks_[id] = checked; }

int ShowDialog(Platform& window, DialogSession& dialog) {
  int result = dialog.Open();
  if (result == kStayOpen) result = window.RunDialog(dialog);
  // Values refused are named on the status line, one line, no box.
  if (!dialog.Refusals().empty()) {
    std::string message = "Not taken: ";
    for (const std::string& why : dialog.Refusals()) {
      message += (&why == &dialog.Refusals().front() ? "" : "; ") + why;
    }
    window.ShowStatus(message.c_str());
  }
  return result;
}

}  // namespace tambra
