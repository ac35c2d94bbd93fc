// The four modal dialogs as logic over their control texts: Control Data
// (net points, sizes, orders, degree steps, view), Weights, Knots and About.
// Opening fills the texts from the object the mode edits (the curve in
// Curves mode, the net in Surfaces mode) without changing the model; OK
// writes back exactly the values typed, into that object only. A value the
// model cannot take is marked as it is typed and holds OK until it is
// corrected; fields that do nothing in the mode are disabled.
#pragma once

#include <string>

#include "base/dialog_session.h"
#include "resources/control_ids.h"

namespace tambra {

class ControlDataDialog : public DialogSession {
 public:
  DialogTemplateId Template() const override { return DialogTemplateId::kControlData; }
  int Open() override;
  int Press(int buttonId) override;
  // Rows N and Columns M resize the table as they are typed.
  bool Edited(int id) override;

 protected:
  std::string Problem(int id) const override;

 private:
  // Shows the points of a net of `rows` by `cols`; a cell shown or typed
  // before keeps its text.
  void ShowPoints(int rows, int cols);
  // The rows and columns OK takes: the typed size, or more where the cells
  // below (beside) it were filled.
  int RowsAtOk() const;
  int ColsAtOk() const;
  void TakeCurve(int rows);
  void TakeNet(int rows, int cols);

  // The object as the dialog opened on it.
  bool curves_ = true;
  bool triangle_ = false;
  int openRows_ = 0;
  int openCols_ = 0;
};

class WeightsDialog : public DialogSession {
 public:
  DialogTemplateId Template() const override { return DialogTemplateId::kWeights; }
  int Open() override;
  int Press(int buttonId) override;

 protected:
  std::string Problem(int id) const override;

 private:
  void ShowWeightTable();
  bool curves_ = true;
  int rows_ = 0;
  int cols_ = 0;
};

class KnotsDialog : public DialogSession {
 public:
  DialogTemplateId Template() const override { return DialogTemplateId::kKnots; }
  int Open() override;
  int Press(int buttonId) override;

 protected:
  std::string Problem(int id) const override;

 private:
  void ShowKnotTable(int count);
  // The order OK takes: the typed one when it is valid, else the shown one.
  int OrderAtOk() const;
  int Accept();
  void Reset();

  bool curves_ = true;
  int direction_ = 0;   // in Surfaces mode: 0 the X knots, 1 the Y knots
  int count_ = 0;       // control points along the edited vector
  int shownOrder_ = 0;  // the order the dialog opened with
};

class AboutDialog : public DialogSession {
 public:
  DialogTemplateId Template() const override { return DialogTemplateId::kAbout; }
  int Open() override { return kStayOpen; }
  int Press(int buttonId) override;
};

}  // namespace tambra
