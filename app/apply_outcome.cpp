#include "app/apply_outcome.h"

#include "base/model_state.h"
#include "base/snapshots.h"

namespace tambra {

void ApplyOutcome(Platform& window, const Outcome& outcome) {
  if (!outcome.refusal.empty()) {
    window.ShowStatus(outcome.refusal.c_str());
    return;
  }
  if (!outcome.drawings.empty()) {
    // With Save off (or a result that only shows) the model is restored
    // when the drawing is done.
    const bool keep = outcome.keepsResult && Model().saveResults == 1;
    if (!keep) TakeSnapshot();
    for (const Drawing& drawing : outcome.drawings) {
      SetCurve(drawing.curve);
      drawing.draw(window, drawing.mode);
    }
    if (!keep) RestoreSnapshot();
  }
  window.ShowStatus(outcome.summary.c_str());
}

}  // namespace tambra
