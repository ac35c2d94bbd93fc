// The one place a command's outcome takes effect: the curve it computed is
// drawn under the Save switch's snapshot rule (kept with Save on), and the
// status line says what was done or why nothing was.
#pragma once

#include "base/outcome.h"
#include "base/platform.h"

namespace tambra {

void ApplyOutcome(Platform& window, const Outcome& outcome);

}  // namespace tambra
