// The four modal dialogs as logic over their control texts: Control Data
// (net points, sizes, orders, degree steps, view), Weights, Knots and About.
// Opening fills the texts from the model, OK reads them back with the
// length cuts and conversions below; the window system only shows them.
#pragma once

#include <string>

#include "shell/dialog_session.h"

namespace tambra {

// Control ids.
inline constexpr int kFirstCellId = 2001;
inline constexpr int kIdN = 1076, kIdM = 1077;
inline constexpr int kIdXOrder = 1084, kIdYOrder = 1085;
inline constexpr int kIdXDegree = 1086, kIdYDegree = 1087;
inline constexpr int kIdScale = 1078, kIdGrid = 1083;
inline constexpr int kIdTx = 1079, kIdTy = 1080, kIdPhi = 1082, kIdTht = 1081;
inline constexpr int kIdApplyX = 1144, kIdApplyY = 1145, kIdTriangles = 1146;
inline constexpr int kIdAppDim = 1056;
inline constexpr int kIdOrder = 1057, kIdDegree = 1055, kIdChaikin = 1059, kIdInsertKnot = 1058;

// Shown blocks.
inline constexpr int kControlRows = 7, kControlCols = 6;
inline constexpr int kWeightRows = 11, kWeightCols = 6;
inline constexpr int kKnotCells = 30;

// Id of the cell of net point (i, j), coordinate c (x 0, y 1, z 2).
inline int PointCellId(int i, int j, int c) { return kFirstCellId + (kControlCols * i + j) * 3 + c; }
inline int WeightCellId(int i, int j) { return kFirstCellId + kWeightCols * i + j; }
inline int KnotCellId(int i) { return kFirstCellId + i; }

// An integral value as "%d", any other as "%7.6f": 3.0 shows as 3, 0.5 as
// 0.500000.
std::string FormatNumber(float value);

class ControlDataDialog : public DialogSession {
 public:
  DialogTemplateId Template() const override { return DialogTemplateId::kControlData; }
  int Open() override;
  int Press(int buttonId) override;
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
