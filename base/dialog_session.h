// A modal dialog as logic over a store of control texts keyed by control id.
// Opening fills the store from the model, OK writes back only what was
// typed; the window system only shows and edits the texts and check states,
// outlines the values the session marks and greys the fields it disables.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/platform.h"
#include "resources/control_ids.h"

namespace tambra {

// Returned by Open and Press while the dialog stays open.
inline constexpr int kStayOpen = -1;

// The cells a dialog shows as a table: one row per point, weight or knot,
// the index column first. The dialog logic decides which cells exist and
// what they read; the window system only shows and edits their texts.
struct DialogTable {
  int id = 0;                         // the table control of the template
  std::vector<std::string> headings;  // "index", then one per column of cells
  std::vector<std::string> rowLabels; // the index column, as the log numbers the rows
  std::vector<int> cellIds;           // rows x (headings - 1) control ids, row by row
  std::vector<int> widths;            // characters of the longest text of each column

  int Rows() const { return static_cast<int>(rowLabels.size()); }
  int CellColumns() const { return static_cast<int>(headings.size()) - 1; }
  int CellId(int row, int column) const {
    return cellIds[static_cast<std::size_t>(row) * CellColumns() + column];
  }
};

class DialogSession {
 public:
  virtual ~DialogSession() = default;
  virtual DialogTemplateId Template() const = 0;
  // Fills the store from the model; returns kStayOpen, or the close result
  // of a dialog that closes at once.
  virtual int Open() = 0;
  // Handles a button; returns kStayOpen or the close result.
  virtual int Press(int buttonId) = 0;
  // The user has finished editing a field, whose text is stored; true when
  // the tables changed with it (a size that adds or drops rows).
  virtual bool Edited(int id) {
    (void)id;
    return false;
  }

  const std::string& Text(int id) const;
  // A text as the user leaves it (typed, or left as shown).
  void SetText(int id, std::string text);
  // A text the dialog shows from the model; OK gives the model value back
  // unchanged while the text is not edited.
  void Show(int id, std::string text);
  // True when the user typed into the field: its text differs from what the
  // dialog showed, or it was never shown and is not empty.
  bool Typed(int id) const;
  bool WasShown(int id) const { return shown_.count(id) != 0; }
  bool Checked(int id) const;
  void SetChecked(int id, bool checked);
  // A check state the dialog shows from the model.
  void ShowChecked(int id, bool checked);
  // True when the user changed the text or check state the dialog showed.
  bool Changed(int id) const;

  // A field that does nothing in the current mode is disabled: the user
  // cannot edit it and OK does not read it. Every control starts enabled.
  void SetEnabled(int id, bool enabled);
  bool Enabled(int id) const { return disabled_.count(id) == 0; }

  // Why the value the user left in a control cannot be taken, empty when
  // it can or was not changed. Marks follow the texts as they are typed.
  std::string Mark(int id) const;
  // The first marked control, 0 when none is.
  int FirstMarked() const;
  // For OK: true when a marked value holds the dialog open; it becomes the
  // objection, the control to focus and the reason to show.
  bool HoldForMarks();
  int ObjectionId() const { return objectionId_; }
  const std::string& Objection() const { return objection_; }
  const std::map<int, std::string>& Texts() const { return texts_; }
  const std::map<int, bool>& Checks() const { return checks_; }

  // The tool tip of a field: what it holds and what it accepts.
  void SetTip(int id, std::string tip) { tips_[id] = std::move(tip); }
  const std::string& Tip(int id) const;

  // Shows a table; the widths are measured from the texts it holds now.
  void ShowTable(DialogTable table);
  const std::vector<DialogTable>& Tables() const { return tables_; }
  const DialogTable* FindTable(int id) const;

 private:
  std::map<int, std::string> texts_;
  std::map<int, std::string> shown_;
  std::map<int, bool> checks_;
  std::map<int, std::string> tips_;
  std::vector<DialogTable> tables_;
  std::map<int, bool> shownChecks_;
  std::map<int, bool> disabled_;
  int objectionId_ = 0;
  std::string objection_;

 protected:
  // Why a changed, enabled control's value cannot be taken ("" when it can);
  // the dialog decides, from every text it holds.
  virtual std::string Problem(int id) const {
    (void)id;
    return {};
  }
};

// Opens the dialog and, unless it closes at once, runs it modally on the
// platform; returns the close result.
int ShowDialog(Platform& window, DialogSession& dialog);

}  // namespace tambra
