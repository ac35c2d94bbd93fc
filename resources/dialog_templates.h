// The four dialog templates as data: caption, size and every control with
// its id and rectangle in dialog units. The Qt layer lays its dialogs out
// from them; the tests read them too.
//
// A dialog unit is a quarter of the dialog font's average character width
// horizontally and an eighth of its height vertically, so a layout keeps its
// proportions whatever font it is shown in.
#pragma once

#include <vector>

#include "resources/control_ids.h"

namespace tambra {

// A table shows the cells of a dialog (points, weights, knots); which rows
// it has is the dialog's to decide when it opens.
enum class DialogControlKind { kEdit, kCheck, kButton, kLabel, kTable };

enum class TextAlign { kLeft, kCentre };

struct DialogControl {
  DialogControlKind kind;
  int id;            // control id; 0 for static labels
  const char* text;  // label, check box or button text; "" for edits and tables
  int x;             // rectangle in dialog units
  int y;
  int w;
  int h;
  TextAlign align;
};

struct DialogTemplate {
  DialogTemplateId id;
  const char* name;     // resource name: "ControlData", "Weights", "Knots", "ABOUT"
  const char* caption;  // window title
  int width;            // client size in dialog units
  int height;
  std::vector<DialogControl> controls;  // in tab order
};

// Every template, in the order of DialogTemplateId.
const std::vector<DialogTemplate>& DialogTemplates();

const DialogTemplate& FindDialogTemplate(DialogTemplateId id);

// The control with this id, or nullptr (labels, id 0, are never found).
const DialogControl* FindDialogControl(const DialogTemplate& dialog, int id);

}  // namespace tambra
