#include "document_oracle.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "app/control_file.h"
#include "app/history.h"
#include "base/model_limits.h"
#include "base/model_state.h"
#include "tools/headless_platform.h"

namespace tambra {

namespace {

struct Watch {
  DocumentOracle oracle;
  std::string reference;  // what the document's file holds, in Save's bytes
  int statusCount = 0;
};

Watch& State() {
  static Watch watch;
  return watch;
}

std::string ReadWhole(const char* name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool SameBits(const void* a, const void* b, std::size_t bytes) { return std::memcmp(a, b, bytes) == 0; }

// The file read back against the model shown as a net, field by field.
std::string RoundTripDifference(const std::string& text) {
  const auto read = std::make_unique<ControlFileContents>();
  std::string reason;
  if (!ParseControlFile(text, *read, reason)) return "the saved file does not read back: " + reason;
  const auto model = std::make_unique<ModelState>(Model());
  ShowModelAsNet(*model);
  const ModelState& m = *model;
  const ControlFileContents& c = *read;
  const int header[] = {m.objectMode, m.netRows, m.netCols, m.xDegreeStep, m.xOrder, m.yDegreeStep, m.yOrder};
  const int readHeader[] = {c.objectMode, c.netRows, c.netCols, c.xDegreeStep, c.xOrder, c.yDegreeStep, c.yOrder};
  if (!SameBits(header, readHeader, sizeof header)) return "the header";
  for (int i = 0; i < m.netRows; ++i) {
    for (int j = 0; j < m.netCols; ++j) {
      const bool zeroAbove = m.objectMode == kSurfaces && m.triangles == 1 && j > i;
      const Point3 p = zeroAbove ? Point3{0, 0, 0} : m.net[i][j];
      if (!SameBits(&p, &c.net[i][j], sizeof p)) {
        char text[160];
        std::snprintf(text, sizeof text, "net point %d,%d: %.9g %.9g %.9g read as %.9g %.9g %.9g", i, j, p.x,
                      p.y, p.z, c.net[i][j].x, c.net[i][j].y, c.net[i][j].z);
        return text;
      }
      if (!SameBits(&m.netWeights[i][j], &c.netWeights[i][j], sizeof(float))) return "a weight";
    }
  }
  if (!SameBits(m.xKnots, c.xKnots, sizeof(float) * StoredKnotCount(m.netRows, m.xOrder)) ||
      !SameBits(m.yKnots, c.yKnots, sizeof(float) * StoredKnotCount(m.netCols, m.yOrder))) {
    return "a knot";
  }
  const float view[] = {m.scale, m.tx, m.ty, m.tht, m.phi};
  const float readView[] = {c.scale, c.tx, c.ty, c.tht, c.phi};
  if (!SameBits(view, readView, sizeof view) || m.grid != c.grid || m.triangles != c.triangles) {
    return "the view, the grid or the triangles flag";
  }
  return "";
}

}  // namespace

void ResetDocumentOracle() { State() = Watch{}; }

const DocumentOracle& CurrentDocumentOracle() { return State().oracle; }

void CheckDocumentAfter(Platform& window, const Message& message) {
  // A step ends with a command, a release or the window's creation; moves
  // and repaints in between change nothing Save writes.
  if (message.kind != MessageKind::kCommand && message.kind != MessageKind::kLeftUp &&
      message.kind != MessageKind::kRightUp && message.kind != MessageKind::kCreate) {
    return;
  }
  Watch& w = State();
  const auto* headless = dynamic_cast<const HeadlessPlatform*>(&window);
  if (headless == nullptr) return;
  const std::string now = FormatControlFile();
  const bool said = headless->StatusCount() != w.statusCount;
  w.statusCount = headless->StatusCount();
  const std::string& status = headless->Status();
  if (message.kind == MessageKind::kCreate ||
      (said && (status.rfind("Opened ", 0) == 0 || status == "New document"))) {
    w.reference = now;
  } else if (said && status.rfind("Saved ", 0) == 0) {
    const std::string disk = ReadWhole(Model().controlFileName);
    ++w.oracle.roundTrips;
    if (disk != now) w.oracle.faults.push_back("Save wrote other bytes than the document's");
    const std::string difference = RoundTripDifference(disk);
    if (!difference.empty()) w.oracle.faults.push_back("the saved file read back differs in " + difference);
    w.reference = now;
  }
  ++w.oracle.checks;
  const bool differs = now != w.reference;
  if (DocumentHistory().Dirty() != differs) {
    w.oracle.faults.push_back(std::string("after message ") + std::to_string(int(message.kind)) + " " +
                              std::to_string(message.wParam) + " the mark is " +
                              (differs ? "not shown, but Save would write another file"
                                       : "shown, but Save would write the file it has"));
  }
}

}  // namespace tambra
