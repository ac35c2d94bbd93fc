// The one place a command's outcome takes effect: the curve it computed is
// drawn under the Save switch's snapshot rule (kept with Save on), and the
// status line says what was done or why nothing was.
#pragma once

#include "base/model_state.h"
#include "base/outcome.h"
#include "base/platform.h"

namespace tambra {

void ApplyOutcome(Platform& window, const Outcome& outcome);

// Called after every command's outcome was applied, with the model as it was
// before the command (the random sessions check that a refusal changed
// nothing and said why). Null, the default: the window copies nothing.
using OutcomeWatcher = void (*)(Platform& window, const Outcome& outcome,
                                const ModelState& before);
void WatchOutcomes(OutcomeWatcher watcher);
OutcomeWatcher CurrentOutcomeWatcher();

}  // namespace tambra
