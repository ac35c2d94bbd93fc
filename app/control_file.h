// The control file (".cnt"): the whole editable model as text. A curve is
// stored as a net of one column, so curves and surfaces share one format.
//
//   0 2 1 1 2 0 0\r\n      objectMode netRows netCols xDegreeStep xOrder yDegreeStep yOrder
//   (10 20 0) \r\n         netRows lines of netCols "(x y z) " groups
//   (30 40 0) \r\n
//   1 \r\n                 netRows lines of netCols weights
//   1 \r\n
//   0 0 1 1 \r\n           StoredKnotCount(netRows, xOrder) X knots
//   0 \r\n                 StoredKnotCount(netCols, yOrder) Y knots
//   1 0 0 0 0 50 0         scale tx ty tht phi grid triangles, no line end
//
// The header is "%d %d %d %d %d %d %d\r\n"; after it every value is
// followed by exactly one space, the last of a line and of the file too.
// Reals are printed with "%g" (six significant digits). A knot line holds
// count + order values, at most the 100 a knot vector stores.
//
// The writer and the reader apply the same limits (model_limits.h): Save
// refuses a model that Open would refuse.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/model_limits.h"
#include "base/platform.h"

namespace tambra {

enum FileNameKind : int { kControlFileName = 0, kOutputFileName = 1 };

// Largest control file the reader accepts. A full 100 by 100 net with
// six-digit values takes at most about 550 KB, far beyond the 4096-byte text
// buffer, so the reader reads into a buffer of its own.
inline constexpr std::size_t kMaxControlFileBytes = std::size_t{1} << 20;

enum FilePurpose : int { kFileToRead = 0, kFileToWrite = 1 };

// Asks for the control file (kind 0) or output log (kind 1) name, starting
// from and leaving the confirmed name in controlFileName / outputFileName:
// in an open dialog for a file to read, in a save dialog for one to write.
// Returns 1 when a name was confirmed, 0 when the prompt was cancelled.
int AskFileName(Platform& window, int kind, FilePurpose purpose);

// Writes the model to controlFileName; the caller asked before replacing
// another file. The file holds the curve as column 0 of a net in Curves
// mode; the model itself is not changed. With no net (no rows or no
// columns) nothing is written and nothing is said. A
// model the reader would refuse (a size, order, degree step, view value or
// grid beyond the limits, a value that is not finite) is reported and not
// written, nor is a name that is no regular file or a link that leads
// nowhere (refused before the question). The file is written to a temporary
// file beside it and renamed over the old one, so a failed save leaves the
// old file as it was; failures are reported through window.ReportError and
// on the status line, which also says when the file was saved. Returns
// true when the file was written.
bool SaveControlFile(Platform& window);

// Reads controlFileName into the model. Returns 1 when the model was
// replaced, 0 when nothing changed (the failure was reported).
int LoadControlFile(Platform& window);

// Everything a control file sets, held apart from the model until the whole
// file has been read and checked. About 160 KB: allocate it on the heap.
// The names are those of the model's fields, so that one set of checks
// serves the reader (on these contents) and the writer (on the model).
struct ControlFileContents {
  int objectMode = 0;
  int netRows = 0;
  int netCols = 0;
  int xDegreeStep = 0;
  int xOrder = 0;
  int yDegreeStep = 0;
  int yOrder = 0;
  Point3 net[kMaxNetSize][kMaxNetSize] = {};
  float netWeights[kMaxNetSize][kMaxNetSize] = {};
  float xKnots[kMaxKnots] = {};  // StoredKnotCount(netRows, xOrder) used
  float yKnots[kMaxKnots] = {};  // StoredKnotCount(netCols, yOrder) used
  float scale = 0.0f;
  float tx = 0.0f;
  float ty = 0.0f;
  float tht = 0.0f;
  float phi = 0.0f;
  int grid = 0;
  int triangles = 0;
};

// The model in the file format, exactly as SaveControlFile writes it (a
// curve as a net of one column, a triangular net unpacked; the model is not
// changed). Sizes beyond the storage are cut to it.
std::string FormatControlFile();
// The same for a record already shown as a net.
std::string FormatControlFile(const ModelState& model);

// Reads a control file's text into `out`. Returns true when the whole file
// was read and every value is acceptable; otherwise false with a short
// reason ("the file is truncated in the weights"), and `out` partly filled.
// Never reads outside `text`.
bool ParseControlFile(std::string_view text, ControlFileContents& out, std::string& reason);

// Writes parsed contents into the model; then, in Curves mode, NetToCurve,
// and in Surfaces mode with triangles 1, PackTriangle. `contents` must be
// one that ParseControlFile accepted.
void ApplyControlFile(const ControlFileContents& contents);

}  // namespace tambra
