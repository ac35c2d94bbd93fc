#include "app/status_line.h"

#include "app/command_table.h"
#include "base/model_state.h"

namespace tambra {

namespace {

// The name the family's table gives its curve kind.
const char* FamilyName(int curveKind) {
  const char* name = CurveKindName(curveKind);
  return name != nullptr ? name : "none";
}

}  // namespace

std::string StatusLine() {
  const ModelState& m = Model();
  const std::string family = FamilyName(m.curveKind);
  if (m.objectMode == kCurves) {
    return "Points: " + std::to_string(m.pointCount) + "    Family: " + family +
           "    Order: " + std::to_string(m.order) + "    Mode: Curves";
  }
  std::string net;
  if (m.triangles == 1) {
    net = "triangular, " + std::to_string(m.netRows) + " rows";
  } else {
    net = std::to_string(m.netRows) + " x " + std::to_string(m.netCols) + ", orders " +
          std::to_string(m.xOrder) + " x " + std::to_string(m.yOrder);
  }
  return "Net: " + net + "    Grid: " + std::to_string(m.grid) + "    Surface: " + family +
         "    Mode: Surfaces";
}

}  // namespace tambra
