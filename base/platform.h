// What the core needs from the window system: the main window's canvas,
// its menu state, modal dialogs, the file-name prompt, the message box and
// the end of the program; the window also owns what its displays keep
// between drawings. The Qt layer implements it for the real window;
// HeadlessPlatform implements it for tests and the replay tool.
#pragma once

#include <string>
#include <vector>

#include "base/display_cache.h"
#include "base/model_state.h"
#include "base/raster.h"

namespace tambra {

class DialogSession;
struct Comparison;

// The settings of one file-name prompt.
struct FilePrompt {
  const char* title;             // "Open model"
  const char* filterLabel;       // "Control(*.cnt)"
  const char* filterPattern;     // "*.cnt"
  const char* defaultExtension;  // "cnt"
  // A name to write (a save dialog, a new name allowed) rather than a file
  // to read (an open dialog, the file must exist).
  bool forSaving = false;
};

// The answers to "Save changes to NAME?".
enum class SaveChangesAnswer { kSave, kDiscard, kCancel };

// One line of the legend beside the canvas: a result's colour and what drew
// it ("Eck reduction: max deviation 0.83 px").
struct LegendLine {
  Rgb colour;
  std::string text;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The client area's raster; drawing into it is what the user sees.
  virtual Raster& Canvas() = 0;

  // Raster pixels to a pixel of the user's screen: 2 on a high-density
  // screen at 2x, where the raster has the screen's own pixels and one
  // model unit shows as one pixel of the unzoomed canvas at two raster
  // pixels. Mouse positions arrive in raster pixels.
  virtual double DevicePixelRatio() const { return 1.0; }

  // Menu items addressed by command id.
  virtual void SetMenuChecked(int id, bool checked) = 0;
  virtual void SetMenuEnabled(int id, bool enabled) = 0;

  // Shows the dialog modally and returns its close result (1 OK, 0 Cancel).
  virtual int RunDialog(DialogSession& dialog) = 0;

  // Asks for a file name, starting from the one in `name`. On confirmation
  // the chosen name is left in `name` and the result is true.
  virtual bool AskFileName(const FilePrompt& prompt, char (&name)[kMaxFileName]) = 0;

  // An OK / Cancel question with the exclamation icon; true for OK.
  virtual bool AskOkCancel(const char* text, const char* caption) = 0;

  // Asks "Save changes to NAME?" before the model with unsaved changes is
  // replaced or the window closed; `text` is the whole question.
  virtual SaveChangesAnswer AskSaveChanges(const char* text) = 0;

  // The main window's title.
  virtual void SetWindowTitle(const char* title) = 0;

  // The text a menu item shows (Undo and Redo name their step).
  virtual void SetMenuText(int id, const char* text) = 0;

  // The files opened last, the latest first; the platform keeps them across
  // sessions where it can, and shows them in the File menu.
  virtual std::vector<std::string> RecentFiles() = 0;
  virtual void SetRecentFiles(const std::vector<std::string>& files) = 0;

  // Tells the user that a file operation failed.
  virtual void ReportError(const char* text) = 0;

  // One line in the status bar, no modal box: why a command did nothing,
  // or what it measured.
  virtual void ShowStatus(const char* text) = 0;

  // Shows the legend beside the canvas with these lines, or hides it.
  virtual void ShowLegend(bool visible, const std::vector<LegendLine>& lines) = 0;
  // Shows the user guide that ships with the program, beside the window;
  // the model and the canvas stay as they are.
  virtual void ShowUserGuide() = 0;
  // Shows a comparison of methods (base/comparison.h) in a dock beside
  // the canvas that stays open while the user goes on; a later comparison
  // replaces it.
  virtual void ShowComparison(const Comparison& comparison) = 0;

  // The close message: its default handling destroys the window, which
  // sends the destroy message to the window procedure.
  virtual void RequestClose() = 0;

  // Ends the message loop with this exit code.
  virtual void PostQuit(int exitCode) = 0;

  // What the displays keep between drawings in this window.
  DisplayCache& Displays() { return displays_; }

 private:
  DisplayCache displays_;
};

}  // namespace tambra
