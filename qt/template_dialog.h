// The one Qt dialog behind all four data-entry dialogs: it lays its
// controls out from a dialog template and only shows and edits the texts,
// tables and check states of a DialogSession. Every keystroke goes to the
// session, whose marks outline a value it cannot take in red (the reason as
// its tool tip); fields the session disables are greyed. Every button hands
// the edited values to the session, which decides whether the dialog
// closes; an OK the session holds puts the focus on the marked value.
#pragma once

#include <QDialog>
#include <map>

#include "base/dialog_session.h"
#include "resources/dialog_templates.h"

class QCheckBox;
class QLineEdit;

namespace tambra {

class CellTable;

class TemplateDialog : public QDialog {
  Q_OBJECT

 public:
  TemplateDialog(DialogSession& session, QWidget* parent = nullptr);

  // Pixels per dialog unit for this dialog's font.
  double UnitX() const { return unitX_; }
  double UnitY() const { return unitY_; }

 public slots:
  // The window's close button and Escape: the Cancel button.
  void reject() override;

 private:
  QRect ToPixels(const DialogControl& control) const;
  // Hands the button to the session; returns its answer.
  int Press(int buttonId);
  void StoreControls();
  void LoadControls();
  // The tables as the session now has them.
  void ReloadTables();
  // Column widths from the session's widths in characters.
  void SizeColumns(CellTable* view);
  // Outlines and tool tips of the marked values.
  void ShowMarks();
  // The focus and the reason on the value that held OK.
  void ShowObjection();

  DialogSession& session_;
  double unitX_ = 1.0;
  double unitY_ = 1.0;
  std::map<int, QLineEdit*> edits_;
  std::map<int, QCheckBox*> checks_;
  std::map<int, CellTable*> tables_;
  std::map<int, QString> tips_;  // the tool tips of the fields while unmarked
};

}  // namespace tambra
