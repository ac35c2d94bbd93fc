#include "shell/dialog_session.h"

namespace tambra {

const std::string& DialogSession::Text(int id) const {
  static const std::string empty;
  const auto found = texts_.find(id);
  return found != texts_.end() ? found->second : empty;
}

void DialogSession::SetText(int id, std::string text) { texts_[id] = std::move(text); }

bool DialogSession::Checked(int id) const {
  const auto found = checks_.find(id);
  return found != checks_.end() && found->second;
}

void DialogSession::SetChecked(int id, bool checked) { checks_[id] = checked; }

int ShowDialog(Platform& window, DialogSession& dialog) {
  const int opened = dialog.Open();
  if (opened != kStayOpen) return opened;
  return window.RunDialog(dialog);
}

}  // namespace tambra
