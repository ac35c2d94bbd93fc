#include "resources/dialog_templates.h"

#include <string>

namespace tambra {

namespace {

// Standard heights in dialog units.
constexpr int kEditHeight = 12;
constexpr int kLabelHeight = 8;
constexpr int kCheckHeight = 10;
constexpr int kButtonHeight = 14;
constexpr int kMargin = 7;

DialogControl Edit(int id, int x, int y, int w) {
  return DialogControl{DialogControlKind::kEdit, id, "", x, y, w, kEditHeight, TextAlign::kLeft};
}

// A label sits two units lower than the edit beside it so the texts line up.
DialogControl Label(const char* text, int x, int y, int w) {
  return DialogControl{DialogControlKind::kLabel, 0, text, x, y + 2, w, kLabelHeight,
                       TextAlign::kLeft};
}

DialogControl CentredLabel(const char* text, int x, int y, int w, int h) {
  return DialogControl{DialogControlKind::kLabel, 0, text, x, y, w, h, TextAlign::kCentre};
}

DialogControl Check(int id, const char* text, int x, int y, int w) {
  return DialogControl{DialogControlKind::kCheck, id, text, x, y, w, kCheckHeight,
                       TextAlign::kLeft};
}

DialogControl Button(int id, const char* text, int x, int y, int w) {
  return DialogControl{DialogControlKind::kButton, id, text, x, y, w, kButtonHeight,
                       TextAlign::kCentre};
}

// A label followed by its edit on one line.
void LabelledEdit(std::vector<DialogControl>& controls, const char* text, int id, int x, int y,
                  int labelWidth, int editWidth) {
  controls.push_back(Label(text, x, y, labelWidth));
  controls.push_back(Edit(id, x + labelWidth + 1, y, editWidth));
}

// Control Data, 375 x 154: seven lines of six points above the bottom band.
//
//   x y z   x y z   x y z   x y z   x y z   x y z      <- row 0: 2001 .. 2018
//   ...                                                  <- row 6: 2109 .. 2126
//   N [ ] Ord.[ ] Deg.[ ] Scale[ ] TX [ ] Phi[ ]  [] X_axis      [ OK ]
//   M [ ] Ord.[ ] Deg.[ ] Grid [ ] TY [ ] Tht[ ]  [] Y_axis    [Cancel]
//                                                 [] Triangles
DialogTemplate ControlDataTemplate() {
  constexpr int kCellWidth = 18;
  constexpr int kCoordinatePitch = kCellWidth + 1;
  constexpr int kPointPitch = 3 * kCoordinatePitch + 4;  // a wider gap between points
  constexpr int kRowPitch = kEditHeight + 1;
  constexpr int kTop = 6;

  DialogTemplate t{DialogTemplateId::kControlData, "ControlData", "Control Data", 375, 154, {}};
  std::vector<DialogControl>& c = t.controls;
  for (int i = 0; i < 7; ++i) {
    for (int j = 0; j < 6; ++j) {
      for (int k = 0; k < 3; ++k) {
        c.push_back(Edit(PointCellId(i, j, k), kMargin + j * kPointPitch + k * kCoordinatePitch,
                         kTop + i * kRowPitch, kCellWidth));
      }
    }
  }

  constexpr int kLineN = 104;
  constexpr int kLineM = 122;
  LabelledEdit(c, "N", kIdN, kMargin, kLineN, 8, 18);
  LabelledEdit(c, "Ord.", kIdXOrder, 39, kLineN, 18, 16);
  LabelledEdit(c, "Deg.", kIdXDegree, 79, kLineN, 18, 16);
  LabelledEdit(c, "Scale", kIdScale, 119, kLineN, 21, 24);
  LabelledEdit(c, "TX", kIdTx, 170, kLineN, 11, 26);
  LabelledEdit(c, "Phi", kIdPhi, 213, kLineN, 14, 26);
  LabelledEdit(c, "M", kIdM, kMargin, kLineM, 8, 18);
  LabelledEdit(c, "Ord.", kIdYOrder, 39, kLineM, 18, 16);
  LabelledEdit(c, "Deg.", kIdYDegree, 79, kLineM, 18, 16);
  LabelledEdit(c, "Grid ", kIdGrid, 119, kLineM, 21, 24);
  LabelledEdit(c, "TY", kIdTy, 170, kLineM, 11, 26);
  LabelledEdit(c, "Tht", kIdTht, 213, kLineM, 14, 26);

  c.push_back(Check(kIdApplyX, "X_axis", 264, 102, 52));
  c.push_back(Check(kIdApplyY, "Y_axis", 264, 118, 52));
  c.push_back(Check(kIdTriangles, "Triangles", 264, 134, 52));
  c.push_back(Button(kButtonOk, "OK", 326, 103, 42));
  c.push_back(Button(kButtonCancel, "Cancel", 326, 121, 42));
  return t;
}

// Weights, 183 x 170: eleven lines of six weights, App Dim and the buttons
// below them.
DialogTemplate WeightsTemplate() {
  constexpr int kCellWidth = 26;
  constexpr int kColumnPitch = kCellWidth + 2;
  constexpr int kRowPitch = kEditHeight + 1;
  constexpr int kTop = 6;

  DialogTemplate t{DialogTemplateId::kWeights, "Weights", "Weights", 183, 170, {}};
  std::vector<DialogControl>& c = t.controls;
  for (int i = 0; i < 11; ++i) {
    for (int j = 0; j < 6; ++j) {
      c.push_back(
          Edit(WeightCellId(i, j), kMargin + j * kColumnPitch, kTop + i * kRowPitch, kCellWidth));
    }
  }
  constexpr int kBand = 151;
  LabelledEdit(c, "App Dim", kIdAppDim, kMargin, kBand, 32, 24);
  c.push_back(Button(kButtonOk, "OK", 72, kBand - 1, 32));
  c.push_back(Button(kButtonCancel, "Cancel", 107, kBand - 1, 32));
  c.push_back(Button(kButtonReset, "Reset", 142, kBand - 1, 32));
  return t;
}

// Knots, 152 x 156: three columns of ten knots (0-9, 10-19, 20-29), the
// buttons and the scalar fields at the right, Knots Ins No below.
DialogTemplate KnotsTemplate() {
  constexpr int kCellWidth = 30;
  constexpr int kColumnPitch = kCellWidth + 4;
  constexpr int kRowPitch = kEditHeight + 1;
  constexpr int kTop = 6;
  constexpr int kRight = 110;
  constexpr int kRightWidth = 36;

  DialogTemplate t{DialogTemplateId::kKnots, "Knots", "Knots ", 152, 156, {}};
  std::vector<DialogControl>& c = t.controls;
  for (int i = 0; i < 30; ++i) {
    c.push_back(Edit(KnotCellId(i), kMargin + (i / 10) * kColumnPitch, kTop + (i % 10) * kRowPitch,
                     kCellWidth));
  }
  c.push_back(Button(kButtonOk, "OK", kRight, kTop, kRightWidth));
  c.push_back(Button(kButtonCancel, "Cancel", kRight, kTop + 17, kRightWidth));
  c.push_back(Button(kButtonReset, "Reset", kRight, kTop + 34, kRightWidth));
  // Label above edit, stacked under the buttons.
  const struct {
    const char* text;
    int id;
  } fields[] = {{"Order", kIdOrder}, {"Degree", kIdDegree}, {"Chaikin", kIdChaikin}};
  int y = 60;
  for (const auto& field : fields) {
    c.push_back(DialogControl{DialogControlKind::kLabel, 0, field.text, kRight, y, kRightWidth,
                              kLabelHeight, TextAlign::kLeft});
    c.push_back(Edit(field.id, kRight, y + 9, kRightWidth));
    y += 24;
  }
  LabelledEdit(c, "Knots Ins No", kIdInsertKnot, kMargin, 138, 54, kCellWidth);
  return t;
}

// About, 175 x 89.
DialogTemplate AboutTemplate() {
  DialogTemplate t{DialogTemplateId::kAbout, "ABOUT", "About TAMBRA", 175, 89, {}};
  std::vector<DialogControl>& c = t.controls;
  c.push_back(CentredLabel("Curves and Surfaces in TAMBRA", 0, 6, 175, 10));
  const char* credits[] = {"The TAMBRA developers", "TAMBRA project",
                           "Free-form curves and surfaces workbench", "Version 0.1"};
  int y = 20;
  for (const char* line : credits) {
    c.push_back(CentredLabel(line, 0, y, 175, kLabelHeight));
    y += 11;
  }
  c.push_back(Button(kButtonOk, "OK", 67, 68, 40));
  return t;
}

}  // namespace

const std::vector<DialogTemplate>& DialogTemplates() {
  static const std::vector<DialogTemplate> templates = {ControlDataTemplate(), WeightsTemplate(),
                                                        KnotsTemplate(), AboutTemplate()};
  return templates;
}

const DialogTemplate& FindDialogTemplate(DialogTemplateId id) {
  for (const DialogTemplate& t : DialogTemplates()) {
    if (t.id == id) return t;
  }
  // Every enumerator has a template; an out-of-range value gets the About box.
  return DialogTemplates().back();
}

const DialogControl* FindDialogControl(const DialogTemplate& dialog, int id) {
  if (id == 0) return nullptr;
  for (const DialogControl& control : dialog.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

}  // namespace tambra
