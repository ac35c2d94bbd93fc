// libFuzzer target for the control file reader: parses the bytes as a
// control file and, when they are accepted, applies them to the model and
// checks that the model stays within its capacities and that the file it
// now writes reads back to the same text.
//
// Seeds: the sample files, plus files whose header promises more than the
// data that follows (those drive the reader to the end of its text), e.g.
//
//   mkdir -p corpus && cp examples/*.cnt corpus/
//   short='1 %d %d 1 4 1 4\r\n(0 0 0) \r\n1 \r\n0 0 0 0 1 \r\n0 \r\n1 0 0 0 0 50 0 '
//   for n in 1 2 31 32 99 100 101; do printf "$short" $n $n > corpus/short-$n.cnt; done
//   ./control_file_fuzz -max_len=8192 corpus
//
// A dictionary helps the fuzzer build well-formed lines: one token a line,
// "(", ") ", "\x0d\x0a", " ", "nan", "inf", "e+07", given with -dict=FILE.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app/control_file.h"
#include "base/model_limits.h"
#include "base/model_state.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool Finite(const tambra::Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

void CheckModel() {
  const tambra::ModelState& m = tambra::Model();
  Require(m.objectMode == tambra::kCurves || m.objectMode == tambra::kSurfaces);
  Require(m.netRows >= 1 && m.netRows <= tambra::kMaxNetSize);
  Require(m.netCols >= 1 && m.netCols <= tambra::kMaxNetSize);
  Require(m.xOrder >= 0 && m.xOrder <= tambra::kMaxOrder);
  Require(m.yOrder >= 0 && m.yOrder <= tambra::kMaxOrder);
  Require(m.xDegreeStep >= 0 && m.xDegreeStep <= tambra::kMaxDegreeStep);
  Require(m.yDegreeStep >= 0 && m.yDegreeStep <= tambra::kMaxDegreeStep);
  Require(m.triangles == 0 || m.triangles == 1);
  if (m.objectMode == tambra::kSurfaces && m.triangles == 1) {
    Require(m.netRows <= tambra::kMaxTriangleRows);  // of any number of columns
  }
  if (m.objectMode == tambra::kCurves) Require(m.pointCount == m.netRows && m.order == m.xOrder);
  for (int i = 0; i < m.netRows; ++i) {
    for (int j = 0; j < m.netCols; ++j)
      Require(Finite(m.net[i][j]) && std::isfinite(m.netWeights[i][j]));
  }
  for (float v : {m.scale, m.tx, m.ty, m.tht, m.phi}) {
    Require(tambra::IsViewValue(v));
  }
  Require(m.grid >= -tambra::kMaxGrid && m.grid <= tambra::kMaxGrid);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > tambra::kMaxControlFileBytes) return 0;
  // About 160 KB: on the heap, never on the stack.
  const auto contents = std::make_unique<tambra::ControlFileContents>();
  std::string reason;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!tambra::ParseControlFile(text, *contents, reason)) {
    Require(!reason.empty());
    return 0;
  }
  tambra::ApplyControlFile(*contents);
  CheckModel();

  // What the writer makes of the model must load, and load to itself.
  const std::string written = tambra::FormatControlFile();
  Require(tambra::ParseControlFile(written, *contents, reason));
  tambra::ApplyControlFile(*contents);
  CheckModel();
  Require(tambra::FormatControlFile() == written);
  return 0;
}
