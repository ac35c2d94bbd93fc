// The window's own commands: File, Edit, the Save switch, the dialogs and
// Help. Each leaves the picture showing the model it changed.
#include <algorithm>

#include "app/command_table.h"
#include "app/control_file.h"
#include "app/dialogs.h"
#include "app/menu_state.h"
#include "app/window_proc.h"
#include "base/canvas.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "base/snapshots.h"
#include "resources/command_ids.h"

namespace tambra {

namespace {

void ShowCurves(Platform& window) {
  SetCurvesMenu(window);
  Model().objectMode = kCurves;
  ShowModel(window);
}

void ShowSurfaces(Platform& window) {
  SetSurfacesMenu(window);
  ModelState& m = Model();
  m.objectMode = kSurfaces;
  // Curves mode keeps its curve in the net's rows: a triangular net is packed
  // again, so that the view, the patches, Save and the snapshot restore see
  // one triangle; one longer than the list holds stops being triangular.
  if (m.triangles == 1) RepackTriangle();
  // The last row of a triangle holds N points: M spans it, or Save, which
  // writes M columns, would cut the triangle (a curve left netCols at 1).
  if (m.triangles == 1) m.netCols = std::max(m.netCols, m.netRows);
  ShowModel(window);
}

void OpenControlFile(Platform& window) {
  ModelState& m = Model();
  const int previousMode = m.objectMode;
  m.acceptRelease = 0;
  char previousName[kMaxFileName];
  std::copy_n(m.controlFileName, kMaxFileName, previousName);
  if (AskFileName(window, kControlFileName, kFileToRead) == 0) return;
  if (LoadControlFile(window) == 0) {
    // The model is still the one it was: Save must not write it over the
    // file that failed to open.
    std::copy_n(previousName, kMaxFileName, m.controlFileName);
    return;
  }
  m.controlFileChosen = 1;
  // A curve file without knots gets the ones that fit its points.
  if (m.objectMode == kCurves) RefreshAutomaticKnots();
  if (m.objectMode != previousMode) {
    MainWindowProc(window, CommandMessage(m.objectMode == kCurves ? kCmdCurves : kCmdSurfaces));
  }
  ShowModel(window);
}

void SaveControlFileAs(Platform& window) {
  ModelState& m = Model();
  m.acceptRelease = 0;
  if (AskFileName(window, kControlFileName, kFileToWrite) == 0) return;
  m.controlFileChosen = 1;
  SaveControlFile(window);
}

// A model without a file of its own asks for a name first.
void SaveUnderCurrentName(Platform& window) {
  if (Model().controlFileChosen == 0) {
    SaveControlFileAs(window);
  } else {
    SaveControlFile(window);
  }
}

void StartOutputLog(Platform& window) {
  Model().acceptRelease = 0;
  if (AskFileName(window, kOutputFileName, kFileToWrite) == 0) return;
  if (OpenOutputLog(window) == 0) return;
  SetOutputMenu(window, true);
}

void StopOutputLog(Platform& window) {
  // Lines that cannot reach the file are reported rather than lost unseen.
  if (CloseOutputLogOnWriteFailure(window) || CloseOutputLog() == 1) SetOutputMenu(window, false);
}

void Exit(Platform& window) { window.RequestClose(); }

void NewModel(Platform& window) {
  ModelState& m = Model();
  m.netCols = 0;
  m.netRows = 0;
  m.pointCount = 0;
  m.curveKind = kNoCurve;
  // A new drawing is not the file opened before.
  m.controlFileChosen = 0;
  ShowModel(window);
}

void Copy(Platform&) { CopyCurve(); }

void Paste(Platform& window) {
  PasteCurve();
  ShowModel(window);
}

// A dialog's OK changes the model: the picture follows it.
template <typename Dialog>
void RunModal(Platform& window) {
  Dialog dialog;
  if (ShowDialog(window, dialog) == 1) ShowModel(window);
}

template <int direction>
void EditKnots(Platform& window) {
  Model().knotsDirection = direction;
  RunModal<KnotsDialog>(window);
}

void ToggleSave(Platform& window) {
  ModelState& m = Model();
  m.saveResults = m.saveResults == 0 ? 1 : 0;
  CheckSaveItems(window, m.saveResults == 1);
}

// Every Save item of the menu runs ToggleSave: the families' Save items
// join the window's own (the joined table sees to it).
constexpr CommandEntry kCommands[] = {
    {kCmdCurves, kInBothModes, ShowCurves},
    {kCmdSurfaces, kInBothModes, ShowSurfaces},
    {kCmdOpen, kInBothModes, OpenControlFile},
    {kCmdSave, kInBothModes, SaveUnderCurrentName},
    {kCmdSaveAs, kInBothModes, SaveControlFileAs},
    {kCmdOutput, kInBothModes, StartOutputLog},
    {kCmdCloseOutput, kInBothModes, StopOutputLog},
    {kCmdExit, kInBothModes, Exit},
    {kCmdNew, kInBothModes, NewModel},
    {kCmdCopy, kInBothModes, Copy},
    {kCmdPaste, kInBothModes, Paste},
    {kCmdControlPoints, kInBothModes, RunModal<ControlDataDialog>},
    {kCmdWeights, kInBothModes, RunModal<WeightsDialog>},
    {kCmdXKnots, kInBothModes, EditKnots<0>},
    {kCmdYKnots, kInSurfaces, EditKnots<1>},  // a curve has one knot vector
    {kCmdAbout, kInBothModes, RunModal<AboutDialog>},
    {kCmdEditSave, kInBothModes, ToggleSave},
};

constexpr MenuEntry kFileLines[] = {
    CheckedMenuItem("Curves", kCmdCurves),
    CheckedMenuItem("Surfaces", kCmdSurfaces),
    MenuSeparator(),
    MenuItem("Open ...", kCmdOpen),
    MenuItem("Save ", kCmdSave),
    MenuItem("Save as ...", kCmdSaveAs),
    MenuSeparator(),
    MenuItem("Output ...", kCmdOutput),
    MenuItem("Close output", kCmdCloseOutput),
    MenuSeparator(),
    MenuItem("Exit", kCmdExit),
};

constexpr MenuEntry kEditLines[] = {
    MenuItem("New", kCmdNew),
    MenuItem("Copy", kCmdCopy),
    MenuItem("Paste", kCmdPaste),
    MenuSeparator(),
    kControlPointsMenuItem,
    MenuItem("Weights ..", kCmdWeights),
    kKnotsMenuPopup,
    SaveMenuItem("Save", kCmdEditSave),
};

constexpr MenuEntry kHelpLines[] = {MenuItem("About TAMBRA", kCmdAbout)};

constexpr MenuEntry kMenu[] = {MenuPopup("File", kFileLines), MenuPopup("Edit", kEditLines)};

// Help closes the menu bar, after every family's popups.
constexpr MenuEntry kHelpPopup[] = {MenuPopup("Help", kHelpLines)};
constexpr MenuInsertion kMenuInsertions[] = {{{}, nullptr, kHelpPopup}};

}  // namespace

FamilyTable WindowCommands() {
  return FamilyTable{.commands = kCommands, .menu = kMenu, .menuInsertions = kMenuInsertions};
}

}  // namespace tambra
