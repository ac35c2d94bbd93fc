// What a command hands back to the window instead of changing the model and
// drawing by itself: the curve it computed, how to draw it, what it
// measured, and, when it did nothing, why. The window applies an outcome in
// one place (the Save switch and its snapshot rule, drawing, the status
// line), so a capability that needs to know what a command did reads the
// outcome and never patches the families.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/model_state.h"
#include "base/platform.h"

namespace tambra {

struct NumericScratch;
struct Comparison;

// A display draws the current model in a DrawMode colour.
using DisplayFunction = void (*)(Platform& window, int mode);

// A number a command computed on the way, named for the status line.
struct Measurement {
  std::string name;
  double value;
};

// One thing to draw. A curve stands in the model while `draw` draws it in
// `mode`; a surface (when set) does the same for the surface fields; a
// drawing with `paint` and no `draw` paints what it captured (marks of
// intermediate points, say) and leaves the model alone.
struct Drawing {
  CurveCopy curve;
  DisplayFunction draw = nullptr;
  int mode = 0;
  std::shared_ptr<const SurfaceCopy> surface = nullptr;
  std::function<void(Platform&)> paint = nullptr;
};

// A file a command writes beside its result ("matrix.dat"), in the
// current folder; written before anything is drawn.
struct FileDump {
  std::string name;
  std::string text;
};

struct Outcome {
  // Non-empty when the command did nothing: why, in one sentence a user can
  // read ("LSE (C2) reduction needs at least 6 points after lowering the
  // degree by 2; there are 4 points").
  std::string refusal;
  // What was done, for the status line ("Eck reduction 7 to 6 points").
  std::string summary;
  // Drawn in order, also when the command refused (what it showed before
  // saying why). The last curve or surface is the result: with Save on it
  // stays in the model, unless `keepsResult` is false (a construction that
  // only shows) or the command refused.
  std::vector<Drawing> drawings;
  bool keepsResult = true;
  std::vector<Measurement> measurements;
  // Written whole or not at all; one that cannot be written stops the
  // outcome (nothing drawn or kept) and says why.
  std::vector<FileDump> dumps;
  // The Knot to insert the command leaves in the model whatever Save says
  // (the last knot a refinement inserted), when it sets one.
  std::optional<float> insertKnot;
  // A comparison of methods for the window to show beside the canvas once
  // the drawings are done (null: none).
  std::shared_ptr<const Comparison> comparison = nullptr;

  static Outcome Refused(std::string why) {
    Outcome outcome;
    outcome.refusal = std::move(why);
    return outcome;
  }
};

// What a command reads: the model as it stands and the scratch its kernels
// may overwrite.
struct CommandInput {
  const ModelState& model;
  NumericScratch& scratch;
};

using OutcomeCommand = Outcome (*)(const CommandInput& input);

}  // namespace tambra
