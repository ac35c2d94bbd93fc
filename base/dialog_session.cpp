#include "base/dialog_session.h"

#include <algorithm>

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

void DialogSession::ShowChecked(int id, bool checked) {
  shownChecks_[id] = checked;
  checks_[id] = checked;
}

bool DialogSession::Changed(int id) const {
  if (checks_.count(id) != 0) {
    const auto shown = shownChecks_.find(id);
    return shown == shownChecks_.end() || shown->second != Checked(id);
  }
  return Typed(id);
}

void DialogSession::SetEnabled(int id, bool enabled) {
  if (enabled) {
    disabled_.erase(id);
  } else {
    disabled_[id] = true;
  }
}

std::string DialogSession::Mark(int id) const {
  return Enabled(id) && Changed(id) ? Problem(id) : std::string();
}

int DialogSession::FirstMarked() const {
  for (const auto& [id, text] : texts_) {
    if (!Mark(id).empty()) return id;
  }
  for (const auto& [id, checked] : checks_) {
    if (!Mark(id).empty()) return id;
  }
  return 0;
}

bool DialogSession::HoldForMarks() {
  objectionId_ = FirstMarked();
  objection_ = objectionId_ != 0 ? Mark(objectionId_) : std::string();
  return objectionId_ != 0;
}

const std::string& DialogSession::Tip(int id) const {
  static const std::string empty;
  const auto found = tips_.find(id);
  return found != tips_.end() ? found->second : empty;
}

void DialogSession::ShowTable(DialogTable table) {
  table.widths.assign(table.headings.size(), 0);
  const auto widen = [&](std::size_t column, const std::string& text) {
    table.widths[column] = std::max(table.widths[column], static_cast<int>(text.size()));
  };
  for (std::size_t k = 0; k < table.headings.size(); ++k) widen(k, table.headings[k]);
  for (const std::string& label : table.rowLabels) widen(0, label);
  const std::size_t columns = table.headings.empty() ? 0 : table.headings.size() - 1;
  for (std::size_t k = 0; k < table.cellIds.size() && columns > 0; ++k)
    widen(1 + k % columns, Text(table.cellIds[k]));
  for (DialogTable& shown : tables_) {
    if (shown.id == table.id) {
      shown = std::move(table);
      return;
    }
  }
  tables_.push_back(std::move(table));
}

const DialogTable* DialogSession::FindTable(int id) const {
  for (const DialogTable& table : tables_) {
    if (table.id == id) return &table;
  }
  return nullptr;
}

int ShowDialog(Platform& window, DialogSession& dialog) {
  const int result = dialog.Open();
  return result == kStayOpen ? window.RunDialog(dialog) : result;
}

}  // namespace tambra
