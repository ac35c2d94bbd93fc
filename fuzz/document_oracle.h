// The document oracles of the random sessions, checked after every message
// that can end a step: they do not trust the undo history.
//  - The unsaved mark is shown exactly when what Save would write differs
//    from what the document's file holds (the bytes of the last Open, Save
//    or New, as the session saw them happen).
//  - After every Save the file on disk is what Save would write, and read
//    back it is the model, every stored float bit for bit.
#pragma once

#include <string>
#include <vector>

#include "base/platform.h"
#include "base/window_messages.h"

namespace tambra {

struct DocumentOracle {
  int checks = 0;      // messages checked
  int roundTrips = 0;  // files saved and read back
  std::vector<std::string> faults;
};

// Starts a fresh record for the next run of a session.
void ResetDocumentOracle();
const DocumentOracle& CurrentDocumentOracle();
// The message watcher that runs the checks.
void CheckDocumentAfter(Platform& window, const Message& message);

}  // namespace tambra
