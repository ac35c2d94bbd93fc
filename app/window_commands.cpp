// The window's own commands: File, Edit, the Save switch, the dialogs and
// Help. Each leaves the picture showing the model it changed.
#include "app/window_commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/comb.h"
#include "app/command_table.h"
#include "app/control_file.h"
#include "app/dialogs.h"
#include "app/export_commands.h"
#include "app/history.h"
#include "app/legend.h"
#include "app/menu_state.h"
#include "app/view_commands.h"
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
  // A triangle is its packed list; the net beside it follows.
  if (m.triangles == 1) FollowTriangleList(m);
  // The last row of a triangle holds N points: M spans it, or Save, which
  // writes M columns, would cut the triangle.
  if (m.triangles == 1) m.netCols = std::max(m.netCols, m.netRows);
  ShowModel(window);
}

bool HasSomethingToSave() {
  const ModelState& m = Model();
  return m.objectMode == kCurves ? m.pointCount > 0 : m.netRows > 0 && m.netCols > 0;
}

void RememberRecentFile(Platform& window, const std::string& path) {
  std::vector<std::string> files = window.RecentFiles();
  std::erase(files, path);
  files.insert(files.begin(), path);
  if (files.size() > static_cast<std::size_t>(kRecentFileCount)) files.resize(kRecentFileCount);
  window.SetRecentFiles(files);
}

// Reads controlFileName, chosen by the caller, into the model. A file that
// does not open leaves the document, its name, its history and the view as
// they were; one that opens is a fresh document, clean, fitted to the view.
bool LoadChosenFile(Platform& window, const char (&previousName)[kMaxFileName]) {
  ModelState& m = Model();
  const int previousMode = m.objectMode;
  if (LoadControlFile(window) == 0) {
    // The model is still the one it was: Save must not write it over the
    // file that failed to open.
    std::copy_n(previousName, kMaxFileName, m.controlFileName);
    return false;
  }
  m.controlFileChosen = 1;
  // A curve file without knots gets the ones that fit its points.
  if (m.objectMode == kCurves) RefreshAutomaticKnots();
  if (m.objectMode != previousMode) {
    MainWindowProc(window, CommandMessage(m.objectMode == kCurves ? kCmdCurves : kCmdSurfaces));
  }
  ShowModel(window);
  FitView(window);
  DocumentHistory().Reset();
  RememberRecentFile(window, m.controlFileName);
  window.ShowStatus(("Opened " + DocumentFileName()).c_str());
  return true;
}

void OpenControlFile(Platform& window) {
  if (!SettleUnsavedChanges(window)) return;
  ModelState& m = Model();
  m.acceptRelease = 0;
  char previousName[kMaxFileName];
  std::copy_n(m.controlFileName, kMaxFileName, previousName);
  if (AskFileName(window, kControlFileName, kFileToRead) == 0) return;
  LoadChosenFile(window, previousName);
}

// The document is what its file holds now: clean, and a recent file.
void NoteSaved(Platform& window) {
  DocumentHistory().MarkSaved();
  RememberRecentFile(window, Model().controlFileName);
  window.ShowStatus(("Saved " + DocumentFileName()).c_str());
}

// A regular file, or a link to one: what the replace question is about.
// Anything else is refused by the writer without a question.
bool RegularFileExists(const char* name) {
  std::error_code error;
  return std::filesystem::is_regular_file(name, error);
}

bool SaveControlFileAs(Platform& window) {
  ModelState& m = Model();
  m.acceptRelease = 0;
  char previousName[kMaxFileName];
  std::copy_n(m.controlFileName, kMaxFileName, previousName);
  const int previousChosen = m.controlFileChosen;
  if (AskFileName(window, kControlFileName, kFileToWrite) == 0) return false;
  // Only another file that exists is worth the question: the document's own
  // file is what Save writes anyway.
  const bool ownFile =
      previousChosen == 1 && std::strncmp(previousName, m.controlFileName, kMaxFileName) == 0;
  const bool mayWrite = ownFile || !RegularFileExists(m.controlFileName) ||
                        ConfirmReplace(window, m.controlFileName);
  m.controlFileChosen = 1;
  if (mayWrite && SaveControlFile(window)) {
    NoteSaved(window);
    return true;
  }
  // Nothing was written under the new name: the model keeps the file it had,
  // and a later Save does not go to a file that holds none of it.
  std::copy_n(previousName, kMaxFileName, m.controlFileName);
  m.controlFileChosen = previousChosen;
  return false;
}

// A model without a file of its own asks for a name first; one with a file
// writes it without a question.
bool SaveUnderCurrentName(Platform& window) {
  if (Model().controlFileChosen == 0) return SaveControlFileAs(window);
  if (!SaveControlFile(window)) return false;
  NoteSaved(window);
  return true;
}

// Save writes no file for a model without points: refused before the name
// is asked for, with the reason.
bool RefuseEmptySave(Platform& window) {
  if (HasSomethingToSave()) return false;
  window.ShowStatus("Cannot save: the model has no points");
  return true;
}

void SaveCommand(Platform& window) {
  if (!RefuseEmptySave(window)) SaveUnderCurrentName(window);
}

void SaveAsCommand(Platform& window) {
  if (!RefuseEmptySave(window)) SaveControlFileAs(window);
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

void Exit(Platform& window) {
  if (SettleUnsavedChanges(window)) window.RequestClose();
}

// A fresh document that keeps the orders, with no file, at actual size.
void NewModel(Platform& window) {
  if (!SettleUnsavedChanges(window)) return;
  ModelState& m = Model();
  const int order = m.order, xOrder = m.xOrder, yOrder = m.yOrder;
  StartFreshDocument(m);
  m.order = order;
  m.xOrder = xOrder;
  m.yOrder = yOrder;
  m.curveKind = kNoCurve;
  std::snprintf(m.controlFileName, kMaxFileName, "%s", "noname.cnt");
  m.controlFileChosen = 0;
  ActualSize(window);
  ShowModel(window);
  DocumentHistory().Reset();
  window.ShowStatus("New document");
}

void Copy(Platform&) { CopyCurve(); }

// The model put back by Undo or Redo: its mode's menu and its picture. A
// drag in progress ends, its point may be gone.
void ShowRestoredModel(Platform& window) {
  ModelState& m = Model();
  m.pickActive = 0;
  if (m.objectMode == kCurves) {
    SetCurvesMenu(window);
  } else {
    SetSurfacesMenu(window);
  }
  ShowModel(window);
}

void Undo(Platform& window) {
  const std::string step = DocumentHistory().UndoName();
  if (!DocumentHistory().Undo()) return window.ShowStatus("Nothing to undo");
  ShowRestoredModel(window);
  window.ShowStatus(("Undid " + step).c_str());
}

void Redo(Platform& window) {
  const std::string step = DocumentHistory().RedoName();
  if (!DocumentHistory().Redo()) return window.ShowStatus("Nothing to redo");
  ShowRestoredModel(window);
  window.ShowStatus(("Redid " + step).c_str());
}

void ClearResults(Platform& window) {
  ShowModel(window);
  window.ShowStatus("Results cleared");
}

// A recent file that is gone leaves the list, with a message.
template <int index>
void OpenRecentFile(Platform& window) {
  std::vector<std::string> files = window.RecentFiles();
  if (index >= static_cast<int>(files.size())) return;
  const std::string path = files[index];
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    files.erase(files.begin() + index);
    window.SetRecentFiles(files);
    const std::string text =
        "Cannot open \"" + path + "\": the file no longer exists; it is taken off the recent files";
    window.ReportError(text.c_str());
    return;
  }
  OpenModelFile(window, path.c_str());
}

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

void ShowUserGuide(Platform& window) { window.ShowUserGuide(); }

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
    {kCmdSave, kInBothModes, SaveCommand},
    {kCmdSaveAs, kInBothModes, SaveAsCommand},
    {kCmdOutput, kInBothModes, StartOutputLog},
    {kCmdCloseOutput, kInBothModes, StopOutputLog},
    {kCmdExit, kInBothModes, Exit},
    {kCmdRecentFile1, kInBothModes, OpenRecentFile<0>},
    {kCmdRecentFile2, kInBothModes, OpenRecentFile<1>},
    {kCmdRecentFile3, kInBothModes, OpenRecentFile<2>},
    {kCmdRecentFile4, kInBothModes, OpenRecentFile<3>},
    {kCmdRecentFile5, kInBothModes, OpenRecentFile<4>},
    {kCmdUndo, kInBothModes, Undo},
    {kCmdRedo, kInBothModes, Redo},
    {kCmdNew, kInBothModes, NewModel},
    {kCmdCopy, kInBothModes, Copy},
    {kCmdPaste, kInBothModes, Paste},
    {kCmdControlPoints, kInBothModes, RunModal<ControlDataDialog>},
    {kCmdWeights, kInBothModes, RunModal<WeightsDialog>},
    // A curve has one knot vector, a triangular net none.
    {kCmdXKnots, kInCurves | kInRectangularNets, EditKnots<0>},
    {kCmdYKnots, kInRectangularNets, EditKnots<1>},
    {kCmdUserGuide, kInBothModes, ShowUserGuide},
    {kCmdAbout, kInBothModes, RunModal<AboutDialog>},
    {kCmdLegend, kInBothModes, ToggleLegend},
    {kCmdExportPicture, kInBothModes, ExportPicture},
    {kCmdExportMesh, kInSurfaces, ExportMesh},
    {kCmdClearResults, kInBothModes, ClearResults},
    {kCmdFitView, kInBothModes, FitView},
    {kCmdCurvatureComb, kInCurves, ToggleComb},
    {kCmdActualSize, kInBothModes, ActualSize},
    {kCmdZoomIn, kInBothModes, ZoomIn},
    {kCmdZoomOut, kInBothModes, ZoomOut},
    {kCmdEditSave, kInBothModes, ToggleSave},
};

constexpr MenuEntry kFileLines[] = {
    CheckedMenuItem("Curves", kCmdCurves),
    CheckedMenuItem("Surfaces", kCmdSurfaces),
    MenuSeparator(),
    MenuItem("Open ...", kCmdOpen),
    MenuItem("Save ", kCmdSave),
    MenuItem("Save as ...", kCmdSaveAs),
    MenuItem("Export picture ...", kCmdExportPicture),
    MenuItem("Export mesh ...", kCmdExportMesh),
    MenuSeparator(),
    MenuItem("Output ...", kCmdOutput),
    MenuItem("Close output", kCmdCloseOutput),
    MenuSeparator(),
    // The window shows the file names here, and only the lines that have one.
    MenuItem("Recent file 1", kCmdRecentFile1),
    MenuItem("Recent file 2", kCmdRecentFile2),
    MenuItem("Recent file 3", kCmdRecentFile3),
    MenuItem("Recent file 4", kCmdRecentFile4),
    MenuItem("Recent file 5", kCmdRecentFile5),
    MenuSeparator(),
    MenuItem("Exit", kCmdExit),
};

constexpr MenuEntry kEditLines[] = {
    MenuItem("Undo", kCmdUndo),
    MenuItem("Redo", kCmdRedo),
    MenuSeparator(),
    MenuItem("New", kCmdNew),
    MenuItem("Copy", kCmdCopy),
    MenuItem("Paste", kCmdPaste),
    MenuSeparator(),
    kControlPointsMenuItem,
    kWeightsMenuItem,
    kKnotsMenuPopup,
    SaveMenuItem("Save", kCmdEditSave),
};

constexpr MenuEntry kHelpLines[] = {MenuItem("User guide", kCmdUserGuide),
                                    MenuItem("About TAMBRA", kCmdAbout)};

constexpr MenuEntry kViewLines[] = {
    MenuItem("Fit", kCmdFitView),
    MenuItem("Actual size", kCmdActualSize),
    MenuItem("Zoom in", kCmdZoomIn),
    MenuItem("Zoom out", kCmdZoomOut),
    MenuSeparator(),
    MenuItem("Curvature comb", kCmdCurvatureComb),
    MenuItem("Legend", kCmdLegend),
    MenuItem("Clear results", kCmdClearResults),
};

constexpr MenuEntry kMenu[] = {MenuPopup("File", kFileLines), MenuPopup("Edit", kEditLines),
                               MenuPopup("View", kViewLines)};

// Help closes the menu bar, after every family's popups.
constexpr MenuEntry kHelpPopup[] = {MenuPopup("Help", kHelpLines)};
constexpr MenuInsertion kMenuInsertions[] = {{{}, nullptr, kHelpPopup}};

}  // namespace

std::string DocumentFileName() {
  const ModelState& m = Model();
  if (m.controlFileChosen == 0) return "noname.cnt";
  const char* slash = std::strrchr(m.controlFileName, '/');
  return slash != nullptr ? slash + 1 : m.controlFileName;
}

bool SettleUnsavedChanges(Platform& window) {
  if (!DocumentHistory().Dirty()) return true;
  const std::string text = "Save changes to " + DocumentFileName() + "?";
  switch (window.AskSaveChanges(text.c_str())) {
    case SaveChangesAnswer::kSave:
      // Save writes no file for a model without points; saying nothing would
      // leave the user waiting for an action that does not come.
      if (!HasSomethingToSave()) {
        constexpr char kWhy[] = "Cannot save: the model has no points; choose Discard to go on";
        window.ReportError(kWhy);
        window.ShowStatus(kWhy);
        return false;
      }
      return SaveUnderCurrentName(window);
    case SaveChangesAnswer::kDiscard: return true;
    case SaveChangesAnswer::kCancel: break;
  }
  return false;
}

void OpenModelFile(Platform& window, const char* path) {
  if (!SettleUnsavedChanges(window)) return;
  const std::size_t length = std::strlen(path);
  if (length == 0 || length >= static_cast<std::size_t>(kMaxFileName)) {
    const std::string text = std::string("Cannot open \"") + path +
                             "\": the name is empty or longer than 255 characters";
    window.ReportError(text.c_str());
    return;
  }
  ModelState& m = Model();
  char previousName[kMaxFileName];
  std::copy_n(m.controlFileName, kMaxFileName, previousName);
  std::memcpy(m.controlFileName, path, length + 1);
  LoadChosenFile(window, previousName);
}

FamilyTable WindowCommands() {
  return FamilyTable{.commands = kCommands, .menu = kMenu, .menuInsertions = kMenuInsertions};
}

}  // namespace tambra
