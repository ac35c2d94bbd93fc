// A comparison shown beside the canvas follows the curve: after a change of
// what it reads, the window runs it again, quietly (nothing is drawn, the
// status line stays), or learns why it cannot.
#pragma once

#include <memory>
#include <string>

#include "base/comparison.h"

namespace tambra {

struct ComparisonRerun {
  std::shared_ptr<const Comparison> comparison;  // null when it cannot run
  std::string refusal;                           // why, when it cannot
};

// What the comparisons read from the model, as bytes: equal texts, equal
// comparisons.
std::string ComparisonInputs();

// Menu command `command` (Compare reductions or Compare approximations) run
// on the model as it stands, without drawing or changing anything.
ComparisonRerun RunComparisonAgain(int command);

}  // namespace tambra
