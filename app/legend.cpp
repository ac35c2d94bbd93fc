#include "app/legend.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "app/menu_tree.h"
#include "base/c_locale.h"
#include "base/canvas.h"
#include "resources/command_ids.h"

namespace tambra {

namespace {

// The deviation each command measured last, by command id.
std::map<int, double>& Deviations() {
  static std::map<int, double> deviations;
  return deviations;
}

struct LegendState {
  bool visible = false;
  std::vector<LegendLine> shown;
};

LegendState& State() {
  static LegendState state;
  return state;
}

std::string ColourName(Rgb colour) {
  struct Named {
    int mode;
    const char* name;
  };
  static constexpr Named kNames[] = {
      {kBlueMode, "blue"}, {kRedMode, "red"}, {kGreenMode, "green"}, {kBlackMode, "black"}};
  for (const Named& n : kNames) {
    if (ModeColour(n.mode) == colour) return n.name;
  }
  char text[8];
  FormatC(text, sizeof text, "#%06x", unsigned(colour & 0xFFFFFF));
  return text;
}

bool SameLines(const std::vector<LegendLine>& a, const std::vector<LegendLine>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.colour == y.colour && x.text == y.text;
  });
}

}  // namespace

void NoteOutcome(int command, const Outcome& outcome) {
  Deviations().erase(command);
  if (!outcome.refusal.empty()) return;
  for (const Measurement& m : outcome.measurements) {
    if (m.name == "max deviation" && std::isfinite(m.value)) Deviations()[command] = m.value;
  }
}

std::vector<LegendLine> CanvasLegend(const Raster& canvas) {
  std::vector<LegendLine> lines;
  std::vector<std::pair<int, Rgb>> seen;
  for (const DisplayItem& item : canvas.List().Items()) {
    const int command = item.tag.command;
    if (command == kNoCommand || item.colour == ModeColour(kEraseMode) ||
        item.colour == ModeColour(kBlackMode)) {
      continue;
    }
    const std::pair<int, Rgb> key{command, item.colour};
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
    seen.push_back(key);
    std::string text = CommandName(command);
    const auto deviation = Deviations().find(command);
    if (deviation != Deviations().end()) {
      char readout[64];
      FormatC(readout, sizeof readout, ": max deviation %.2f px", deviation->second);
      text += readout;
    }
    lines.push_back(LegendLine{item.colour, text});
  }
  return lines;
}

std::string LegendText(const LegendLine& line) {
  return ColourName(line.colour) + "  " + line.text;
}

void ToggleLegend(Platform& window) {
  LegendState& state = State();
  state.visible = !state.visible;
  window.SetMenuChecked(kCmdLegend, state.visible);
  state.shown = state.visible ? CanvasLegend(window.Canvas()) : std::vector<LegendLine>{};
  window.ShowLegend(state.visible, state.shown);
}

void RefreshLegend(Platform& window) {
  LegendState& state = State();
  if (!state.visible) return;
  std::vector<LegendLine> lines = CanvasLegend(window.Canvas());
  if (SameLines(lines, state.shown)) return;
  state.shown = std::move(lines);
  window.ShowLegend(true, state.shown);
}

}  // namespace tambra
