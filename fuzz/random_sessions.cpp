// tambra-random-sessions: random sessions through the replay tool, run
// in-process one after the other, each followed by checks of what a session
// must never leave behind.
//
//   tambra-random-sessions --seed S --count N [--keep DIR] [--verbose] [--print-scripts]
//                          [--timeout SEC]
//
// Session k of a run uses the seed S + k, so `--seed S+k --count 1` runs it
// alone. Each session works in a fresh temporary directory (the current
// directory while it runs), where the generator first writes the model files
// the script opens: random bytes, cut-off files, files with huge
// coordinates, sizes, orders and knots beyond what a file may hold, a
// directory and symbolic links named like control files.
//
// A script answers the prompts it expects; whether one comes depends on the
// model (Save asks before replacing a file only when there is a net to
// save, the Knots command has no dialog for a triangular patch). When the
// replay stops at a line that does not fit, the script is mended there (an
// answer inserted or a stray one removed) and the session is run again from
// the start, so every script kept is one the replay tool runs through.
//
// After the session:
//   - the model's counts lie within the storage (points, net rows and
//     columns, hover and picked index, modes);
//   - every file the session saved is one the control file reader accepts,
//     and applying it and writing it again gives the same text; no
//     temporary file of a save is left behind;
//   - moving the mouse away from every point on a freshly painted canvas
//     changes no pixel outside the mark of a current control point (a stale
//     hover highlight draws a mark where the model has none);
//   - a data dialog (Control Data, Weights, X and Y Knots) closed with OK
//     leaves every model field as it was when nothing was typed, or when
//     only text that is no number was typed: that text holds OK with one
//     message when it is in a field, plain OK brings none (a held OK is
//     followed by Cancel). The dialog is first opened and cancelled twice:
//     opening and Cancel must change nothing either, from the model as it
//     was before the first opening (the Knots dialog notes the order it
//     showed and the direction it edits, which are no model fields);
//   - after every command and every release, the unsaved mark is shown
//     exactly when what Save would write differs from the document's file,
//     and every file saved reads back as the model, bit for bit
//     (fuzz/document_oracle.h);
//   - Undo and Redo, run in bursts at random, leave the model byte for byte
//     the state the history recorded for the step they reach; undoing goes
//     back one step at a time until there is none, redoing forward, and a
//     step reached twice in a burst is the same model both times;
//   - in the knot sessions (points clicked and deleted, the order changed,
//     the spline families chosen) a click, a deletion or a B-spline or NURBS
//     choice rebuilds an automatic knot vector (all zero, or the clamped
//     uniform one of the count and order) for the new count and order, and
//     leaves any other vector as it was.
// A crash, a sanitizer report or a session that runs longer than the
// timeout ends the process with the session's seed on standard error.
//
// With --keep DIR each session's script and starting files are written to
// DIR/session-SEED/ before it runs and removed when it passes, so what is
// left is the failing (or crashing) session: `cd DIR/session-SEED &&
// tambra-replay session.replay` repeats it.

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

#include "app/apply_outcome.h"
#include "app/control_file.h"
#include "app/menu_tree.h"
#include "app/window_proc.h"
#include "document_oracle.h"
#include "base/model_limits.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "base/raster.h"
#include "resources/command_ids.h"
#include "resources/control_ids.h"
#include "tools/headless_platform.h"
#include "tools/replay.h"

namespace fs = std::filesystem;

namespace tambra {

namespace {

constexpr int kMaxRepairs = 80;
constexpr char kScriptName[] = "session.replay";
constexpr char kCheckBefore[] = "check-before.png";
constexpr char kCheckAfter[] = "check-after.png";

// ---------------------------------------------------------------------------
// Random choices.

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : engine_(Mix(seed)) {}
  int Below(int n) { return n <= 1 ? 0 : static_cast<int>(engine_() % static_cast<unsigned>(n)); }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Percent(int p) { return Below(100) < p; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[Below(static_cast<int>(items.size()))];
  }
  double Unit() { return static_cast<double>(engine_() >> 11) / 9007199254740992.0; }

 private:
  static std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
  }
  std::mt19937_64 engine_;
};

std::string Real(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// ---------------------------------------------------------------------------
// Model files. Every file is a variation of the one format; see
// app/control_file.h.

struct FileShape {
  int mode = 0;
  int rows = 4;
  int cols = 1;
  int xStep = 1;
  int xOrder = 4;
  int yStep = 0;
  int yOrder = 0;
  int grid = 50;
  int triangles = 0;
};

const std::vector<std::string> kHugeReals = {"1e35",   "-1e35", "3e38", "-3e38", "3.40282e+38",
                                             "1e-45",  "1e30",  "7e37", "1e20",  "-2e36"};

// A value of any magnitude from 1e7 to the float range, either sign; often
// around 1e35, or just beyond the 2^24 square the raster clips lines to.
std::string FarReal(Rng& r) {
  const int band = r.Below(10);
  const double exponent = band < 4 ? 35.0 + r.Unit() * 2.5
                          : band < 7 ? 7.2 + r.Unit() * 2.0
                                     : 7.0 + r.Unit() * 31.5;
  const double value = std::pow(10.0, exponent) * (r.Percent(50) ? 1 : -1);
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", std::clamp(value, -3.4e38, 3.4e38));
  return text;
}

std::string Coordinate(Rng& r, bool huge) {
  if (huge && r.Percent(25)) return r.Pick(kHugeReals);
  if (huge && r.Percent(25)) return FarReal(r);
  if (r.Percent(70)) return std::to_string(r.Between(0, 799));
  return Real((r.Unit() - 0.5) * 40.0);
}

// Knots: the clamped uniform vector, or one that decreases, or huge values.
std::vector<std::string> Knots(Rng& r, int count, int order, int variant) {
  std::vector<std::string> knots;
  const int total = std::max(count + order, 0);
  for (int i = 0; i < total; ++i) {
    switch (variant) {
      case 1: knots.push_back(std::to_string(total - i)); break;  // decreasing
      case 2: knots.push_back(r.Percent(50) ? r.Pick(kHugeReals) : std::to_string(i)); break;
      default:
        knots.push_back(
            std::to_string(std::clamp(i - order + 1, 0, std::max(count - order + 1, 0))));
    }
  }
  return knots;
}

// Mostly 1; else a weight the homogeneous forms cannot divide by, one of
// either sign or one near the float range.
std::string WeightText(Rng& r) {
  static const std::vector<std::string> odd = {"0", "-1", "-0.5", "1e30", "3e38", "-3e38",
                                               "1e-30", "2", "0.707107"};
  if (r.Percent(75)) return "1";
  return r.Percent(70) ? r.Pick(odd) : Real(r.Unit() * 3);
}

std::string FormatFile(Rng& r, const FileShape& s, bool huge, int knotVariant,
                       const std::string& trailer = "") {
  std::string text = std::to_string(s.mode) + " " + std::to_string(s.rows) + " " +
                     std::to_string(s.cols) + " " + std::to_string(s.xStep) + " " +
                     std::to_string(s.xOrder) + " " + std::to_string(s.yStep) + " " +
                     std::to_string(s.yOrder) + "\r\n";
  const int rows = std::clamp(s.rows, 0, 120), cols = std::clamp(s.cols, 0, 120);
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      text += "(";
      text += Coordinate(r, huge) + " " + Coordinate(r, huge) + " " +
              Coordinate(r, huge) + ") ";
    }
    text += "\r\n";
  }
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) text += WeightText(r) + " ";
    text += "\r\n";
  }
  for (const std::string& k : Knots(r, rows, s.xOrder, knotVariant)) text += k + " ";
  text += "\r\n";
  for (const std::string& k : Knots(r, cols, s.yOrder, knotVariant)) text += k + " ";
  text += "\r\n";
  if (!trailer.empty()) return text + trailer;
  return text + "1 0 0 0 0 " + std::to_string(s.grid) + " " + std::to_string(s.triangles) + " ";
}

FileShape RandomShape(Rng& r) {
  FileShape s;
  s.mode = r.Percent(50) ? 0 : 1;
  if (s.mode == 0) {
    s.rows = r.Between(1, 14);
    s.cols = 1;
    s.xOrder = r.Between(0, 6);
  } else {
    s.rows = r.Between(1, 8);
    s.cols = r.Between(1, 8);
    s.xOrder = r.Between(0, 5);
    s.yStep = r.Between(0, 3);
    s.yOrder = r.Between(0, 5);
    s.triangles = r.Percent(30) ? 1 : 0;
    if (s.triangles == 1) s.cols = s.rows;
  }
  s.xStep = r.Percent(85) ? r.Between(0, 3) : r.Pick(std::vector<int>{30, 98, 99, 100});
  if (r.Percent(15)) s.yStep = r.Pick(std::vector<int>{30, 98, 99, 100});
  s.grid = r.Percent(75) ? 50
                         : r.Pick(std::vector<int>{0, 1, -1, 2, 3, 99, 100, 200, 9999, -9999});
  return s;
}

// Replaces one blank-separated token of `text` by an extreme one.
std::string MutateToken(Rng& r, std::string text) {
  static const std::vector<std::string> tokens = {
      "nan", "inf", "-inf", "1e39", "-1e39", "99999999999", "-1", "2147483648", "abc", "", "(",
      ")", "\r\n", "0x1p3", "1e-400"};
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != ' ' && text[i] != '(' && (i == 0 || text[i - 1] == ' ' || text[i - 1] == '(' ||
                                             text[i - 1] == '\n')) {
      starts.push_back(i);
    }
  }
  if (starts.empty()) return text;
  const std::size_t at = r.Pick(starts);
  std::size_t end = text.find_first_of(" )\r\n", at);
  if (end == std::string::npos) end = text.size();
  return text.replace(at, end - at, r.Pick(tokens));
}

std::string HostileFile(Rng& r) {
  FileShape s = RandomShape(r);
  switch (r.Below(13)) {
    case 0:
    case 1: return FormatFile(r, s, false, 0);  // a sound file
    case 11: {  // surface nets at their capacities: 100 by 100, 31 triangle rows
      static const std::vector<int> sides = {1, 2, 14, 50, 99, 100}, rows = {2, 13, 14, 30, 31};
      static const std::vector<int> orders = {0, 1, 2, 4, 50, 99};
      s.mode = 1;
      s.triangles = r.Percent(40) ? 1 : 0;
      s.rows = s.triangles == 1 ? r.Pick(rows) : r.Pick(sides);
      s.cols = s.triangles == 1 ? s.rows : r.Pick(sides);
      s.xOrder = r.Pick(orders);
      s.yOrder = r.Pick(orders);
      return FormatFile(r, s, r.Percent(10), 0);
    }
    case 2: return FormatFile(r, s, true, 0);   // huge coordinates
    case 3: {                                   // sizes no file may hold
      static const std::vector<int> sizes = {0, 1, 31, 32, 33, 100, 101, -1};
      s.rows = r.Pick(sizes);
      s.cols = r.Percent(50) ? 1 : r.Pick(sizes);
      if (s.rows > 31) s.triangles = 0;
      return FormatFile(r, s, r.Percent(20), 0);
    }
    case 4: {  // orders at and beyond the knot storage
      static const std::vector<int> orders = {0, 95, 96, 97, 98, 99, 100, -1, 1000};
      s.xOrder = r.Pick(orders);
      if (r.Percent(50)) s.yOrder = r.Pick(orders);
      return FormatFile(r, s, false, 0);
    }
    case 5: return FormatFile(r, s, false, r.Percent(50) ? 1 : 2);  // knots decrease or are huge
    case 6: {  // cut off anywhere
      const std::string whole = FormatFile(r, s, r.Percent(30), 0);
      return whole.substr(0, r.Below(static_cast<int>(whole.size())));
    }
    case 7: {  // random bytes
      static const char kAlphabet[] = "0123456789 ()-+.eE\r\n\tnaif\x00\xff";
      const int letters = static_cast<int>(sizeof kAlphabet) - 1;  // the NUL byte included
      std::string text(r.Below(400), ' ');
      for (char& c : text) c = r.Percent(80) ? kAlphabet[r.Below(letters)] : char(r.Below(256));
      return text;
    }
    case 8: return r.Percent(50) ? "" : " \r\n\t ";
    case 9: {  // one token replaced
      std::string text = FormatFile(r, s, false, 0);
      for (int n = r.Between(1, 3); n > 0; --n) text = MutateToken(r, text);
      return text;
    }
    case 10: {  // the trailer at and beyond its limits
      static const std::vector<std::string> trailers = {
          "1e7 0 0 0 0 50 0 ", "1e8 0 0 0 0 50 0 ",  "0 0 0 0 0 9999 0 ", "1 0 0 0 0 10000 0 ",
          "1 0 0 0 0 -9999 1 ", "1 0 0 0 0 50 2 ",   "nan 0 0 0 0 50 0 ", "1 0 0 0 0 50",
          "1 1e35 -1e35 0 0 50 0", "0.5 424 300 30 60 16 1\r\n"};
      return FormatFile(r, s, false, 0, r.Pick(trailers));
    }
    default: {  // a large curve: more rows than a file holds
      s = FileShape{};
      s.rows = r.Pick(std::vector<int>{32, 33, 40, 60, 96});
      return FormatFile(r, s, false, 0);
    }
  }
}

// ---------------------------------------------------------------------------
// Scripts.

struct Session {
  std::uint64_t seed = 0;
  std::vector<int> probes;                         // commands run between two probe prints
  std::vector<std::string> histories;              // each burst's Undo (U) and Redo (R), in order
  std::map<std::string, std::string> files;        // written before the run
  std::vector<std::string> directories;            // created before the run
  std::map<std::string, std::string> symlinks;     // link -> target, inside the directory
  std::vector<std::string> lines;                  // the script, one action a line
};

const std::vector<int>& CommandIds() {
  static const std::vector<int> ids = [] {
    std::set<int> all = {
        kCmdCurves, kCmdSurfaces, kCmdOpen, kCmdSave, kCmdSaveAs, kCmdOutput, kCmdCloseOutput,
        kCmdExit, kCmdNew, kCmdCopy, kCmdPaste, kCmdControlPoints, kCmdWeights, kCmdXKnots,
        kCmdYKnots, kCmdEditSave, kCmdBezier, kCmdBezierSimulation, kCmdBezierElevation,
        kCmdReduceSimple, kCmdReduceEck, kCmdReduceLse, kCmdReduceLseC0, kCmdReduceLseC1,
        kCmdReduceLseC2, kCmdReduceSurfaces, kCmdTriangularSE, kCmdTriangularNW,
        kCmdTriangularSW, kCmdTriangularNE, kCmdBezierSave, kCmdRationalBezier,
        kCmdRationalSimulation, kCmdRationalElevation, kCmdApproxLeastSquares,
        kCmdApproxConsistent, kCmdApproxHybrid, kCmdRationalSave, kCmdBSpline,
        kCmdBSplineSimulation, kCmdBSplineElevation, kCmdBSplineReduction, kCmdChaikin,
        kCmdChaikinElevation, kCmdChaikinReduction, kCmdBSplineKnotInsert,
        kCmdBSplineKnotDelete, kCmdBSplineSave, kCmdNurbs, kCmdNurbsSimulation,
        kCmdNurbsElevation, kCmdNurbsReduction, kCmdNurbsKnotInsert, kCmdNurbsKnotDelete,
        kCmdNurbsSave, kCmdAbout};
    for (int id : MenuCommandIds()) all.insert(id);
    return std::vector<int>(all.begin(), all.end());
  }();
  return ids;
}

// Commands that open a prompt or end the session; the generator writes
// their answers itself.
bool Prompts(int id) {
  return id == kCmdOpen || id == kCmdSaveAs || id == kCmdOutput || id == kCmdExit ||
         id == kCmdControlPoints || id == kCmdWeights || id == kCmdXKnots || id == kCmdYKnots ||
         id == kCmdAbout || id == kCmdSave;
}

const std::vector<int> kUnknownIds = {0,     -1,    1,     99,    100,        102,
                                      163,   1000,  40000, 40032, 65535,      65536,
                                      -40001, INT_MAX, INT_MIN, 40001 + 65536};

const std::vector<std::string> kFieldNames = {
    "objectMode", "curveKind", "saveResults", "pointCount", "order", "degreeStep",
    "chaikinSteps", "insertSpan", "approxDim", "netRows", "netCols", "xOrder", "yOrder",
    "xDegreeStep", "yDegreeStep", "applyX", "applyY", "triangles", "grid", "logActive",
    "acceptRelease", "pickActive", "pickedIndex", "hoverIndex", "dragX", "dragY",
    "knotsDirection", "knotsShownOrder", "insertKnot", "scale", "tx", "ty", "tht", "phi",
    "clientWidth", "clientHeight", "controlFileName", "outputFileName", "points", "weights",
    "knots", "xKnots", "yKnots", "net", "netWeights", "triangleList"};

std::string DialogValue(Rng& r) {
  static const std::vector<std::string> values = {
      "0", "-1", "-7", "1", "2", "3", "4", "5", "6", "7", "10", "31", "32", "33", "99", "100",
      "101", "150", "1e38", "1e39", "-1e39", "3e38", "3.4e38", "-3.4e38", "1e35", "-1e35",
      "1e-45", "nan", "-nan", "inf", "-inf", "infinity", "2147483647", "2147483648",
      "-2147483648", "-2147483649", "99999999999999999999", "0.5", "-0.0", "abc", "1,5",
      "0x10", "12abc", "9999", "-9999", "10000", "1e7", "-1e7", "1e8", "0.000001", "1e5",
      "123456789", "-123456789", "1x", "1e999", "-", "+", ".", "7 7", "--1", "1e", "e5",
      "0x1p3", "1e-999"};
  switch (r.Below(10)) {
    case 0: return std::string(r.Between(10, 400), "91x-"[r.Below(4)]);  // long text
    case 1: return "";
    case 2: return std::to_string(r.Between(-20, 800));
    case 3: return Real((r.Unit() - 0.5) * 2000.0);
    case 4: return FarReal(r);
    default: return r.Pick(values);
  }
}

// Texts that are no number as a whole: every dialog field refuses them.
const std::vector<std::string> kGarbage = {
    "abc", "",   "1x", "12abc", "1e999", "-1e999", "nan", "-nan", "inf", "-infinity", "-", "+",
    ".",   "1e", "--1", "7 7",  "1,5",   "0x1g",   "e5",  std::string(300, 'x'),
    std::string(300, '9') + "x"};

// The dialog check prints every field of the model, not insertSpan, which
// Knots OK derives afresh from the knots and the knot to insert, nor the
// mouse state, which the picture drawn after OK resets.
const std::vector<std::string>& CheckFields() {
  static const std::vector<std::string> fields = [] {
    std::vector<std::string> f;
    for (const std::string& name : kFieldNames) {
      if (name != "insertSpan" && name != "acceptRelease" && name.rfind("pick", 0) != 0 &&
          name != "hoverIndex" && name.rfind("drag", 0) != 0 &&
          name != "knotsDirection" && name != "knotsShownOrder") {
        f.push_back(name);
      }
    }
    return f;
  }();
  return fields;
}
const std::vector<std::string> kKnotFields = {"order", "pointCount", "knots"};

std::string PrintLine(const std::vector<std::string>& fields) {
  std::string line = "print";
  for (const std::string& name : fields) line += " " + name;
  return line;
}

// The closing check: buttons released, a fresh canvas of the model, then
// the mouse far from every point.
const std::vector<std::string>& CheckLines() {
  static const std::vector<std::string> lines = {
      "lup 65535 65535", "rup 65535 65535",  "size 800 600", "paint",
      std::string("png ") + kCheckBefore, "move 65535 65535", std::string("png ") + kCheckAfter};
  return lines;
}

// A probe prints these fields, runs one command and prints them again; with
// Save off the two prints must be the same. triangleList first: no random
// print of at most four fields starts the same run of lines.
const std::vector<std::string> kProbeFields = {
    "triangleList", "saveResults", "objectMode", "triangles", "netRows", "netCols", "xOrder",
    "yOrder", "xDegreeStep", "yDegreeStep", "pointCount", "order", "points", "weights", "knots",
    "net", "netWeights", "xKnots", "yKnots"};

// The commands that compute a result into the model and keep it only with
// Save on: surface degree change and conversions, spline degree change and
// the simulations.
const std::vector<int> kResultCommands = {
    kCmdBezierElevation, kCmdReduceSurfaces, kCmdTriangularSE, kCmdTriangularNW,
    kCmdTriangularSW, kCmdTriangularNE, kCmdBSplineElevation, kCmdNurbsElevation,
    kCmdBSplineReduction, kCmdNurbsReduction, kCmdBSplineSimulation, kCmdNurbsSimulation};

class Generator {
 public:
  explicit Generator(std::uint64_t seed) : r_(seed) { session_.seed = seed; }

  Session Make() {
    MakeFiles();
    if (r_.Percent(20)) {
      KnotSession();
    } else {
      // Some sessions work mostly on surfaces and the spline degree commands.
      surfaceBias_ = r_.Percent(50) ? r_.Between(20, 70) : 0;
      if (surfaceBias_ > 0 && r_.Percent(50)) Add("command " + std::to_string(kCmdEditSave));
      const int actions = r_.Between(3, 70);
      for (int i = 0; i < actions; ++i) {
        if (r_.Percent(surfaceBias_)) {
          SurfaceAction();
        } else {
          Action();
        }
      }
    }
    if (r_.Percent(40)) DialogCheck(r_.Percent(30));
    // Often a point is left highlighted, sometimes followed by what may take
    // the point away, so that the canvas check has something to see.
    if (r_.Percent(60)) {
      const auto p = r_.Percent(60) ? known_.back() : r_.Pick(known_);
      Add("move " + Pos(p));
      if (r_.Percent(50)) {
        static const std::vector<std::string> after = {
            "command " + std::to_string(kCmdNew), "command " + std::to_string(kCmdPaste),
            "command " + std::to_string(kCmdReduceSimple), "paint"};
        Add(r_.Percent(50) ? "rclick " + Pos(p) : r_.Pick(after));
      }
    }
    return session_;
  }

 private:
  void Add(std::string line) { session_.lines.push_back(std::move(line)); }

  void MakeFiles() {
    const int count = r_.Between(3, 10);
    for (int i = 0; i < count; ++i) {
      std::string name = "h";  // appended piece by piece: the one-expression form trips a false -Wrestrict
      name += std::to_string(i) + ".cnt";
      session_.files[name] = HostileFile(r_);
      openNames_.push_back(name);
    }
    session_.files["log.dat"] = "0.00000 1.00000\r\n";
    session_.directories.push_back("adir.cnt");
    session_.symlinks["link.cnt"] = "h0.cnt";
    session_.symlinks["dangling.cnt"] = "missing-target.cnt";
    for (const char* name : {"adir.cnt", "link.cnt", "dangling.cnt", "missing.cnt", "log.dat",
                             "noname.cnt", "s0.cnt", "s1.cnt"}) {
      openNames_.push_back(name);
    }
  }

  std::string SaveName() {
    static const std::vector<std::string> names = {
        "s0.cnt",        "s1.cnt",       "s2.cnt",     "noname.cnt", "link.cnt",
        "dangling.cnt",  "adir.cnt",     "adir.cnt/in.cnt", "nodir/x.cnt", "h1.cnt",
        "no-extension",  std::string(240, 'a') + ".cnt"};
    return r_.Pick(names);
  }

  std::string OutputName() {
    static const std::vector<std::string> names = {"out0.dat", "out1.dat", "log.dat",
                                                   "nodir/o.dat", "adir.cnt"};
    return r_.Pick(names);
  }

  // Coordinates: inside the client area, beside a point clicked before, or
  // anywhere a 16-bit packing can take them.
  std::pair<int, int> Inside() {
    return {r_.Below(std::max(width_, 1) + 2), r_.Below(std::max(height_, 1) + 2)};
  }
  std::pair<int, int> NearKnown() {
    if (known_.empty()) return Inside();
    const auto [x, y] = r_.Pick(known_);
    auto near = [&](int v) {
      return static_cast<int>(std::clamp<long long>(static_cast<long long>(v) + r_.Between(-3, 3),
                                                    INT_MIN, INT_MAX));
    };
    return {near(x), near(y)};
  }
  std::pair<int, int> Extreme() {
    static const std::vector<int> values = {-70000, -65536, -65535, -1, 0, 1, 32767, 32768,
                                            65535,  65536,  65537,  65538, 70000, 131071,
                                            INT_MAX, INT_MIN, 600, 800, 599, 799};
    auto pick = [&] { return r_.Percent(70) ? r_.Pick(values) : r_.Between(-100000, 200000); };
    return {pick(), pick()};
  }
  std::pair<int, int> Position() {
    const int kind = r_.Below(10);
    if (kind < 4) return Inside();
    if (kind < 8) return NearKnown();
    return Extreme();
  }

  static std::string Pos(const std::pair<int, int>& p) {
    return std::to_string(p.first) + " " + std::to_string(p.second);
  }

  void Click() {
    const auto p = r_.Percent(85) ? Inside() : Extreme();
    known_.push_back(p);
    Add("click " + Pos(p));
  }

  void Size() {
    static const std::vector<std::pair<int, int>> sizes = {
        {0, 0},     {1, 1},     {0, 600},   {800, 0},    {1, 600},   {800, 1},   {2, 2},
        {640, 480}, {800, 600}, {800, 600}, {1024, 768}, {1920, 1080}, {4000, 3000},
        {32767, 1}, {1, 32767}, {32767, 2}, {7, 32767}};
    const auto s = r_.Pick(sizes);
    width_ = s.first;
    height_ = s.second;
    Add("size " + Pos(s));
  }

  // A cell of the first rows or of any row of the largest table, now and
  // then under the id that spells out its row and column.
  int Spelled(int base, int row, int col, int digit) {
    return base + 10000 * (row + 1) + 10 * (col + 1) + digit;
  }
  int AnyPointCell() {
    const bool near = r_.Percent(50);
    const int i = near ? r_.Below(2) : r_.Below(kMaxCellIndex);
    const int j = near ? r_.Below(2) : r_.Below(kMaxCellIndex);
    const int c = r_.Below(3);
    return r_.Percent(20) ? Spelled(kPointCellBase, i, j, c) : PointCellId(i, j, c);
  }
  int AnyWeightCell() {
    const bool near = r_.Percent(50);
    const int i = near ? r_.Below(kWeightRows) : r_.Below(kMaxCellIndex);
    const int j = near ? r_.Below(2) : r_.Below(kMaxCellIndex);
    return r_.Percent(20) ? Spelled(kWeightCellBase, i, j, 0) : WeightCellId(i, j);
  }
  int AnyKnotCell() {
    const int i = r_.Percent(50) ? r_.Below(3) : r_.Below(kMaxCellIndex);
    return r_.Percent(20) ? kKnotCellBase + i : KnotCellId(i);
  }

  // Control Data typed as a curve: N points in column 0, often far off the
  // canvas (lines between far ends are where clipping is hardest).
  void CurveBurst() {
    Add("command " + std::to_string(kCmdControlPoints));
    const int n = r_.Between(2, kControlRows);
    Add("set " + std::to_string(kIdN) + " " + std::to_string(n));
    // None far, one coordinate of each point far, or both.
    const int farness = r_.Below(3);
    const int sameFarCoordinate = r_.Percent(70) ? r_.Below(2) : -1;
    for (int i = 0; i < n; ++i) {
      const int farCoordinate = sameFarCoordinate >= 0 ? sameFarCoordinate : r_.Below(2);
      for (int c = 0; c < 2; ++c) {
        const bool far = farness == 2 || (farness == 1 && c == farCoordinate);
        Add("set " + std::to_string(PointCellId(i, 0, c)) + " " +
            (far ? FarReal(r_) : std::to_string(r_.Between(0, 799))));
      }
    }
    Add("ok");
    if (r_.Percent(50)) Add("command " + std::to_string(kCmdBezier));
    Add("paint");
  }

  // Control Data typed as a surface: N and M up to the largest the fields
  // take, rectangular or triangular, with extreme steps, orders, grids and
  // view values.
  void SurfaceNet() {
    static const std::vector<std::string> sizes = {"1", "2", "3", "4", "7", "13", "14",
                                                   "16", "30", "31", "32", "50", "99", "100"};
    static const std::vector<std::string> steps = {"0", "1", "2", "5", "30", "98", "99"};
    static const std::vector<std::string> orders = {"0", "1", "2", "3", "4", "5", "50", "99"};
    static const std::vector<std::string> grids = {"0",  "1",  "2",   "3",    "50",
                                                   "99", "100", "9999", "-1", "-9999"};
    static const std::vector<std::string> views = {"0", "1", "45", "90", "180", "-30",
                                                   "1e7", "-1e7", "0.001", "400"};
    Mode(true);
    Add("command " + std::to_string(kCmdControlPoints));
    Add("check " + std::to_string(kIdTriangles) + (r_.Percent(40) ? " 1" : " 0"));
    Add("set " + std::to_string(kIdN) + " " + r_.Pick(sizes));
    Add("set " + std::to_string(kIdM) + " " + r_.Pick(sizes));
    for (int n = r_.Between(0, 20); n > 0; --n) {
      const int cell = AnyPointCell();
      Add("set " + std::to_string(cell) + " " +
          (r_.Percent(10) ? FarReal(r_) : std::to_string(r_.Between(-20, 20))));
    }
    if (r_.Percent(60)) Add("set " + std::to_string(kIdGrid) + " " + r_.Pick(grids));
    if (r_.Percent(50)) Add("set " + std::to_string(kIdXDegree) + " " + r_.Pick(steps));
    if (r_.Percent(50)) Add("set " + std::to_string(kIdYDegree) + " " + r_.Pick(steps));
    if (r_.Percent(40)) Add("set " + std::to_string(kIdXOrder) + " " + r_.Pick(orders));
    if (r_.Percent(40)) Add("set " + std::to_string(kIdYOrder) + " " + r_.Pick(orders));
    for (int id : {kIdScale, kIdTx, kIdTy, kIdTht, kIdPhi}) {
      if (r_.Percent(15)) Add("set " + std::to_string(id) + " " + r_.Pick(views));
    }
    if (r_.Percent(30)) Add("check " + std::to_string(r_.Percent(50) ? kIdApplyX : kIdApplyY) +
                            (r_.Percent(50) ? " 1" : " 0"));
    Add(r_.Percent(90) ? "ok" : "cancel");
  }

  // Weights of 0, of either sign and near the float range.
  void OddWeights() {
    static const std::vector<std::string> weights = {"0",  "-1",   "-0.5", "1e30", "3e38",
                                                     "-3e38", "1e-30", "2", "0.707107", "1"};
    Add("command " + std::to_string(kCmdWeights));
    for (int n = r_.Between(1, 12); n > 0; --n) {
      Add("set " + std::to_string(AnyWeightCell()) + " " + r_.Pick(weights));
    }
    Add(r_.Percent(90) ? "ok" : "cancel");
  }

  // The Knots dialog with the degree step and order at and beyond their
  // limits.
  void OddKnots() {
    static const std::vector<std::string> values = {"0", "1", "2", "3", "4", "5", "-1",
                                                    "97", "98", "99", "100"};
    Add("command " + std::to_string(r_.Percent(80) ? kCmdXKnots : kCmdYKnots));
    if (r_.Percent(70)) Add("set " + std::to_string(kIdDegree) + " " + r_.Pick(values));
    if (r_.Percent(40)) Add("set " + std::to_string(kIdOrder) + " " + r_.Pick(values));
    if (r_.Percent(30)) Add("set " + std::to_string(kIdChaikin) + " " + r_.Pick(values));
    if (r_.Percent(30)) Add("reset");
    Add(r_.Percent(90) ? "ok" : "cancel");
  }

  // Opens a data dialog and cancels it, prints the model, does so again,
  // opens the dialog a third time and presses OK, after typing only text
  // that is no number into fields it always reads and into cells of the
  // first rows (with `garbage`), prints the model again (CheckDialogs).
  void DialogCheck(bool garbage) {
    static const std::vector<int> dialogs = {kCmdControlPoints, kCmdWeights, kCmdXKnots,
                                             kCmdYKnots};
    const int id = r_.Pick(dialogs);
    const std::string command = "command " + std::to_string(id);
    Add(PrintLine(CheckFields()));
    for (int n = 0; n < 2; ++n) {
      Add(command);
      Add("cancel");
      Add(PrintLine(CheckFields()));
    }
    Add(command);
    if (garbage) {
      const bool knots = id == kCmdXKnots || id == kCmdYKnots;
      const std::vector<int> fields =
          id == kCmdControlPoints
              ? std::vector<int>{kIdN, kIdM, kIdXOrder, kIdYOrder, kIdXDegree, kIdYDegree,
                                 kIdScale, kIdGrid, kIdTx, kIdTy, kIdPhi, kIdTht}
          : knots ? std::vector<int>{kIdOrder, kIdDegree, kIdChaikin, kIdInsertKnot}
                  : std::vector<int>{kIdAppDim};
      auto type = [&](int field) {
        const std::string& text = r_.Pick(kGarbage);
        Add("set " + std::to_string(field) + (text.empty() ? "" : " " + text));
      };
      if (r_.Percent(20)) {
        // Alone in the first cell (the same id in every dialog), where a
        // number always counts: in Control Data it becomes the first point
        // of an empty net.
        type(kFirstCellId);
      } else {
        for (int n = r_.Between(1, 3); n > 0; --n) type(r_.Pick(fields));
        for (int n = r_.Below(3); n > 0; --n) {
          type(id == kCmdControlPoints ? AnyPointCell()
               : knots                 ? AnyKnotCell()
                                       : AnyWeightCell());
        }
      }
    }
    Add("ok");
    Add(PrintLine(CheckFields()));
  }

  // Edit > New, a few clicks, then File > Save and the answers a Save with
  // no name to save under would need (the mending drops what is not asked).
  void NewThenSave() {
    if (r_.Percent(85)) Add("answer discard");  // unsaved changes go
    Add("command " + std::to_string(kCmdNew));
    for (int n = r_.Below(4); n > 0; --n) Click();
    if (r_.Percent(30)) Add("paint");
    for (int n = r_.Percent(30) ? 2 : 1; n > 0; --n) {
      Add("command " + std::to_string(kCmdSave));
      if (r_.Percent(15)) {
        Add("file-cancel");
        continue;
      }
      saved_.push_back(SaveName());
      Add("file " + saved_.back());
      Add(std::string("answer ") + (r_.Percent(80) ? "ok" : "cancel"));
    }
  }

  // Points clicked up to a count of 1 to 99 and deleted, the order set to 1
  // to 8 in the Knots dialog, B-spline and NURBS chosen, with the knots
  // printed after every step (CheckKnotRule).
  void KnotSession() {
    std::vector<std::pair<int, int>> points;
    const int target = r_.Between(1, 99);
    Add(PrintLine(kKnotFields));
    for (int step = 0, steps = target + r_.Between(5, 60); step < steps; ++step) {
      const int kind = r_.Below(100);
      if (kind < 50 && static_cast<int>(points.size()) < target) {
        points.push_back({r_.Between(4, 795), r_.Between(4, 595)});
        known_.push_back(points.back());
        Add("click " + Pos(points.back()));
      } else if (kind < 62 && !points.empty()) {
        const int at = r_.Below(static_cast<int>(points.size()));
        Add("rclick " + Pos(points[at]));
        if (static_cast<int>(points.size()) > kMinPolygonPoints) points.erase(points.begin() + at);
      } else if (kind < 76) {
        Add("command " + std::to_string(r_.Percent(50) ? kCmdBSpline : kCmdNurbs));
      } else if (kind < 86) {
        Add("command " + std::to_string(r_.Percent(85) ? kCmdXKnots : kCmdYKnots));
        Add("set " + std::to_string(kIdOrder) + " " + std::to_string(r_.Between(1, 8)));
        if (r_.Percent(30)) Add("reset");
        Add("ok");
      } else if (kind < 92) {
        DialogCheck(r_.Percent(20));
      } else if (kind < 95) {
        NewThenSave();
        points.clear();
      } else {
        Add(r_.Percent(50) ? "paint" : "command " + std::to_string(kCmdBSplineElevation));
      }
      Add(PrintLine(kKnotFields));
    }
  }

  // Prints the probe fields, runs a result command of the mode the session
  // is likely in, prints them again.
  void Probe() {
    static const std::vector<int> surface = {kCmdBezierElevation, kCmdReduceSurfaces,
                                             kCmdTriangularSE,    kCmdTriangularNW,
                                             kCmdTriangularSW,    kCmdTriangularNE};
    static const std::vector<int> spline = {kCmdBSplineElevation,  kCmdNurbsElevation,
                                            kCmdBSplineReduction,  kCmdNurbsReduction,
                                            kCmdBSplineSimulation, kCmdNurbsSimulation};
    const std::string print = PrintLine(kProbeFields);
    const int id = r_.Percent(85) ? r_.Pick(surfaces_ ? surface : spline)
                                  : r_.Pick(kResultCommands);
    session_.probes.push_back(id);
    Add(print);
    Add("command " + std::to_string(id));
    Add(print);
  }

  void Mode(bool surfaces) {
    surfaces_ = surfaces;
    Add("command " + std::to_string(surfaces ? kCmdSurfaces : kCmdCurves));
  }

  // A B-spline or NURBS curve of up to 99 points for the spline degree
  // commands.
  void SplineCurve() {
    Mode(false);
    if (r_.Percent(70)) {
      CurveBurst();
    } else {
      Add("command " + std::to_string(kCmdControlPoints));
      Add("set " + std::to_string(kIdN) +
          " " + r_.Pick(std::vector<std::string>{"3", "4", "5", "8", "20", "50", "96", "99"}));
      for (int i = 0; i < kControlRows; ++i) {
        for (int c = 0; c < 2; ++c) {
          Add("set " + std::to_string(PointCellId(i, 0, c)) + " " +
              std::to_string(r_.Between(0, 799)));
        }
      }
      Add("ok");
    }
    Add("command " + std::to_string(r_.Percent(50) ? kCmdBSpline : kCmdNurbs));
    if (r_.Percent(40)) OddKnots();
  }

  void SurfaceAction() {
    static const std::vector<int> surface = {
        kCmdBezierElevation, kCmdBezierElevation, kCmdReduceSurfaces, kCmdReduceSurfaces,
        kCmdTriangularSE,    kCmdTriangularNW,    kCmdTriangularSW,   kCmdTriangularNE,
        kCmdBezier,          kCmdRationalBezier,  kCmdBSpline,        kCmdNurbs,
        kCmdEditSave,        kCmdCopy,            kCmdPaste};
    static const std::vector<int> spline = {
        kCmdBSplineElevation, kCmdNurbsElevation,  kCmdBSplineReduction, kCmdNurbsReduction,
        kCmdBSplineSimulation, kCmdNurbsSimulation, kCmdBSpline,         kCmdNurbs,
        kCmdEditSave,          kCmdBSplineKnotInsert, kCmdNurbsKnotDelete};
    const int kind = r_.Below(100);
    if (kind < 14) return SurfaceNet();
    if (kind < 20) return SplineCurve();
    if (kind < 26) return OddWeights();
    if (kind < 32) return OddKnots();
    if (kind < 44) return Probe();
    if (kind < 48) return Add("paint");
    if (kind < 51) return FileCommand(kCmdSaveAs);
    if (kind < 54) {
      FileCommand(kCmdOpen);
      return Mode(r_.Percent(70));
    }
    if (kind < 58) return Add("drag " + Pos(Inside()) + " " + Pos(Position()));
    if (kind < 61) return Mode(!surfaces_);
    if (kind < 66) return DialogCheck(r_.Percent(30));
    Add("command " + std::to_string(r_.Pick(surfaces_ ? surface : spline)));
  }

  void Dialog(int id) {
    if (id == kCmdControlPoints && r_.Percent(25)) return CurveBurst();
    Add("command " + std::to_string(id));
    std::vector<int> ids;
    std::vector<int> checks;
    if (id == kCmdControlPoints) {
      ids = {kIdN, kIdM, kIdXOrder, kIdYOrder, kIdXDegree, kIdYDegree, kIdScale, kIdGrid, kIdTx,
             kIdTy, kIdPhi, kIdTht};
      for (int i = 0; i < kControlRows + 2; ++i) {
        for (int j = 0; j < kControlCols + 1; ++j) {
          for (int c = 0; c < 3; ++c) ids.push_back(PointCellId(i, j, c));
        }
      }
      for (int n = 0; n < 20; ++n) ids.push_back(AnyPointCell());
      checks = {kIdApplyX, kIdApplyY, kIdTriangles};
    } else if (id == kCmdWeights) {
      ids = {kIdAppDim};
      for (int i = 0; i < kWeightRows + 1; ++i) {
        for (int j = 0; j < kWeightCols + 1; ++j) ids.push_back(WeightCellId(i, j));
      }
      for (int n = 0; n < 20; ++n) ids.push_back(AnyWeightCell());
    } else if (id == kCmdXKnots || id == kCmdYKnots) {
      ids = {kIdOrder, kIdDegree, kIdChaikin, kIdInsertKnot};
      for (int i = 0; i < kKnotCells + 2; ++i) ids.push_back(KnotCellId(i));
      for (int n = 0; n < 10; ++n) ids.push_back(AnyKnotCell());
    } else {
      ids = {1, 2, 1076};
    }
    const int sets = r_.Percent(20) ? 0 : r_.Between(1, 10);
    for (int k = 0; k < sets; ++k) {
      if (!checks.empty() && r_.Percent(15)) {
        Add("check " + std::to_string(r_.Pick(checks)) + " " + (r_.Percent(50) ? "1" : "0"));
        continue;
      }
      // The size fields take two characters: 150 reads as 15.
      const int target = id == kCmdControlPoints && r_.Percent(25) ? (r_.Percent(50) ? kIdN : kIdM)
                                                                   : r_.Pick(ids);
      std::string value = DialogValue(r_);
      if ((target == kIdN || target == kIdM) && r_.Percent(30)) value = "150";
      Add("set " + std::to_string(target) + (value.empty() ? "" : " " + value));
      if (r_.Percent(8)) Add("reset");
    }
    const int end = r_.Below(10);
    if (end < 7) {
      Add("ok");
    } else if (end < 9) {
      Add("cancel");
    } else {
      Add("reset");
      Add(r_.Percent(50) ? "ok" : "cancel");
    }
  }

  void FileCommand(int id) {
    // Unsaved changes are mostly discarded; none queued cancels the Open.
    if (id == kCmdOpen && r_.Percent(80)) Add("answer discard");
    Add("command " + std::to_string(id));
    if (r_.Percent(10)) {
      Add("file-cancel");
      return;
    }
    if (id == kCmdOpen) {
      std::string name = r_.Pick(openNames_);
      if (!saved_.empty() && r_.Percent(40)) name = r_.Pick(saved_);
      Add("file " + name);
      return;
    }
    const std::string name = id == kCmdOutput ? OutputName() : SaveName();
    if (id == kCmdSaveAs) saved_.push_back(name);
    Add("file " + name);
    // Most names exist by now; the mending adds or drops the question.
    Add(std::string("answer ") + (r_.Percent(80) ? "ok" : "cancel"));
  }

  void Command() {
    const int kind = r_.Below(100);
    if (kind < 8) {
      Add("command " + std::to_string(r_.Pick(kUnknownIds)));
      return;
    }
    if (kind < 16) {
      // Families and modes, so that the displays and reductions run often.
      static const std::vector<int> frequent = {kCmdBezier, kCmdBezier, kCmdCurves, kCmdSurfaces,
                                                kCmdNew, kCmdCopy, kCmdPaste, kCmdEditSave};
      Add("command " + std::to_string(r_.Pick(frequent)));
      return;
    }
    int id;
    do id = r_.Pick(CommandIds());
    while (Prompts(id));
    Add("command " + std::to_string(id));
  }

  void Action() {
    const int kind = r_.Below(240);
    if (kind < 40) return Click();
    if (kind < 52) return Add("rclick " + Pos(NearKnown()));
    if (kind < 64) return Add("move " + Pos(Position()));
    if (kind < 72) {
      const auto to = Position();
      known_.push_back(to);
      return Add("drag " + Pos(NearKnown()) + " " + Pos(to));
    }
    if (kind < 80) {
      static const std::vector<std::string> verbs = {"ldown", "lup", "rdown", "rup", "move"};
      return Add(r_.Pick(verbs) + " " + Pos(Position()));
    }
    if (kind < 86) return Add("click " + Pos(Extreme()));
    if (kind < 92) return Size();
    if (kind < 102) return Add("paint");
    if (kind < 134) return Command();
    if (kind < 160) {
      static const std::vector<int> dialogs = {kCmdControlPoints, kCmdControlPoints, kCmdWeights,
                                               kCmdXKnots, kCmdYKnots, kCmdAbout};
      return Dialog(r_.Pick(dialogs));
    }
    if (kind < 170) return FileCommand(kCmdOpen);
    if (kind < 176) return Add("command " + std::to_string(kCmdSave));
    if (kind < 184) return FileCommand(kCmdSaveAs);
    if (kind < 188) return FileCommand(kCmdOutput);
    if (kind < 191) return Add("command " + std::to_string(kCmdCloseOutput));
    if (kind < 195) {
      std::string line = "print";
      for (int n = r_.Between(1, 4); n > 0; --n) line += " " + r_.Pick(kFieldNames);
      return Add(line);
    }
    if (kind < 198) {
      std::string line = "menu";
      for (int n = r_.Between(1, 3); n > 0; --n) {
        line += " " + std::to_string(r_.Percent(80) ? r_.Pick(CommandIds()) : r_.Pick(kUnknownIds));
      }
      return Add(line);
    }
    if (kind < 199) return Add("png shot.png");
    if (kind < 211) return DialogCheck(r_.Percent(30));
    if (kind < 219) return NewThenSave();
    if (kind < 232) return UndoRedo();
    if (r_.Percent(30)) {
      if (r_.Percent(60)) Add(r_.Percent(70) ? "answer discard" : "answer cancel");
      return Add("command " + std::to_string(kCmdExit));
    }
    return Add("paint");
  }

  // Undo a few steps and redo some, the document printed after each
  // (CheckHistory).
  void UndoRedo() {
    std::string ops(static_cast<std::size_t>(r_.Between(1, 6)), 'U');
    ops += std::string(static_cast<std::size_t>(r_.Between(0, static_cast<int>(ops.size()) + 1)), 'R');
    session_.histories.push_back(ops);
    // Undo from the menu comes after the buttons are up: a drag in progress
    // is its step only at its release.
    Add("lup 65535 65535");
    Add("rup 65535 65535");
    Add("print undo document");
    for (char op : ops) {
      Add("command " + std::to_string(op == 'U' ? kCmdUndo : kCmdRedo));
      Add("print document");
    }
  }

  Rng r_;
  Session session_;
  std::vector<std::string> openNames_;
  std::vector<std::string> saved_;
  std::vector<std::pair<int, int>> known_ = {{100, 450}, {180, 160}, {340, 110}};
  int width_ = 800;
  int height_ = 600;
  int surfaceBias_ = 0;
  bool surfaces_ = false;  // the mode the last mode command chose
};

// ---------------------------------------------------------------------------
// Mending a script at the line where the replay stopped.

bool IsDialogVerb(const std::string& line) {
  const std::string verb = line.substr(0, line.find(' '));
  return verb == "set" || verb == "check" || verb == "reset" || verb == "ok" || verb == "cancel";
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Returns false when the fault is not a prompt that came or failed to come.
bool Mend(std::vector<std::string>& lines, int lineNumber, const std::string& what, Rng& r) {
  const std::size_t at = static_cast<std::size_t>(std::max(lineNumber - 1, 0));
  const bool atEnd = what.find("left open at the end") != std::string::npos ||
                     what.find("left without an answer") != std::string::npos;
  const std::size_t insertAt = atEnd ? lines.size() : std::min(at, lines.size());
  if (EndsWith(what, ": no dialog is open") && at < lines.size()) {
    std::size_t end = at + 1;
    while (end < lines.size() && IsDialogVerb(lines[end])) ++end;
    lines.erase(lines.begin() + at, lines.begin() + end);
  } else if ((EndsWith(what, ": nothing asks for a file name") ||
              what == "answer: nothing asks a question") && at < lines.size()) {
    lines.erase(lines.begin() + at);
  } else if (what.find("expects file PATH") != std::string::npos ||
             what.find("the prompt") == 0) {
    lines.insert(lines.begin() + insertAt, "file-cancel");
  } else if (what.find("question") != std::string::npos) {
    lines.insert(lines.begin() + insertAt, r.Percent(50) ? "answer ok" : "answer cancel");
  } else if (EndsWith(what, " is disabled here") && at < lines.size()) {
    lines.erase(lines.begin() + at);  // a field the dialog's mode does not use
  } else if (what.find("dialog") != std::string::npos) {
    // A dialog that stays open after OK, holding a value it cannot take, is
    // closed with Cancel before the prints that follow the OK.
    std::size_t ok = insertAt;
    while (ok > 0 && lines[ok - 1].rfind("print ", 0) == 0) --ok;
    const bool okFailed = ok > 0 && lines[ok - 1] == "ok";
    if (okFailed) {
      lines.insert(lines.begin() + ok, "cancel");
    } else {
      lines.insert(lines.begin() + insertAt, r.Percent(70) ? "ok" : "cancel");
    }
  } else {
    return false;
  }
  return true;
}

// The last "NAME:LINE: what" line of the replay's error output.
bool ScriptFault(const std::string& err, int& line, std::string& what) {
  const std::string prefix = std::string(kScriptName) + ":";
  const std::size_t start = err.rfind("\n" + prefix);
  const std::size_t from = start == std::string::npos ? (err.rfind(prefix, 0) == 0 ? 0 : err.npos)
                                                      : start + 1;
  if (from == std::string::npos) return false;
  std::string rest = err.substr(from + prefix.size());
  if (!rest.empty() && rest.back() == '\n') rest.pop_back();
  const std::size_t colon = rest.find(": ");
  if (colon == std::string::npos) return false;
  line = std::atoi(rest.substr(0, colon).c_str());
  what = rest.substr(colon + 2);
  return true;
}

// ---------------------------------------------------------------------------
// Reading the check images back (the replay tool writes stored deflate
// blocks, no filters).

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::uint32_t BigEndian(const std::string& s, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t k = 0; k < 4; ++k) value = (value << 8) | std::uint8_t(s[at + k]);
  return value;
}

bool ReadPng(const std::string& file, Image& image) {
  if (file.size() < 8) return false;
  std::string zlib;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::uint32_t length = BigEndian(file, at);
    const std::string type = file.substr(at + 4, 4);
    if (at + 12 + length > file.size()) return false;
    if (type == "IHDR") {
      image.width = static_cast<int>(BigEndian(file, at + 8));
      image.height = static_cast<int>(BigEndian(file, at + 12));
    } else if (type == "IDAT") {
      zlib += file.substr(at + 8, length);
    }
    at += 12 + length;
  }
  std::string raw;
  for (std::size_t at = 2; at + 5 <= zlib.size();) {
    const bool last = (zlib[at] & 1) != 0;
    if ((zlib[at] & 6) != 0) return false;  // only stored blocks
    const std::size_t length = std::uint8_t(zlib[at + 1]) | (std::uint8_t(zlib[at + 2]) << 8);
    raw += zlib.substr(at + 5, length);
    at += 5 + length;
    if (last) break;
  }
  const std::size_t stride = 1 + 3 * static_cast<std::size_t>(image.width);
  if (image.width <= 0 || image.height <= 0 || raw.size() != stride * image.height) return false;
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const char* p = raw.data() + y * stride + 1 + 3 * x;
      image.pixels[static_cast<std::size_t>(y) * image.width + x] =
          (std::uint32_t(std::uint8_t(p[0])) << 16) | (std::uint32_t(std::uint8_t(p[1])) << 8) |
          std::uint8_t(p[2]);
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// The checks after a session. Each adds a line to `faults`.

void CheckModel(std::vector<std::string>& faults) {
  const ModelState& m = Model();
  auto within = [&](const char* name, int value, int lo, int hi) {
    if (value < lo || value > hi) {
      faults.push_back(std::string(name) + " is " + std::to_string(value) + ", outside " +
                       std::to_string(lo) + ".." + std::to_string(hi));
    }
  };
  within("pointCount", m.pointCount, 0, kMaxPoints);
  within("netRows", m.netRows, 0, kMaxNet);
  within("netCols", m.netCols, 0, kMaxNet);
  within("hoverIndex", m.hoverIndex, -1, kMaxPoints - 1);
  within("pickedIndex", m.pickedIndex, 0, kMaxPoints - 1);
  within("objectMode", m.objectMode, kCurves, kSurfaces);
  within("curveKind", m.curveKind, kNoCurve, kNurbs);
  within("triangles", m.triangles, 0, 1);
  if (m.logActive == 1 && m.logFile == nullptr) faults.push_back("logActive is 1 without a log");
}

// Every value the model keeps is finite and the model is one Save writes and
// Open reads back. Changes the net (as Save does), so it runs after the
// other model checks.
void CheckModelSaves(std::vector<std::string>& faults) {
  ModelState& m = Model();
  for (int i = 0; i < std::clamp(m.pointCount, 0, kMaxPoints); ++i) {
    if (!std::isfinite(m.points[i].x) || !std::isfinite(m.points[i].y) ||
        !std::isfinite(m.weights[i])) {
      faults.push_back("curve point or weight " + std::to_string(i) + " is not finite");
      return;
    }
  }
  for (int k = 0; k < StoredKnotCount(m.pointCount, m.order); ++k) {
    if (!std::isfinite(m.knots[k])) {
      faults.push_back("knot " + std::to_string(k) + " is not finite");
      return;
    }
  }
  if (m.objectMode == kCurves) CurveToNet();
  if (m.netRows <= 0 || m.netCols <= 0) return;
  if (m.objectMode == kSurfaces && m.triangles == 1) UnpackTriangle();
  const auto contents = std::make_unique<ControlFileContents>();
  std::string reason;
  if (!ParseControlFile(FormatControlFile(), *contents, reason)) {
    faults.push_back("Save would refuse the model or Open its file: " + reason);
  }
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Where each run of printed lines of `fields`, in that order, starts.
std::vector<std::size_t> PrintBlocks(const std::vector<std::string>& lines,
                                     const std::vector<std::string>& fields) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i + fields.size() <= lines.size(); ++i) {
    std::size_t f = 0;
    while (f < fields.size() && lines[i + f].rfind(fields[f] + "=", 0) == 0) ++f;
    if (f < fields.size()) continue;
    starts.push_back(i);
    i += fields.size() - 1;
  }
  return starts;
}

// The Undo and Redo bursts: each printed state is the one the history
// recorded ("same"), Undo goes back one step until the first, Redo forward
// one step until the last, and a step reached twice holds the same model.
int CheckHistory(const Session& session, const std::vector<std::string>& lines,
                 std::vector<std::string>& faults) {
  auto read = [&](std::size_t at, long& position, std::string& hash) {
    std::string same;
    std::istringstream in(at < lines.size() ? lines[at] : "");
    return in.ignore(9) && in >> position >> hash >> same && lines[at].rfind("document=", 0) == 0 &&
           (same == "same" || (faults.push_back("the model is not the state recorded"), true));
  };
  std::size_t burst = 0;
  long position = 0;
  std::string hash;
  for (std::size_t i = 0; i + 1 < lines.size() && burst < session.histories.size(); ++i) {
    if (lines[i].rfind("undo=", 0) != 0 || !read(i + 1, position, hash)) continue;
    const std::string& ops = session.histories[burst++];
    std::map<long, std::string> seen = {{position, hash}};
    for (std::size_t k = 0; k < ops.size(); ++k) {
      long now = 0;
      std::string nowHash;
      if (!read(i + 2 + k, now, nowHash)) break;
      const bool stayed = now == position && nowHash == hash && (ops[k] == 'R' || now == 0);
      if ((now != position + (ops[k] == 'U' ? -1 : 1) && !stayed) ||
          seen.emplace(now, nowHash).first->second != nowHash) {
        faults.push_back("undo burst " + ops + ": step " + std::to_string(position) + " to " +
                         std::to_string(now) + " is not the state recorded there");
      }
      position = now, hash = nowHash;
    }
  }
  return static_cast<int>(burst);
}

std::string Shorten(const std::string& text) {
  return text.size() <= 60 ? text : text.substr(0, 57) + "...";
}

// The first field of two printed blocks that differs, as "name: a -> b"
// (for a list, its first differing entry); empty when they are the same.
std::string FirstChange(const std::vector<std::string>& lines, std::size_t a, std::size_t b,
                        const std::vector<std::string>& fields) {
  for (std::size_t f = 0; f < fields.size(); ++f) {
    const std::string before = lines[a + f].substr(fields[f].size() + 1);
    const std::string after = lines[b + f].substr(fields[f].size() + 1);
    if (before == after) continue;
    std::istringstream x(before), y(after);
    std::string u, v;
    for (int k = 0;; ++k) {
      const bool more = static_cast<bool>(x >> u), moreAfter = static_cast<bool>(y >> v);
      if (!more || !moreAfter || u != v) {
        return fields[f] + " [" + std::to_string(k) + "]: " + Shorten(more ? u : "(none)") +
               " -> " + Shorten(moreAfter ? v : "(none)");
      }
    }
  }
  return "";
}

// The probe prints come in pairs around one result command each; with Save
// off the pair must be the same. Returns the number of pairs compared.
int CheckProbes(const Session& session, const std::vector<std::string>& lines,
                std::vector<std::string>& faults) {
  const std::vector<std::size_t> blocks = PrintBlocks(lines, kProbeFields);
  int compared = 0;
  for (std::size_t p = 0; p + 1 < blocks.size() && p / 2 < session.probes.size(); p += 2) {
    if (lines[blocks[p] + 1] != "saveResults=0") continue;
    ++compared;
    const std::string change = FirstChange(lines, blocks[p], blocks[p + 1], kProbeFields);
    if (change.empty()) continue;
    faults.push_back("command " + std::to_string(session.probes[p / 2]) +
                     " with Save off changed " + change + " (probe " + std::to_string(p / 2) +
                     ")");
  }
  return compared;
}

// For every two consecutive prints of `print` in the script as it ran, the
// lines between them, the first named "line N: " by its number.
std::vector<std::vector<std::string>> Gaps(const std::vector<std::string>& script,
                                           const std::string& print) {
  std::vector<std::vector<std::string>> gaps;
  std::size_t last = script.size();
  for (std::size_t i = 0; i < script.size(); ++i) {
    if (script[i] != print) continue;
    if (last < i) {
      gaps.emplace_back(script.begin() + last + 1, script.begin() + i);
      if (!gaps.back().empty()) gaps.back()[0].insert(0, "line " + std::to_string(last + 2) + ": ");
    }
    last = i;
  }
  return gaps;
}

// The dialog checks print the model before the dialog opens, after a
// Cancel, after a second Cancel and after OK: the four prints are the same. Text that is no number in a
// field the mode uses holds OK with one message; no typing brings none (a
// dialog the model does not open, the Knots of a triangular patch, and
// fields of the other mode had their lines mended away). Text alone in the
// first cell is read, and so told, by Control Data always, by Weights when
// there is a net and by Knots when there are knots (an empty text there may
// be no typing at all); text in other cells is told where the table has
// them. Returns the number of dialogs checked.
int CheckDialogs(const std::vector<std::string>& script, const std::vector<std::string>& lines,
                 std::vector<std::string>& faults) {
  const std::vector<std::string>& fields = CheckFields();
  const std::vector<std::vector<std::string>> gaps = Gaps(script, PrintLine(fields));
  const std::vector<std::size_t> blocks = PrintBlocks(lines, fields);
  auto value = [&](std::size_t block, const std::string& name) {
    const auto f = std::find(fields.begin(), fields.end(), name) - fields.begin();
    return std::atoi(lines[block + f].c_str() + name.size() + 1);
  };
  int checked = 0;
  for (std::size_t g = 0; g + 2 < gaps.size() && g + 3 < blocks.size(); g += 4) {
    ++checked;
    for (std::size_t k = g; k < g + 3; ++k) {
      const std::vector<std::string>& gap = gaps[k];
      std::vector<std::string> sets;
      std::copy_if(gap.begin(), gap.end(), std::back_inserter(sets),
                   [](const std::string& l) { return l.rfind("set ", 0) == 0; });
      const std::string what =
          (gap.empty() ? "?" : gap[0]) + (k == g            ? " opened and cancelled"
                                          : k == g + 1      ? " opened again after Cancel"
                                          : !sets.empty() ? " OK after text that is no number"
                                                          : " OK");
      const std::string change = FirstChange(lines, blocks[k], blocks[k + 1], fields);
      if (!change.empty()) faults.push_back(what + " changed " + change);
      const bool fieldTyped = std::any_of(sets.begin(), sets.end(), [](const std::string& l) {
        return std::atoi(l.c_str() + 4) < kFirstCellId;
      });
      int expected = sets.empty() ? 0 : fieldTyped ? 1 : -1;
      if (sets.size() == 1 && std::atoi(sets[0].c_str() + 4) == kFirstCellId) {
        expected = 1;
        const int dialog = std::atoi(gap[0].c_str() + gap[0].rfind(' ') + 1);
        // The dialogs edit the curve in Curves mode, the net (one direction
        // of it for the knots) in Surfaces mode.
        const auto at = [&](const char* name) { return value(blocks[k], name); };
        const bool curves = at("objectMode") == kCurves, x = dialog == kCmdXKnots;
        const bool noWeights = curves ? at("pointCount") < 1 : at("netRows") < 1 || at("netCols") < 1;
        const int knots = curves ? at("pointCount") + at("order")
                          : x    ? at("netRows") + at("xOrder")
                                 : at("netCols") + at("yOrder");
        if (sets[0] == "set " + std::to_string(kFirstCellId) ||  // left empty: nothing typed
            (dialog == kCmdWeights && noWeights) ||
            ((x || dialog == kCmdYKnots) && knots < 1)) {
          expected = -1;  // a cell the dialog does not read
        }
      }
      const long messages = std::count_if(
          lines.begin() + blocks[k] + fields.size(), lines.begin() + blocks[k + 1],
          [](const std::string& l) {
            return l.rfind("tambra: ", 0) == 0 || l.rfind("dialog: ", 0) == 0;
          });
      if (expected >= 0 && messages != expected) {
        faults.push_back(what + " brought " + std::to_string(messages) + " messages");
      }
    }
  }
  return checked;
}

// The knot sessions print the order, the count and the knots after every
// step. After a click, a deletion or a B-spline or NURBS choice, an
// automatic vector (all zero, or the default one of its count and order) is
// the default one of the new count and order; any other vector, or one
// whose count stayed, keeps its entries. Returns the steps checked.
int CheckKnotRule(const std::vector<std::string>& script, const std::vector<std::string>& lines,
                  std::vector<std::string>& faults) {
  struct Knots {
    int order, count;
    std::vector<float> knots;
  };
  auto read = [&](std::size_t at) {
    Knots k{std::atoi(lines[at].c_str() + 6), std::atoi(lines[at + 1].c_str() + 11), {}};
    std::istringstream in(lines[at + 2].substr(6));
    for (std::string word; in >> word;) k.knots.push_back(std::strtof(word.c_str(), nullptr));
    return k;
  };
  // The clamped uniform vector; with fewer points than the order its last
  // entries overwrite the zeros.
  auto standard = [](int n, int k) {
    std::vector<float> v(std::clamp(n + k, 0, kMaxKnots));
    for (int i = 0; i < static_cast<int>(v.size()); ++i) {
      v[i] = static_cast<float>(i >= std::max(n, 0) ? n - k + 1 : i < k ? 0 : i - k + 1);
    }
    return v;
  };
  const std::vector<std::vector<std::string>> gaps = Gaps(script, PrintLine(kKnotFields));
  const std::vector<std::size_t> blocks = PrintBlocks(lines, kKnotFields);
  int checked = 0;
  for (std::size_t g = 0; g < gaps.size() && g + 1 < blocks.size(); ++g) {
    if (gaps[g].size() != 1) continue;
    const std::string step = gaps[g][0].substr(gaps[g][0].find(": ") + 2);
    const bool point = step.rfind("click ", 0) == 0 || step.rfind("rclick ", 0) == 0;
    if (!point && step != "command " + std::to_string(kCmdBSpline) &&
        step != "command " + std::to_string(kCmdNurbs)) {
      continue;
    }
    ++checked;
    const Knots a = read(blocks[g]);
    Knots b = read(blocks[g + 1]);
    const bool automatic =
        a.knots == standard(a.count, a.order) ||
        std::all_of(a.knots.begin(), a.knots.end(), [](float x) { return x == 0.0f; });
    const bool rebuilt = automatic && !(point && a.count == b.count);
    std::vector<float> expected = rebuilt ? standard(b.count, b.order) : a.knots;
    if (!rebuilt) {  // a point more leaves the new last entry open
      expected.resize(std::min(expected.size(), b.knots.size()));
      b.knots.resize(expected.size());
    }
    if (b.knots == expected) continue;
    std::string text = gaps[g][0] + " (pointCount " + std::to_string(a.count) + " -> " +
                       std::to_string(b.count) + ", order " + std::to_string(b.order) + ", " +
                       (automatic ? "automatic" : "chosen") + " knots) left knot ";
    std::size_t k = 0;
    while (k < expected.size() && k < b.knots.size() && expected[k] == b.knots[k]) ++k;
    text += std::to_string(k) + " " +
            (k < b.knots.size() ? Real(b.knots[k]) : std::string("(none)")) + ", not " +
            (k < expected.size() ? Real(expected[k]) : std::string("(none)"));
    faults.push_back(text);
  }
  return checked;
}

bool IsTemporaryOfSave(const std::string& name) {
  return name.find(".tmp-") != std::string::npos || name.rfind(".tambra-", 0) == 0;
}

// Returns the number of saved files checked.
int CheckSavedFiles(const Session& session, const fs::path& dir,
                    std::vector<std::string>& faults) {
  int checked = 0;
  std::vector<fs::path> paths;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file() && !entry.is_symlink()) paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  for (const fs::path& path : paths) {
    const std::string name = fs::relative(path, dir).string();
    const std::string base = path.filename().string();
    if (IsTemporaryOfSave(base)) {
      faults.push_back("a save left its temporary file " + name + " behind");
      continue;
    }
    const std::string ext = path.extension().string();
    if (ext == ".png" || ext == ".dat" || name == kScriptName) continue;
    const std::string text = ReadFile(path);
    const auto original = session.files.find(name);
    if (original != session.files.end() && original->second == text) continue;
    ++checked;
    ControlFileContents contents;
    std::string reason;
    if (!ParseControlFile(text, contents, reason)) {
      faults.push_back("saved file " + name + " cannot be opened again: " + reason);
      continue;
    }
    ApplyControlFile(contents);
    if (FormatControlFile() != text) {
      faults.push_back("saved file " + name + " reads back as a different model");
    }
  }
  return checked;
}

// The mouse moved away from every point on a freshly painted canvas: any
// pixel it changed must lie in the mark of a current control point.
// Returns false when the session ended before the check.
bool CheckCanvas(const fs::path& dir, std::vector<std::string>& faults) {
  if (!fs::exists(dir / kCheckBefore) || !fs::exists(dir / kCheckAfter)) return false;
  const std::string beforeFile = ReadFile(dir / kCheckBefore);
  const std::string afterFile = ReadFile(dir / kCheckAfter);
  if (beforeFile == afterFile) return true;
  Image before, after;
  if (!ReadPng(beforeFile, before) || !ReadPng(afterFile, after) ||
      before.width != after.width || before.height != after.height) {
    faults.push_back("the check images cannot be read");
    return true;
  }
  const ModelState& m = Model();
  auto explained = [&](int x, int y) {
    if (m.objectMode != kCurves) return false;
    for (int i = 0; i < std::clamp(m.pointCount, 0, kMaxPoints); ++i) {
      const int px = TruncateToPixel(m.points[i].x), py = TruncateToPixel(m.points[i].y);
      if (x >= px - 3 && x < px + 3 && y >= py - 3 && y < py + 3) return true;
    }
    return false;
  };
  for (int y = 0; y < before.height; ++y) {
    for (int x = 0; x < before.width; ++x) {
      const std::size_t k = static_cast<std::size_t>(y) * before.width + x;
      if (before.pixels[k] != after.pixels[k] && !explained(x, y)) {
        faults.push_back("moving the mouse away drew a mark at (" + std::to_string(x) + ", " +
                         std::to_string(y) + ") where the model has no point (pointCount " +
                         std::to_string(m.pointCount) + ")");
        return true;
      }
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Running.

struct Options {
  std::uint64_t seed = 1;
  std::uint64_t count = 100;
  std::string keep;
  bool verbose = false;
  bool printScripts = false;
  unsigned timeout = 60;
};

// What the crash and timeout handlers print; filled before each session.
char g_crashNote[512] = "";

void WriteCrashNote() {
  const ssize_t ignored = ::write(2, g_crashNote, std::strlen(g_crashNote));
  (void)ignored;
}

extern "C" void OnAlarm(int) {
  static const char text[] = "TIMEOUT: the session ran past the time limit\n";
  const ssize_t ignored = ::write(2, text, sizeof text - 1);
  (void)ignored;
  WriteCrashNote();
  ::_exit(4);
}

extern "C" void OnFatalSignal(int signal) {
  WriteCrashNote();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

extern "C" void OnSanitizerDeath() { WriteCrashNote(); }

}  // namespace
}  // namespace tambra

// An undefined-behaviour report aborts (and so reaches the crash note) with
// its stack; the address sanitizer calls the death callback itself.
extern "C" const char* __ubsan_default_options() {
  return "abort_on_error=1:print_stacktrace=1";
}

namespace tambra {
namespace {

void InstallHandlers() {
  ::signal(SIGALRM, OnAlarm);
  ::signal(SIGABRT, OnFatalSignal);
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(OnSanitizerDeath);
#else
  for (int s : {SIGSEGV, SIGFPE, SIGBUS, SIGILL}) ::signal(s, OnFatalSignal);
#endif
}

void ClearDirectory(const fs::path& dir) {
  for (const auto& entry : fs::directory_iterator(dir)) fs::remove_all(entry.path());
}

void Populate(const Session& session, const fs::path& dir) {
  for (const std::string& d : session.directories) fs::create_directories(dir / d);
  for (const auto& [name, text] : session.files) {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  for (const auto& [link, target] : session.symlinks) fs::create_symlink(target, dir / link);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

struct SessionResult {
  bool synced = true;
  int mends = 0;
  int status = 0;
  int savedFiles = 0;
  bool canvasChecked = false;
  int probes = 0;
  int dialogs = 0;
  int knotSteps = 0;
  int refusals = 0;
  int histories = 0;
  int documentChecks = 0;
  int roundTrips = 0;
  std::vector<std::string> faults;
};

// What the outcome watcher found in the current run: a refusal that
// changed the model or left no status saying why.
std::vector<std::string> g_refusalFaults;
int g_refusals = 0;

// The model with what a command may touch on its way blanked: the snapshots
// the window takes to draw and the text buffer a display formats into.
std::unique_ptr<ModelState> Comparable(const ModelState& m) {
  auto copy = std::make_unique<ModelState>();
  std::memcpy(static_cast<void*>(copy.get()), &m, sizeof m);
  std::memset(&copy->curveSnapshot, 0, sizeof copy->curveSnapshot);
  std::memset(&copy->surfaceSnapshot, 0, sizeof copy->surfaceSnapshot);
  std::memset(copy->textBuffer, 0, sizeof copy->textBuffer);
  return copy;
}

void CheckRefusal(Platform& window, const Outcome& outcome, const ModelState& before) {
  if (outcome.refusal.empty()) return;
  ++g_refusals;
  const auto* headless = dynamic_cast<HeadlessPlatform*>(&window);
  if (headless != nullptr && headless->Status() != outcome.refusal) {
    g_refusalFaults.push_back("a refusal left the status \"" + headless->Status() +
                              "\" instead of \"" + outcome.refusal + "\"");
  }
  const auto a = Comparable(before), b = Comparable(Model());
  if (std::memcmp(static_cast<const void*>(a.get()), b.get(), sizeof(ModelState)) != 0) {
    g_refusalFaults.push_back("the refusal \"" + outcome.refusal + "\" changed the model");
  }
}

// One run of `lines` in a freshly populated directory; returns the replay's
// exit status, leaves its output (prints and messages) in `printed` and its
// last line, where a refused script line is named, in `err`.
int RunOnce(const Session& session, const std::vector<std::string>& lines, const fs::path& work,
            const fs::path& keepDir, unsigned timeout, std::string& err, std::string& printed) {
  ClearDirectory(work);
  Populate(session, work);
  const std::string script = JoinLines(lines);
  if (!keepDir.empty()) {
    if (!fs::exists(keepDir)) {
      fs::create_directories(keepDir);
      Populate(session, keepDir);
    }
    std::ofstream(keepDir / kScriptName, std::ios::binary) << script;
  }
  CloseOutputLog();
  ResetModelState();
  g_refusalFaults.clear();
  ResetDocumentOracle();
  std::istringstream in(script);
  // Prints and messages in one stream, so that a message shows where it came.
  std::ostringstream out;
  ::alarm(timeout);
  const int status = RunReplay(in, kScriptName, out, out);
  ::alarm(0);
  printed = out.str();
  const std::size_t last = printed.find_last_of('\n', printed.size() - 2);
  err = printed.substr(last == std::string::npos ? 0 : last + 1);
  return status;
}

SessionResult RunSession(Session& session, const fs::path& work, const fs::path& keepDir,
                   const Options& options) {
  Rng mendRng(session.seed ^ 0x5EED);
  SessionResult outcome;
  if (!keepDir.empty()) fs::remove_all(keepDir);
  std::string err, printed;
  for (int attempt = 0;; ++attempt) {
    outcome.status = RunOnce(session, session.lines, work, keepDir, options.timeout, err, printed);
    if (outcome.status != kReplayBadScript) break;
    ++outcome.mends;
    int line = 0;
    std::string what;
    if (!ScriptFault(err, line, what) || !Mend(session.lines, line, what, mendRng)) {
      outcome.faults.push_back("the replay refused the script: " + err);
      break;
    }
    if (attempt == kMaxRepairs) {
      outcome.synced = false;
      break;
    }
  }
  // Moving the mouse away draws only while a point is highlighted: only
  // then is the session run again with the canvas check after it (writing
  // the check images is the dearest part of a session).
  // In Surfaces mode nothing may change; checked in some of those sessions.
  if (outcome.status == kReplayCanvasDiffers) outcome.faults.push_back(err);
  if (outcome.status != kReplayBadScript) {
    outcome.faults.insert(outcome.faults.end(), g_refusalFaults.begin(), g_refusalFaults.end());
    const DocumentOracle& document = CurrentDocumentOracle();
    outcome.faults.insert(outcome.faults.end(), document.faults.begin(), document.faults.end());
    outcome.documentChecks = document.checks;
    outcome.roundTrips = document.roundTrips;
    const std::vector<std::string> lines = SplitLines(printed);
    outcome.probes = CheckProbes(session, lines, outcome.faults);
    outcome.dialogs = CheckDialogs(session.lines, lines, outcome.faults);
    outcome.knotSteps = CheckKnotRule(session.lines, lines, outcome.faults);
    outcome.histories = CheckHistory(session, lines, outcome.faults);
  }
  const bool surfaceCheck = Model().objectMode == kSurfaces && mendRng.Percent(15);
  if (outcome.status != kReplayBadScript &&
      ((Model().objectMode == kCurves && Model().hoverIndex != -1) || surfaceCheck)) {
    session.lines.insert(session.lines.end(), CheckLines().begin(), CheckLines().end());
    outcome.status =
        RunOnce(session, session.lines, work, keepDir, options.timeout, err, printed);
    if (outcome.status == kReplayBadScript) {
      outcome.faults.push_back("the replay refused the check lines: " + err);
    }
    if (outcome.status == kReplayCanvasDiffers) outcome.faults.push_back(err);
    outcome.canvasChecked = CheckCanvas(work, outcome.faults);
  }
  CheckModel(outcome.faults);
  CheckModelSaves(outcome.faults);
  outcome.savedFiles = CheckSavedFiles(session, work, outcome.faults);
  CloseOutputLog();
  return outcome;
}

bool ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    auto number = [&](std::uint64_t& out) {
      std::string text;
      if (!value(text)) return false;
      char* end = nullptr;
      errno = 0;
      out = std::strtoull(text.c_str(), &end, 10);
      return errno == 0 && end != text.c_str() && *end == '\0' && text[0] != '-';
    };
    std::uint64_t n = 0;
    if (arg == "--seed") {
      if (!number(options.seed)) return false;
    } else if (arg == "--count") {
      if (!number(options.count)) return false;
    } else if (arg == "--timeout") {
      if (!number(n) || n == 0 || n > 3600) return false;
      options.timeout = static_cast<unsigned>(n);
    } else if (arg == "--keep") {
      if (!value(options.keep)) return false;
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--print-scripts") {
      options.printScripts = true;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

}  // namespace tambra

int main(int argc, char** argv) {
  using namespace tambra;
  Options options;
  if (!ParseArguments(argc, argv, options)) {
    std::cerr << "usage: tambra-random-sessions --seed S --count N [--keep DIR] [--verbose] "
                 "[--print-scripts] [--timeout SEC]\n"
                 "Runs N random sessions (seeds S to S+N-1) through the replay tool and checks\n"
                 "each; exits 1 when a session failed a check.\n";
    return 2;
  }
  fs::path keep;
  if (!options.keep.empty()) {
    keep = fs::absolute(options.keep);
    fs::create_directories(keep);
  }
  char pattern[] = "/tmp/tambra-sessions-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    std::perror("tambra-random-sessions: mkdtemp");
    return 2;
  }
  const fs::path work = pattern;
  fs::current_path(work);
  InstallHandlers();
  WatchOutcomes(CheckRefusal);
  WatchMessages(CheckDocumentAfter);

  std::uint64_t failed = 0, unsynced = 0;
  for (std::uint64_t k = 0; k < options.count; ++k) {
    const std::uint64_t seed = options.seed + k;
    const fs::path keepDir = keep.empty() ? fs::path() : keep / ("session-" + std::to_string(seed));
    std::snprintf(g_crashNote, sizeof g_crashNote, "CRASH in session seed=%" PRIu64 "%s%s\n", seed,
                  keepDir.empty() ? "" : ", script ",
                  keepDir.empty() ? "" : (keepDir / kScriptName).c_str());
    if (options.verbose) std::cerr << "session " << seed << std::endl;
    Session session = Generator(seed).Make();
    const SessionResult outcome = RunSession(session, work, keepDir, options);
    if (!outcome.synced) ++unsynced;
    if (options.printScripts) {
      std::cout << "# session " << seed << "\n" << JoinLines(session.lines) << std::flush;
    }
    if (options.verbose) {
      std::cerr << "  " << session.lines.size() << " lines, " << outcome.mends << " mends, exit "
                << outcome.status << ", " << outcome.savedFiles << " saved files checked, "
                << outcome.probes << " probes, " << outcome.dialogs << " dialogs, "
                << outcome.knotSteps << " knot steps, " << outcome.histories << " undo bursts, "
                << outcome.documentChecks << " document checks, " << outcome.roundTrips
                << " saves read back, "
                << g_refusals << " refusals so far"
                << (outcome.canvasChecked ? ", canvas checked" : "") << std::endl;
    }
    if (outcome.faults.empty()) {
      if (!keepDir.empty()) fs::remove_all(keepDir);
      continue;
    }
    ++failed;
    std::cout << "FAIL seed=" << seed;
    if (!keepDir.empty()) std::cout << " script=" << (keepDir / kScriptName).string();
    std::cout << "\n";
    for (const std::string& fault : outcome.faults) std::cout << "  " << fault << "\n";
  }
  fs::current_path("/");
  fs::remove_all(work);
  std::cout << options.count << " sessions: " << options.count - failed << " clean, " << failed
            << " failed";
  if (unsynced > 0) std::cout << " (" << unsynced << " left unmended at a prompt)";
  std::cout << "\n";
  return failed == 0 ? 0 : 1;
}
