#include "app/apply_outcome.h"

#include "base/snapshots.h"

namespace tambra {

void ApplyOutcome(Platform& window, const Outcome& outcome) {
  if (!outcome.refusal.empty()) {
    window.ShowStatus(outcome.refusal.c_str());
    return;
  }
  if (outcome.curve) {
    const CurveResult scope;
    SetCurve(*outcome.curve);
    if (outcome.draw != nullptr) outcome.draw(window, outcome.mode);
  }
  window.ShowStatus(outcome.summary.c_str());
}

}  // namespace tambra
