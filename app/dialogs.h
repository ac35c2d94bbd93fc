// The four modal dialogs as logic over their control texts: Control Data
// (net points, sizes, orders, degree steps, view), Weights, Knots and About.
// Opening fills the texts from the model, OK reads them back with the
// length cuts and conversions below; the window system only shows them.
#pragma once

#include <string>

#include "base/dialog_session.h"
#include "resources/control_ids.h"

namespace tambra {

// An integral value as "%d", any other as "%7.6f": 3.0 shows as 3, 0.5 as
// 0.500000.
std::string FormatNumber(float value);

class ControlDataDialog : public DialogSession {
 public:
  DialogTemplateId Template() const override { return DialogTemplateId::kControlData; }
  int Open() override;
  int Press(int buttonId) override;
  // Rows N and Columns M resize the table as they are typed.
  bool Edited(int id) override;

 private:
  // Shows the points of a net of `rows` by `cols`; a cell shown or typed
  // before keeps its text.
  void ShowPoints(int rows, int cols);
};

class WeightsDialog : public DialogSession {
 public:
  DialogTemplateId Template() const override { return DialogTemplateId::kWeights; }
  int Open() override;
  int Press(int buttonId) override;

 private:
  void ShowWeights();
};

class KnotsDialog : public DialogSession {
 public:
  DialogTemplateId Template() const override { return DialogTemplateId::kKnots; }
  int Open() override;
  int Press(int buttonId) override;

 private:
  void ShowKnots(int count);
  int Accept();
  void Reset();
};

class AboutDialog : public DialogSession {
 public:
  DialogTemplateId Template() const override { return DialogTemplateId::kAbout; }
  int Open() override { return kStayOpen; }
  int Press(int buttonId) override;
};

}  // namespace tambra
