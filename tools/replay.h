// The replay tool: runs a session headlessly from a script, through the
// same window procedure and a headless platform. One action per line:
//
//   size W H | paint | ldown X Y | lup X Y | rdown X Y | rup X Y | move X Y
//   click X Y | rclick X Y | drag X1 Y1 X2 Y2 | command ID
//   set ID TEXT | check ID 0|1 | reset | ok | cancel      (inside a dialog)
//   file PATH | file-cancel | answer ok|cancel            (prompts)
//   answer save|discard|cancel          (queued for the next action's
//                                        "Save changes to NAME?"; none
//                                        queued answers Cancel)
//   print NAME... | menu ID... | png FILE | svg FILE | obj FILE | checksum
//   wheel X Y STEPS | pan DX DY                           (the view)
//   (print also knows status, title, undo, redo, document and legend;
//   print dialog: the open dialog's title or none; print field ID: the
//   text a field or cell of the open dialog shows)
//
// In a dialog, `ok` with a value the dialog cannot take prints "dialog:
// REASON" to standard error and leaves the dialog open for a corrected
// `set` or a `cancel`; `set` and `check` of a disabled control are faults.
// '#' starts a comment and blank lines are skipped. `set` names a table
// cell by its id (resources/control_ids.h): the first cells keep the ids of
// the grids the dialogs once had, every cell also answers to the id that
// spells out its row and column (10000000 + 10000 R + 10 C + coordinate for
// a point, 20000000 + 10000 R + 10 C for a weight, 30000000 + I for a knot).
#pragma once

#include <iosfwd>
#include <string>

namespace tambra {

inline constexpr int kReplayBadScript = 2;
inline constexpr int kReplayCanvasDiffers = 3;

// Messages for the user go to `err` as they come: "tambra: TEXT" for a
// message box, "status: TEXT" for a status-line message.
//
// Runs the script and returns the exit status: 0 at its end (or the exit
// code of File > Exit), 2 at the first line it cannot read, after printing
// "SCRIPT:LINE: what is wrong" to `err`. At the end the canvas is painted
// again from its display list; a picture that differs from the canvas is
// reported to `err` and the status is 3.
int RunReplay(std::istream& script, const std::string& scriptName, std::ostream& out,
              std::ostream& err);

}  // namespace tambra
