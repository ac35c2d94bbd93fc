#include "app/apply_outcome.h"

#include <memory>
#include <string>

#include "base/atomic_file.h"
#include "base/comparison.h"
#include "base/model_state.h"
#include "base/snapshots.h"

namespace tambra {

namespace {

OutcomeWatcher g_watcher = nullptr;

// Draws one drawing; a curve or surface stands in the model while it draws.
void Draw(Platform& window, const Drawing& drawing) {
  if (drawing.draw == nullptr) {
    if (drawing.paint) drawing.paint(window);
    return;
  }
  if (drawing.surface != nullptr) {
    SetSurface(*drawing.surface);
  } else {
    SetCurve(drawing.curve);
  }
  drawing.draw(window, drawing.mode);
}

// A dump that cannot be written is reported as "Cannot create" (the name is
// no regular file, or no file can be made there) or "Cannot write" (the
// write failed), with its name and the reason, in a box and the status line.
bool WriteDump(Platform& window, const FileDump& dump) {
  FileWriteFailure failure;
  if (WriteFileAtomically(dump.name.c_str(), dump.text, failure)) return true;
  const char* action = failure.step == FileWriteStep::kWrite ? "Cannot write" : "Cannot create";
  const std::string message = std::string(action) + " \"" + dump.name + "\": " + failure.reason;
  window.ReportError(message.c_str());
  window.ShowStatus(message.c_str());
  return false;
}

}  // namespace

void ApplyOutcome(Platform& window, const Outcome& outcome) {
  if (outcome.refusal.empty()) {
    for (const FileDump& dump : outcome.dumps) {
      if (!WriteDump(window, dump)) return;
    }
  }
  bool curves = false, surfaces = false;
  for (const Drawing& drawing : outcome.drawings) {
    if (drawing.draw == nullptr) continue;
    (drawing.surface != nullptr ? surfaces : curves) = true;
  }
  if (!outcome.refusal.empty()) {
    // What a refusal shows leaves the model exactly as it was.
    const CurveCopy curve = CurrentCurve(Model());
    const auto surface = surfaces ? std::make_unique<SurfaceCopy>(CurrentSurface(Model())) : nullptr;
    for (const Drawing& drawing : outcome.drawings) Draw(window, drawing);
    SetCurve(curve);
    if (surface != nullptr) SetSurface(*surface);
    window.ShowStatus(outcome.refusal.c_str());
    return;
  }
  // The window may make room for the comparison, which clears the canvas:
  // it is shown before anything is drawn.
  if (outcome.comparison != nullptr) window.ShowComparison(*outcome.comparison);
  // With Save off or a result that only shows, the model is restored when
  // the drawing is done; only what a drawing stands in for is snapshot, as
  // a restore also tidies (a terminating knot, a re-packed triangle list).
  const bool keep = outcome.keepsResult && Model().saveResults == 1;
  if (outcome.insertKnot) Model().insertKnot = *outcome.insertKnot;
  if (!keep && curves) TakeSnapshot();
  if (!keep && surfaces) TakeSurfaceSnapshot();
  for (const Drawing& drawing : outcome.drawings) Draw(window, drawing);
  if (!keep && curves) RestoreSnapshot();
  if (!keep && surfaces) RestoreSurfaceSnapshot();
  window.ShowStatus(outcome.summary.c_str());
}

void WatchOutcomes(OutcomeWatcher watcher) { g_watcher = watcher; }

OutcomeWatcher CurrentOutcomeWatcher() { return g_watcher; }

}  // namespace tambra
