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

DialogControl Table(int id, int x, int y, int w, int h) {
  return DialogControl{DialogControlKind::kTable, id, "", x, y, w, h, TextAlign::kLeft};
}

// A label above its edit.
void StackedEdit(std::vector<DialogControl>& controls, const char* text, int id, int x, int y,
                 int w) {
  controls.push_back(
      DialogControl{DialogControlKind::kLabel, 0, text, x, y, w, kLabelHeight, TextAlign::kLeft});
  controls.push_back(Edit(id, x, y + 9, w));
}

// Control Data, 433 x 200: the table of points at the left, one row per
// point of the net; the sizes, orders, degree steps and view at the right,
// the N direction beside the M direction.
//
//   +-------------------+  Rows N           [  ]  Columns M         [  ]
//   | index x   y   z   |  Order of N       [  ]  Order of M        [  ]
//   | 1     ...         |  Degree step of N [  ]  Degree step of M  [  ]
//   | 2     ...         |  Scale            [  ]  Grid              [  ]
//   | ...               |  Translate X      [  ]  Translate Y       [  ]
//   |                   |  Phi              [  ]  Theta             [  ]
//   |                   |  [] X_axis  [] Y_axis  [] Triangles
//   +-------------------+                               [ OK ] [Cancel]
DialogTemplate ControlDataTemplate() {
  constexpr int kLabelWidth = 68;
  constexpr int kEditWidth = 44;
  constexpr int kColumnPitch = kLabelWidth + 1 + kEditWidth + 6;
  constexpr int kLeft = 194;
  constexpr int kRight = kLeft + kColumnPitch;
  constexpr int kPitch = 16;

  DialogTemplate t{DialogTemplateId::kControlData, "ControlData", "Control Data", 433, 200, {}};
  std::vector<DialogControl>& c = t.controls;
  c.push_back(Table(kIdPointTable, kMargin, kMargin, 180, 186));
  const struct {
    const char* left;
    int leftId;
    const char* right;
    int rightId;
  } lines[] = {{"Rows N", kIdN, "Columns M", kIdM},
               {"Order of N", kIdXOrder, "Order of M", kIdYOrder},
               {"Degree step of N", kIdXDegree, "Degree step of M", kIdYDegree},
               {"Scale", kIdScale, "Grid", kIdGrid},
               {"Translate X", kIdTx, "Translate Y", kIdTy},
               {"Phi", kIdPhi, "Theta", kIdTht}};
  int y = kMargin;
  for (const auto& line : lines) {
    LabelledEdit(c, line.left, line.leftId, kLeft, y, kLabelWidth, kEditWidth);
    LabelledEdit(c, line.right, line.rightId, kRight, y, kLabelWidth, kEditWidth);
    // The view values start a group of their own below the directions.
    y += line.leftId == kIdXDegree ? kPitch + 6 : kPitch;
  }
  y += 6;
  c.push_back(Check(kIdApplyX, "X_axis", kLeft, y, 52));
  c.push_back(Check(kIdApplyY, "Y_axis", kLeft + 60, y, 52));
  c.push_back(Check(kIdTriangles, "Triangles", kLeft + 120, y, 60));
  constexpr int kButtonsTop = 200 - kMargin - kButtonHeight;
  c.push_back(Button(kButtonOk, "OK", 433 - kMargin - 2 * 50 - 4, kButtonsTop, 50));
  c.push_back(Button(kButtonCancel, "Cancel", 433 - kMargin - 50, kButtonsTop, 50));
  return t;
}

// Weights, 235 x 184: the table of weights, one row per point of the net,
// the buttons and App Dim at the right.
DialogTemplate WeightsTemplate() {
  constexpr int kRight = 144;
  constexpr int kRightWidth = 84;
  DialogTemplate t{DialogTemplateId::kWeights, "Weights", "Weights", 235, 184, {}};
  std::vector<DialogControl>& c = t.controls;
  c.push_back(Table(kIdWeightTable, kMargin, kMargin, 130, 170));
  c.push_back(Button(kButtonOk, "OK", kRight, kMargin, 50));
  c.push_back(Button(kButtonCancel, "Cancel", kRight, kMargin + 17, 50));
  c.push_back(Button(kButtonReset, "Reset", kRight, kMargin + 34, 50));
  StackedEdit(c, "Approximation degree", kIdAppDim, kRight, 66, kRightWidth);
  return t;
}

// Knots, 207 x 184: the table of knots, one row per knot in use; the
// buttons and the scalar fields at the right, each label above its edit.
DialogTemplate KnotsTemplate() {
  constexpr int kRight = 124;
  constexpr int kRightWidth = 76;
  DialogTemplate t{DialogTemplateId::kKnots, "Knots", "Knots", 207, 184, {}};
  std::vector<DialogControl>& c = t.controls;
  c.push_back(Table(kIdKnotTable, kMargin, kMargin, 110, 170));
  c.push_back(Button(kButtonOk, "OK", kRight, kMargin, 50));
  c.push_back(Button(kButtonCancel, "Cancel", kRight, kMargin + 17, 50));
  c.push_back(Button(kButtonReset, "Reset", kRight, kMargin + 34, 50));
  const struct {
    const char* text;
    int id;
  } fields[] = {{"Order", kIdOrder},
                {"Degree step", kIdDegree},
                {"Chaikin steps", kIdChaikin},
                {"Knot to insert", kIdInsertKnot}};
  int y = 62;
  for (const auto& field : fields) {
    StackedEdit(c, field.text, field.id, kRight, y, kRightWidth);
    y += 26;
  }
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
