#include "app/control_file.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/atomic_file.h"
#include "base/c_locale.h"
#include "base/file_open.h"
#include "base/model_limits.h"
#include "base/model_state.h"
#include "base/output_log.h"

namespace tambra {

namespace {

// [SECTION] Writer

void AppendInt(std::string& out, const char* format, int value) {
  char text[32];
  FormatC(text, sizeof text, format, value);
  out += text;
}

// Every real as the shortest text that reads back to the stored float: the
// file opens as the model that was saved.
void AppendReal(std::string& out, float value) {
  out += ShortestFloatText(value);
  out += ' ';
}

void AppendPoint(std::string& out, const Point3& p) {
  out += '(';
  out += ShortestFloatText(p.x);
  out += ' ';
  out += ShortestFloatText(p.y);
  out += ' ';
  out += ShortestFloatText(p.z);
  out += ") ";
}

void ReportFileError(Platform& window, const char* action, const std::string& name,
                     const std::string& reason) {
  const std::string message = std::string(action) + " \"" + name + "\": " + reason;
  window.ReportError(message.c_str());
}

// [SECTION] Reader

// A read position over the text. The text lies in a std::string, so a
// terminator follows `end` and the number conversions stop there at the
// latest.
class Cursor {
 public:
  enum Result { kOk, kEnd, kBad };

  Cursor(const char* begin, const char* end) : begin_(begin), pos_(begin), end_(end) {}

  // Moves one past the next `c`; false when there is none.
  bool PassNext(char c) {
    const void* found = std::memchr(pos_, c, static_cast<std::size_t>(end_ - pos_));
    if (found == nullptr) return false;
    pos_ = static_cast<const char*>(found) + 1;
    return true;
  }

  // One value in the manner of "%f" / "%g": leading white space skipped.
  Result Real(double& value) {
    if (!SkipSpace()) return kEnd;
    char* stop = nullptr;
    value = ParseDoubleC(pos_, &stop);
    if (stop == pos_) return TokenRunsToEnd() ? kEnd : kBad;
    pos_ = stop;
    return kOk;
  }

  // One value in the manner of "%d".
  Result Int(int& value) {
    if (!SkipSpace()) return kEnd;
    char* stop = nullptr;
    errno = 0;
    const long parsed = ParseLongC(pos_, &stop);
    if (stop == pos_) return TokenRunsToEnd() ? kEnd : kBad;
    if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return kBad;
    pos_ = stop;
    value = static_cast<int>(parsed);
    return kOk;
  }

  // Past the one space that the writer puts after every value.
  void PassOneSpace() {
    if (pos_ < end_ && *pos_ == ' ') ++pos_;
  }

  void RestartAt(const char* position) { pos_ = position; }
  const char* Begin() const { return begin_; }

  // 1-based line of the read position, for messages.
  int Line() const { return 1 + static_cast<int>(std::count(begin_, pos_, '\n')); }

 private:
  static bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  }
  bool SkipSpace() {
    while (pos_ < end_ && IsSpace(*pos_)) ++pos_;
    return pos_ < end_;
  }
  // A value that cannot be read, looks like the start of a number ("-",
  // "1e-") and reaches the end of the text was cut off by the end of the
  // file.
  bool TokenRunsToEnd() const {
    const char* p = pos_;
    while (p < end_ && std::strchr("+-.0123456789eE", *p) != nullptr && *p != '\0') ++p;
    return p == end_;
  }

  const char* begin_;
  const char* pos_;
  const char* end_;
};

bool Refuse(std::string& reason, std::string text) {
  reason = std::move(text);
  return false;
}

bool Truncated(std::string& reason, const char* where) {
  return Refuse(reason, std::string("the file is truncated in the ") + where);
}

bool NotNumbers(std::string& reason, const Cursor& cursor, const char* what) {
  return Refuse(reason, "line " + std::to_string(cursor.Line()) + ": " + what);
}

// The float a parsed value is stored as; false for nan, infinities and
// values beyond the range of a float.
bool ToFloat(double value, float& out) {
  if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(FLT_MAX)) return false;
  out = static_cast<float>(value);
  return true;
}

bool NotFinite(std::string& reason, const Cursor& cursor, const char* what) {
  return Refuse(reason,
                "line " + std::to_string(cursor.Line()) + ": " + what + " is not a finite number");
}

// Reads `count` values, each followed by its one space, then passes the
// line end.
bool ReadValueLine(Cursor& cursor, float* values, int count, const char* section, const char* what,
                   std::string& reason) {
  for (int k = 0; k < count; ++k) {
    double value = 0.0;
    switch (cursor.Real(value)) {
      case Cursor::kEnd: return Truncated(reason, section);
      case Cursor::kBad:
        return NotNumbers(reason, cursor, (std::string("a ") + what + " is not a number").c_str());
      case Cursor::kOk: break;
    }
    if (!ToFloat(value, values[k]))
      return NotFinite(reason, cursor, (std::string("a ") + what).c_str());
    cursor.PassOneSpace();
  }
  if (!cursor.PassNext('\n')) return Truncated(reason, section);
  return true;
}

// A value for a message, with the fewest digits that tell it from any other
// float: "%g" would show 10000001 as the limit 1e+07 itself.
std::string Shortest(float value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// [SECTION] Limits shared by the reader and the writer
//
// The checks take the parsed contents (reader) or the model itself (writer):
// both name their fields alike, so what Save writes, Open reads.

template <typename Fields>
bool CheckHeader(const Fields& c, std::string& reason) {
  if (c.objectMode != kCurves && c.objectMode != kSurfaces) {
    return Refuse(reason, "the object mode is " + std::to_string(c.objectMode) +
                              "; it must be 0 (curves) or 1 (surfaces)");
  }
  const struct {
    const char* name;
    int count;
    int order;
    int step;
  } directions[] = {{"X", c.netRows, c.xOrder, c.xDegreeStep},
                    {"Y", c.netCols, c.yOrder, c.yDegreeStep}};
  for (const auto& d : directions) {
    const char* counted = d.name[0] == 'X' ? "rows" : "columns";
    if (d.count < 1 || d.count > kMaxNetSize) {
      return Refuse(reason, "the net has " + std::to_string(d.count) + " " + counted +
                                "; a control file holds 1 to " + std::to_string(kMaxNetSize));
    }
    if (d.order < 0 || d.order > kMaxOrder) {
      return Refuse(reason, std::string("the ") + d.name + " order is " + std::to_string(d.order) +
                                "; it must lie between 0 and " + std::to_string(kMaxOrder));
    }
    if (d.step < 0 || d.step > kMaxDegreeStep) {
      return Refuse(reason, std::string("the ") + d.name + " degree step is " +
                                std::to_string(d.step) + "; it must lie between 0 and " +
                                std::to_string(kMaxDegreeStep));
    }
  }
  return true;
}

// The values of the net, its weights and knots and the view are finite. The
// reader never stores any other; the writer must not write one. `c` has
// passed CheckHeader.
template <typename Fields>
bool CheckFinite(const Fields& c, std::string& reason) {
  const auto finite = [](const Point3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
  };
  bool ok = true;
  for (int i = 0; i < c.netRows; ++i) {
    for (int j = 0; j < c.netCols; ++j)
      ok = ok && finite(c.net[i][j]) && std::isfinite(c.netWeights[i][j]);
  }
  ok = ok && std::all_of(c.xKnots, c.xKnots + StoredKnotCount(c.netRows, c.xOrder),
                         [](float k) { return std::isfinite(k); });
  ok = ok && std::all_of(c.yKnots, c.yKnots + StoredKnotCount(c.netCols, c.yOrder),
                         [](float k) { return std::isfinite(k); });
  for (float v : {c.scale, c.tx, c.ty, c.tht, c.phi}) ok = ok && std::isfinite(v);
  return ok || Refuse(reason, "the model holds a value that is not a finite number");
}

template <typename Fields>
bool CheckTrailer(const Fields& c, std::string& reason) {
  const struct {
    const char* name;
    float value;
  } view[] = {{"scale", c.scale}, {"tx", c.tx}, {"ty", c.ty}, {"tht", c.tht}, {"phi", c.phi}};
  for (const auto& v : view) {
    if (!IsViewValue(v.value)) {
      return Refuse(reason, std::string("the view value ") + v.name + " is " + Shortest(v.value) +
                                "; view values must lie within " + Shortest(kMaxViewValue) +
                                " of 0");
    }
  }
  if (c.grid < -kMaxGrid || c.grid > kMaxGrid) {
    return Refuse(reason, "the grid is " + std::to_string(c.grid) + "; it must lie between " +
                              std::to_string(-kMaxGrid) + " and " + std::to_string(kMaxGrid));
  }
  if (c.triangles != 0 && c.triangles != 1) {
    return Refuse(reason,
                  "the triangles flag is " + std::to_string(c.triangles) + "; it must be 0 or 1");
  }
  // The flag shapes the net only in Surfaces mode; a curve saved while it
  // was set loads as a curve.
  if (c.objectMode == kSurfaces && c.triangles == 1) {
    if (c.netRows > kMaxTriangleRows) {
      return Refuse(reason, "a triangular net holds at most " + std::to_string(kMaxTriangleRows) +
                                " rows; this one has " + std::to_string(c.netRows));
    }
  }
  return true;
}

// Whether the model, as SaveControlFile has shown it as a net, is one the
// reader accepts; otherwise false with the reason.
bool ModelFitsFile(const ModelState& m, std::string& reason) {
  return CheckHeader(m, reason) && CheckFinite(m, reason) && CheckTrailer(m, reason);
}

// [SECTION] Reader input

bool ReadWholeFile(const char* name, std::string& text, std::string& action, std::string& reason) {
  std::FILE* file = OpenRegularFileToRead(name, reason);
  if (file == nullptr) {
    action = "Cannot open";
    return false;
  }
  action = "Cannot read";
  text.clear();
  char chunk[16384];
  bool ok = true;
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    text.append(chunk, got);
    if (text.size() > kMaxControlFileBytes) {
      reason = "the file is larger than " + std::to_string(kMaxControlFileBytes >> 20) +
               " MiB; a control file is far smaller";
      ok = false;
      break;
    }
    if (got < sizeof chunk) {
      if (std::ferror(file)) {
        reason = std::strerror(errno);
        ok = false;
      }
      break;
    }
  }
  std::fclose(file);
  return ok;
}

}  // namespace

// [SECTION] File-name prompt

int AskFileName(Platform& window, int kind, FilePurpose purpose) {
  ModelState& m = Model();
  const bool forSaving = purpose == kFileToWrite;
  if (kind == kControlFileName) {
    const char* title = forSaving ? "Save model as" : "Open model";
    const FilePrompt prompt{title, "Control(*.cnt)", "*.cnt", "cnt", forSaving};
    return window.AskFileName(prompt, m.controlFileName) ? 1 : 0;
  }
  if (kind == kOutputFileName) {
    const FilePrompt prompt{"Output log", "Output(*.dat)", "*.dat", "dat", forSaving};
    return window.AskFileName(prompt, m.outputFileName) ? 1 : 0;
  }
  return 0;
}

// [SECTION] Writing

namespace {

// The model as the file holds it: a curve as a net of one column, a
// triangle with zeros above its diagonal, out to the columns written.
std::unique_ptr<ModelState> ModelAsFile() {
  auto file = std::make_unique<ModelState>(Model());
  ShowModelAsNet(*file);
  if (file->objectMode == kSurfaces && file->triangles == 1) {
    const int rows = std::clamp(file->netRows, 0, kMaxNet);
    const int cols = std::clamp(file->netCols, 0, kMaxNet);
    for (int i = 0; i < rows; ++i) {
      for (int j = std::max(rows, i + 1); j < cols; ++j) file->net[i][j] = Point3{0.0f, 0.0f, 0.0f};
    }
  }
  return file;
}

}  // namespace

std::string FormatControlFile() {
  const auto file = ModelAsFile();
  return FormatControlFile(*file);
}

std::string FormatControlFile(const ModelState& m) {
  const int rows = std::clamp(m.netRows, 0, kMaxNetSize);
  const int cols = std::clamp(m.netCols, 0, kMaxNetSize);
  std::string out;
  out.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols) * 48 + 1024);

  char header[128];
  FormatC(header, sizeof header, "%d %d %d %d %d %d %d\r\n", m.objectMode, rows, cols,
          m.xDegreeStep, m.xOrder, m.yDegreeStep, m.yOrder);
  out += header;
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) AppendPoint(out, m.net[i][j]);
    out += "\r\n";
  }
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) AppendReal(out, m.netWeights[i][j]);
    out += "\r\n";
  }
  const int xKnots = StoredKnotCount(rows, m.xOrder);
  for (int k = 0; k < xKnots; ++k) AppendReal(out, m.xKnots[k]);
  out += "\r\n";
  const int yKnots = StoredKnotCount(cols, m.yOrder);
  for (int k = 0; k < yKnots; ++k) AppendReal(out, m.yKnots[k]);
  out += "\r\n";
  for (float value : {m.scale, m.tx, m.ty, m.tht, m.phi}) AppendReal(out, value);
  AppendInt(out, "%d ", m.grid);
  AppendInt(out, "%d ", m.triangles);
  return out;
}

namespace {

// A failed save says why in a box, and on the status line, where the
// previous command's text would otherwise stay.
void ReportSaveFailure(Platform& window, const std::string& name, const std::string& reason) {
  ReportFileError(window, "Cannot save", name, reason);
  window.ShowStatus(("Cannot save \"" + name + "\": " + reason).c_str());
}

}  // namespace

bool SaveControlFile(Platform& window) {
  // The file is written from a copy shown as a net: the model keeps its own
  // net (a curve is written as a net of one column; the net of Surfaces
  // mode, which the curve file does not hold, stays as it was).
  const auto file = ModelAsFile();
  if (file->netRows <= 0 || file->netCols <= 0) return false;
  const std::string name = file->controlFileName;
  std::string target;
  FileWriteFailure failure;
  if (!FindWriteTarget(name, target, failure)) {
    ReportSaveFailure(window, name, failure.reason);
    return false;
  }

  // A file the reader would refuse is not worth writing: the old one stays.
  std::string error;
  if (!ModelFitsFile(*file, error)) {
    ReportSaveFailure(window, name, error);
    return false;
  }
  if (!WriteFileAtomically(name, FormatControlFile(*file), failure)) {
    ReportSaveFailure(window, name, failure.reason);
    return false;
  }
  return true;
}

// [SECTION] Reading

bool ParseControlFile(std::string_view text, ControlFileContents& out, std::string& reason) {
  if (text.find_first_not_of(" \t\n\v\f\r") == std::string_view::npos) {
    return Refuse(reason, "the file is empty");
  }
  const std::string copy(text);
  Cursor cursor(copy.data(), copy.data() + copy.size());

  // Header: seven whole numbers from the start of the text.
  int* header[] = {&out.objectMode, &out.netRows,     &out.netCols, &out.xDegreeStep,
                   &out.xOrder,     &out.yDegreeStep, &out.yOrder};
  for (int* field : header) {
    switch (cursor.Int(*field)) {
      case Cursor::kEnd: return Truncated(reason, "header");
      case Cursor::kBad:
        return NotNumbers(reason, cursor, "the header does not hold seven whole numbers");
      case Cursor::kOk: break;
    }
  }
  if (!CheckHeader(out, reason)) return false;

  // The net starts on the line after the first line feed.
  cursor.RestartAt(cursor.Begin());
  if (!cursor.PassNext('\n')) return Refuse(reason, "the header line has no line end");

  for (int i = 0; i < out.netRows; ++i) {
    for (int j = 0; j < out.netCols; ++j) {
      if (!cursor.PassNext('(')) return Truncated(reason, "points");
      double xyz[3];
      for (double& value : xyz) {
        switch (cursor.Real(value)) {
          case Cursor::kEnd: return Truncated(reason, "points");
          case Cursor::kBad: return NotNumbers(reason, cursor, "a point is not three numbers");
          case Cursor::kOk: break;
        }
      }
      Point3& p = out.net[i][j];
      if (!ToFloat(xyz[0], p.x) || !ToFloat(xyz[1], p.y) || !ToFloat(xyz[2], p.z)) {
        return NotFinite(reason, cursor, "a point coordinate");
      }
      if (!cursor.PassNext(')')) return Truncated(reason, "points");
    }
    if (!cursor.PassNext('\n')) return Truncated(reason, "points");
  }

  for (int i = 0; i < out.netRows; ++i) {
    if (!ReadValueLine(cursor, out.netWeights[i], out.netCols, "weights", "weight", reason)) {
      return false;
    }
  }
  if (!ReadValueLine(cursor, out.xKnots, StoredKnotCount(out.netRows, out.xOrder), "X knots",
                     "knot", reason) ||
      !ReadValueLine(cursor, out.yKnots, StoredKnotCount(out.netCols, out.yOrder), "Y knots",
                     "knot", reason)) {
    return false;
  }

  // Trailer: "%g %g %g %g %g %d %d"; the line end is optional.
  auto trailerRead = [&](Cursor::Result result) {
    if (result == Cursor::kEnd) return Truncated(reason, "view values");
    if (result == Cursor::kBad) {
      return NotNumbers(
          reason, cursor,
          "the last line does not hold five numbers, the grid and the triangles flag");
    }
    return true;
  };
  float* view[] = {&out.scale, &out.tx, &out.ty, &out.tht, &out.phi};
  for (float* field : view) {
    double value = 0.0;
    if (!trailerRead(cursor.Real(value))) return false;
    if (!ToFloat(value, *field)) return NotFinite(reason, cursor, "a view value");
  }
  for (int* field : {&out.grid, &out.triangles}) {
    if (!trailerRead(cursor.Int(*field))) return false;
  }
  return CheckTrailer(out, reason);
}

void ApplyControlFile(const ControlFileContents& c) {
  ModelState& m = Model();
  m.objectMode = c.objectMode;
  m.netRows = c.netRows;
  m.netCols = c.netCols;
  m.xDegreeStep = c.xDegreeStep;
  m.xOrder = c.xOrder;
  m.yDegreeStep = c.yDegreeStep;
  m.yOrder = c.yOrder;
  const int rows = std::clamp(c.netRows, 0, kMaxNetSize);
  const int cols = std::clamp(c.netCols, 0, kMaxNetSize);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      m.net[i][j] = c.net[i][j];
      m.netWeights[i][j] = c.netWeights[i][j];
    }
  }
  std::copy_n(c.xKnots, StoredKnotCount(rows, c.xOrder), m.xKnots);
  std::copy_n(c.yKnots, StoredKnotCount(cols, c.yOrder), m.yKnots);
  m.scale = c.scale;
  m.tx = c.tx;
  m.ty = c.ty;
  m.tht = c.tht;
  m.phi = c.phi;
  m.grid = c.grid;
  m.triangles = c.triangles;
  TakeModelFromNet();
}

int LoadControlFile(Platform& window) {
  const std::string name = Model().controlFileName;
  std::string text;
  std::string action;
  std::string reason;
  if (!ReadWholeFile(name.c_str(), text, action, reason)) {
    ReportFileError(window, action.c_str(), name, reason);
    return 0;
  }
  // Too large for the stack.
  const auto contents = std::make_unique<ControlFileContents>();
  if (!ParseControlFile(text, *contents, reason)) {
    ReportFileError(window, "Cannot read", name, reason);
    return 0;
  }
  // The file starts a fresh document: what it does not hold goes back to
  // what the window starts with, the other mode's object included.
  StartFreshDocument(Model());
  ApplyControlFile(*contents);
  if (Model().objectMode == kCurves) {
    // The lone Y knot a curve file carries is written back as it came.
    const float yKnot = Model().yKnots[0];
    ClearNet(Model());
    Model().yKnots[0] = yKnot;
  }
  return 1;
}

}  // namespace tambra
