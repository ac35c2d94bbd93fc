#include "app/comparison_rerun.h"

#include <algorithm>

#include "app/command_table.h"
#include "app/menu_tree.h"
#include "base/model_state.h"

namespace tambra {

namespace {

template <typename T>
void Append(std::string& bytes, const T& value) {
  bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

std::string ComparisonInputs() {
  const ModelState& m = Model();
  std::string bytes;
  const int count = std::clamp(m.pointCount, 0, kMaxPoints);
  for (int value : {m.objectMode, count, m.degreeStep, m.approxDim}) Append(bytes, value);
  for (int i = 0; i < count; ++i) {
    Append(bytes, m.points[i].x);
    Append(bytes, m.points[i].y);
    Append(bytes, m.weights[i]);
  }
  return bytes;
}

ComparisonRerun RunComparisonAgain(int command) {
  const CommandEntry* entry = FindCommand(command, CurrentScope());
  if (entry == nullptr || entry->compute == nullptr) {
    return {nullptr, CommandName(command) + " works on curves; choose File > Curves"};
  }
  Outcome outcome = entry->compute(CommandInput{Model(), CommandScratch()});
  if (!outcome.refusal.empty()) return {nullptr, outcome.refusal};
  return {outcome.comparison, ""};
}

}  // namespace tambra
