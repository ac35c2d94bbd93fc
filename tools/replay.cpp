#include "tools/replay.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

#include "app/comb.h"
#include "app/command_table.h"
#include "app/history.h"
#include "app/legend.h"
#include "app/menu_tree.h"
#include "base/atomic_file.h"
#include "base/comparison.h"
#include "base/dialog_session.h"
#include "base/model_state.h"
#include "base/picture_export.h"
#include "resources/dialog_templates.h"
#include "resources/command_ids.h"
#include "tools/headless_platform.h"

namespace tambra {

namespace {

// ---------------------------------------------------------------------------
// Printing model fields: integers with %d, reals with %.9g, strings as they
// are; arrays print their used part.

std::string Real(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

std::string Triple(const Point3& p) { return Real(p.x) + "," + Real(p.y) + "," + Real(p.z); }

int Bounded(int count, int capacity) { return std::clamp(count, 0, capacity); }

template <typename Each>
std::string Join(int count, Each each, const char* separator = " ") {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += separator;
    text += each(i);
  }
  return text;
}

std::string KnotList(const float* knots, int count) {
  return Join(Bounded(count, kMaxKnots), [&](int i) { return Real(knots[i]); });
}

template <typename Cell>
std::string NetRows(Cell cell) {
  const ModelState& m = Model();
  const int rows = Bounded(m.netRows, kMaxNet);
  const int cols = Bounded(m.netCols, kMaxNet);
  return Join(
      rows, [&](int i) { return Join(cols, [&](int j) { return cell(i, j); }); }, " | ");
}

using FieldPrinter = std::function<std::string()>;

const std::map<std::string, FieldPrinter>& FieldPrinters() {
  static const std::map<std::string, FieldPrinter> printers = [] {
    std::map<std::string, FieldPrinter> p;
    auto integer = [&p](const char* name, int ModelState::*field) {
      p[name] = [field] { return std::to_string(Model().*field); };
    };
    auto real = [&p](const char* name, float ModelState::*field) {
      p[name] = [field] { return Real(Model().*field); };
    };
    integer("objectMode", &ModelState::objectMode);
    integer("curveKind", &ModelState::curveKind);
    integer("saveResults", &ModelState::saveResults);
    integer("pointCount", &ModelState::pointCount);
    integer("order", &ModelState::order);
    integer("degreeStep", &ModelState::degreeStep);
    integer("chaikinSteps", &ModelState::chaikinSteps);
    integer("insertSpan", &ModelState::insertSpan);
    integer("approxDim", &ModelState::approxDim);
    integer("netRows", &ModelState::netRows);
    integer("netCols", &ModelState::netCols);
    integer("xOrder", &ModelState::xOrder);
    integer("yOrder", &ModelState::yOrder);
    integer("xDegreeStep", &ModelState::xDegreeStep);
    integer("yDegreeStep", &ModelState::yDegreeStep);
    integer("applyX", &ModelState::applyX);
    integer("applyY", &ModelState::applyY);
    integer("triangles", &ModelState::triangles);
    integer("grid", &ModelState::grid);
    integer("logActive", &ModelState::logActive);
    integer("acceptRelease", &ModelState::acceptRelease);
    integer("pickActive", &ModelState::pickActive);
    integer("pickedIndex", &ModelState::pickedIndex);
    integer("hoverIndex", &ModelState::hoverIndex);
    integer("dragX", &ModelState::dragX);
    integer("dragY", &ModelState::dragY);
    integer("knotsDirection", &ModelState::knotsDirection);
    integer("knotsShownOrder", &ModelState::knotsShownOrder);
    real("insertKnot", &ModelState::insertKnot);
    real("scale", &ModelState::scale);
    real("tx", &ModelState::tx);
    real("ty", &ModelState::ty);
    real("tht", &ModelState::tht);
    real("phi", &ModelState::phi);
    p["clientWidth"] = [] { return std::to_string(Model().clientWidth); };
    p["clientHeight"] = [] { return std::to_string(Model().clientHeight); };
    p["controlFileName"] = [] { return std::string(Model().controlFileName); };
    p["outputFileName"] = [] { return std::string(Model().outputFileName); };
    p["points"] = [] {
      const ModelState& m = Model();
      return Join(Bounded(m.pointCount, kMaxPoints),
                  [&](int i) { return Real(m.points[i].x) + "," + Real(m.points[i].y); });
    };
    p["weights"] = [] {
      const ModelState& m = Model();
      return Join(Bounded(m.pointCount, kMaxPoints), [&](int i) { return Real(m.weights[i]); });
    };
    p["knots"] = [] { return KnotList(Model().knots, Model().pointCount + Model().order); };
    p["xKnots"] = [] { return KnotList(Model().xKnots, Model().netRows + Model().xOrder); };
    p["yKnots"] = [] { return KnotList(Model().yKnots, Model().netCols + Model().yOrder); };
    p["net"] = [] { return NetRows([](int i, int j) { return Triple(Model().net[i][j]); }); };
    p["netWeights"] = [] {
      return NetRows([](int i, int j) { return Real(Model().netWeights[i][j]); });
    };
    p["triangleList"] = [] {
      const int rows = Bounded(Model().netRows, kMaxTriangleRows);
      return Join(rows * (rows + 1) / 2, [](int k) { return Triple(Model().triangleList[k]); });
    };
    return p;
  }();
  return printers;
}

const char* StateName(MenuItemState state) {
  switch (state) {
    case MenuItemState::kChecked: return "checked";
    case MenuItemState::kGreyed: return "greyed";
    default: return "unchecked";
  }
}

// ---------------------------------------------------------------------------
// Script lines.

struct Line {
  int number = 0;
  std::string verb;
  std::vector<std::string> words;  // the words after the verb
  std::string rest;                // everything after the verb's first argument
  std::string afterVerb;           // everything after the verb
};

std::string Trim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  const auto end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

// Splits off the first blank-separated word; returns the word and leaves
// the remainder (without leading blanks) in `text`.
std::string TakeWord(std::string& text) {
  const auto end = text.find_first_of(" \t");
  std::string word = text.substr(0, end);
  text = end == std::string::npos ? "" : Trim(text.substr(end));
  return word;
}

std::optional<Line> ParseLine(std::string text, int number) {
  const auto comment = text.find('#');
  if (comment != std::string::npos) text.erase(comment);
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  Line line;
  line.number = number;
  line.verb = TakeWord(text);
  line.afterVerb = text;
  std::string words = text;
  if (!words.empty()) {
    std::string first = TakeWord(words);
    line.rest = words;
    line.words.push_back(first);
    while (!words.empty()) line.words.push_back(TakeWord(words));
  }
  return line;
}

std::optional<int> ParseInt(const std::string& word) {
  int value = 0;
  const char* end = word.data() + word.size();
  const auto [ptr, ec] = std::from_chars(word.data(), end, value);
  if (ec != std::errc() || ptr != end || word.empty()) return std::nullopt;
  return value;
}

// ---------------------------------------------------------------------------

class Replay : public HeadlessAnswers {
 public:
  Replay(std::istream& script, const std::string& name, std::ostream& out, std::ostream& err)
      : script_(script), name_(name), out_(out), err_(err) {
    window_.SetAnswers(this);
    window_.SetErrorSink([this](const std::string& text) { err_ << "tambra: " << text << "\n"; });
    window_.SetStatusSink([this](const std::string& text) { err_ << "status: " << text << "\n"; });
  }

  int Run() {
    ResetModelState();
    window_.Start(800, 600);
    while (std::optional<Line> line = NextLine()) {
      if (!Execute(*line) || failed_) return Fail();
      // Queued answers serve the questions of the next action only.
      if (line->verb != "answer") saveAnswers_.clear();
      if (window_.QuitPosted()) return RepaintMatches() ? window_.ExitCode() : kReplayCanvasDiffers;
    }
    return RepaintMatches() ? 0 : kReplayCanvasDiffers;
  }

  // The canvas painted again from its display list alone is the canvas.
  bool RepaintMatches() {
    const Raster& canvas = window_.Canvas();
    Raster repainted = canvas;
    repainted.Repaint();
    const std::size_t count = static_cast<std::size_t>(canvas.width()) * canvas.height();
    if (std::equal(canvas.Data(), canvas.Data() + count, repainted.Data())) return true;
    err_ << "tambra-replay: the canvas differs from a repaint of its display list\n";
    return false;
  }

  // Answers from the lines that follow the command.
  int AnswerDialog(DialogSession& dialog) override {
    openDialog_ = &dialog;
    const int result = AnswerOpenDialog(dialog);
    openDialog_ = nullptr;
    return result;
  }

  bool AnswerFileName(const FilePrompt& prompt, char (&name)[kMaxFileName]) override {
    std::optional<Line> line = NextLine();
    if (!line)
      return AbandonAtEnd(std::string("the prompt \"") + prompt.title +
                          "\" is left without an answer");
    if (line->verb == "file-cancel" && line->words.empty()) return false;
    if (line->verb != "file" || line->afterVerb.empty()) {
      return Abandon(*line, std::string("the prompt \"") + prompt.title +
                                "\" expects file PATH or file-cancel");
    }
    if (line->afterVerb.size() >= kMaxFileName) {
      return Abandon(*line, "the file name is longer than 255 characters");
    }
    std::memcpy(name, line->afterVerb.c_str(), line->afterVerb.size() + 1);
    return true;
  }

  // From the answer lines queued before the action; none queued cancels.
  SaveChangesAnswer AnswerSaveChanges(const char*) override {
    if (saveAnswers_.empty()) return SaveChangesAnswer::kCancel;
    const SaveChangesAnswer answer = saveAnswers_.front();
    saveAnswers_.pop_front();
    return answer;
  }

  bool AnswerOkCancel(const char*, const char*) override {
    std::optional<Line> line = NextLine();
    if (!line) return AbandonAtEnd("a question is left without an answer");
    if (line->verb != "answer" || line->words.size() != 1 ||
        (line->words[0] != "ok" && line->words[0] != "cancel")) {
      return Abandon(*line, "a question is open: expected answer ok or answer cancel");
    }
    return line->words[0] == "ok";
  }

 private:
  int AnswerOpenDialog(DialogSession& dialog) {
    while (std::optional<Line> line = NextLine()) {
      const Line& l = *line;
      if (l.verb == "set" && !l.words.empty()) {
        const std::optional<int> id = ParseInt(l.words[0]);
        if (!id) return Abandon(l, "set needs a control id");
        const int cell = CanonicalCellId(dialog.Template(), *id);
        if (!dialog.Enabled(cell)) {
          return Abandon(l, "set: control " + l.words[0] + " is disabled here");
        }
        dialog.SetText(cell, l.rest);
      } else if (l.verb == "check") {
        const std::optional<int> id = l.words.size() == 2 ? ParseInt(l.words[0]) : std::nullopt;
        if (!id || (l.words[1] != "0" && l.words[1] != "1")) {
          return Abandon(l, "check needs a control id and 0 or 1");
        }
        if (!dialog.Enabled(*id)) {
          return Abandon(l, "check: control " + l.words[0] + " is disabled here");
        }
        dialog.SetChecked(*id, l.words[1] == "1");
      } else if (l.verb == "reset" || l.verb == "ok" || l.verb == "cancel") {
        if (!l.words.empty()) return Abandon(l, l.verb + " takes no arguments");
        const int button = l.verb == "ok"       ? kButtonOk
                           : l.verb == "cancel" ? kButtonCancel
                                                : kButtonReset;
        const int result = dialog.Press(button);
        if (result != kStayOpen) return result;
        // A value the dialog cannot take holds OK: the reason is told, the
        // dialog stays open for a corrected set or a cancel.
        if (button == kButtonOk && dialog.ObjectionId() != 0)
          err_ << "dialog: " << dialog.Objection() << "\n";
      } else if (l.verb == "print") {
        if (!Print(l)) return 0;
      } else {
        return Abandon(l, "a dialog is open: expected set, check, reset, ok, cancel or print");
      }
    }
    return AbandonAtEnd("a dialog is left open at the end of the script");
  }

  std::optional<Line> NextLine() {
    std::string text;
    while (std::getline(script_, text)) {
      ++lineNumber_;
      if (std::optional<Line> line = ParseLine(text, lineNumber_)) return line;
    }
    return std::nullopt;
  }

  // Records the fault; the prompt is cancelled and the run stops after the
  // message that asked returns.
  int Abandon(const Line& line, const std::string& what) {
    if (!failed_) {
      failed_ = true;
      failLine_ = line.number;
      failWhat_ = what;
    }
    return 0;
  }
  int AbandonAtEnd(const std::string& what) {
    Line end;
    end.number = lineNumber_;
    return Abandon(end, what);
  }

  int Fail() {
    err_ << name_ << ":" << failLine_ << ": " << failWhat_ << "\n";
    return kReplayBadScript;
  }

  bool Error(const Line& line, const std::string& what) {
    Abandon(line, what);
    return false;
  }

  // Reads exactly `count` integers from the line's words.
  bool Numbers(const Line& line, std::size_t count, std::vector<int>& values) {
    if (line.words.size() != count) {
      return Error(line, line.verb + " needs " + std::to_string(count) + " integer" +
                             (count == 1 ? "" : "s"));
    }
    values.clear();
    for (const std::string& word : line.words) {
      const std::optional<int> value = ParseInt(word);
      if (!value) return Error(line, "'" + word + "' is not an integer");
      values.push_back(*value);
    }
    return true;
  }

  void Mouse(MessageKind kind, int x, int y) {
    if (kind == MessageKind::kLeftUp) held_ &= ~kLeftButtonFlag;
    if (kind == MessageKind::kRightUp) held_ &= ~kRightButtonFlag;
    if (kind == MessageKind::kLeftDown) held_ |= kLeftButtonFlag;
    if (kind == MessageKind::kRightDown) held_ |= kRightButtonFlag;
    window_.Send(MouseMessage(kind, x, y, held_));
  }

  bool Execute(const Line& line) {
    static const std::map<std::string, MessageKind> kMouse = {{"ldown", MessageKind::kLeftDown},
                                                              {"lup", MessageKind::kLeftUp},
                                                              {"rdown", MessageKind::kRightDown},
                                                              {"rup", MessageKind::kRightUp},
                                                              {"move", MessageKind::kMouseMove}};
    const std::string& verb = line.verb;
    std::vector<int> v;
    if (verb == "size") {
      if (!Numbers(line, 2, v)) return false;
      if (v[0] < 0 || v[1] < 0 || v[0] > 32767 || v[1] > 32767) {
        return Error(line, "size needs a width and height from 0 to 32767");
      }
      window_.Resize(v[0], v[1]);
    } else if (verb == "paint") {
      if (!Numbers(line, 0, v)) return false;
      window_.Send(Message{MessageKind::kPaint});
    } else if (const auto mouse = kMouse.find(verb); mouse != kMouse.end()) {
      if (!Numbers(line, 2, v)) return false;
      Mouse(mouse->second, v[0], v[1]);
    } else if (verb == "click" || verb == "rclick") {
      if (!Numbers(line, 2, v)) return false;
      const bool left = verb == "click";
      Mouse(left ? MessageKind::kLeftDown : MessageKind::kRightDown, v[0], v[1]);
      Mouse(left ? MessageKind::kLeftUp : MessageKind::kRightUp, v[0], v[1]);
    } else if (verb == "drag") {
      if (!Numbers(line, 4, v)) return false;
      Mouse(MessageKind::kLeftDown, v[0], v[1]);
      Mouse(MessageKind::kMouseMove, v[2], v[3]);
      Mouse(MessageKind::kLeftUp, v[2], v[3]);
    } else if (verb == "wheel") {
      if (!Numbers(line, 3, v)) return false;
      window_.Send(WheelMessage(v[0], v[1], v[2]));
    } else if (verb == "pan") {
      if (!Numbers(line, 2, v)) return false;
      window_.Send(PanMessage(v[0], v[1]));
    } else if (verb == "command") {
      if (!Numbers(line, 1, v)) return false;
      window_.Command(v[0]);
    } else if (verb == "print") {
      return Print(line);
    } else if (verb == "menu") {
      return PrintMenu(line);
    } else if (verb == "checksum") {
      if (!Numbers(line, 0, v)) return false;
      PrintChecksum();
    } else if (verb == "png") {
      if (line.afterVerb.empty()) return Error(line, "png needs a file name");
      FileWriteFailure failure;
      const std::string png = EncodePng(window_.Canvas());
      if (png.empty() || !WriteFileAtomically(line.afterVerb, png, failure)) {
        err_ << "tambra-replay: cannot write " << line.afterVerb << "\n";
      }
    } else if (verb == "svg") {
      if (line.afterVerb.empty()) return Error(line, "svg needs a file name");
      FileWriteFailure failure;
      const std::string svg = EncodeSvg(window_.Canvas(), CommandName);
      if (svg.empty() || !WriteFileAtomically(line.afterVerb, svg, failure)) {
        err_ << "tambra-replay: cannot write " << line.afterVerb << "\n";
      }
    } else if (verb == "obj") {
      if (line.afterVerb.empty()) return Error(line, "obj needs a file name");
      FileWriteFailure failure;
      std::string why;
      const std::string obj = ShownSurfaceMesh(why);
      if (obj.empty() || !WriteFileAtomically(line.afterVerb, obj, failure)) {
        err_ << "tambra-replay: cannot write " << line.afterVerb << (why.empty() ? "" : ": " + why)
             << "\n";
      }
    } else if (verb == "set" || verb == "check" || verb == "reset" || verb == "ok" ||
               verb == "cancel") {
      return Error(line, verb + ": no dialog is open");
    } else if (verb == "file" || verb == "file-cancel") {
      return Error(line, verb + ": nothing asks for a file name");
    } else if (verb == "answer") {
      static const std::map<std::string, SaveChangesAnswer> kAnswers = {
          {"save", SaveChangesAnswer::kSave},
          {"discard", SaveChangesAnswer::kDiscard},
          {"cancel", SaveChangesAnswer::kCancel}};
      const auto answer = line.words.size() == 1 ? kAnswers.find(line.words[0]) : kAnswers.end();
      if (answer == kAnswers.end()) return Error(line, "answer: nothing asks a question");
      saveAnswers_.push_back(answer->second);
    } else {
      return Error(line, "unknown action '" + verb + "'");
    }
    return true;
  }

  bool Print(const Line& line) {
    if (line.words.empty()) return Error(line, "print needs field names");
    std::ostringstream text;
    for (std::size_t w = 0; w < line.words.size(); ++w) {
      const std::string& name = line.words[w];
      if (name == "dialog") {
        // The caption without the space the Knots caption ends in.
        text << "dialog="
             << (openDialog_ != nullptr ? Trim(FindDialogTemplate(openDialog_->Template()).caption)
                                        : "none")
             << "\n";
        continue;
      }
      if (name == "field") {
        // The text a field or cell of the open dialog shows.
        const std::optional<int> id =
            w + 1 < line.words.size() ? ParseInt(line.words[w + 1]) : std::nullopt;
        if (!id) return Error(line, "print field needs a control id");
        if (openDialog_ == nullptr) return Error(line, "print field: no dialog is open");
        text << "field " << line.words[++w] << "="
             << openDialog_->Text(CanonicalCellId(openDialog_->Template(), *id)) << "\n";
        continue;
      }
      if (name == "status") {
        text << "status=" << window_.Status() << "\n";
        continue;
      }
      if (name == "curvature") {
        for (const auto& run : ShownComb()) {
          for (const CombTooth& tooth : run) {
            text << "curvature=" << Real(tooth.t) << "," << Real(tooth.kappa) << "\n";
          }
        }
        continue;
      }
      if (name == "view") {
        const ViewTransform& view = window_.Canvas().View();
        text << "view=" << Real(view.scale) << "," << Real(view.x) << "," << Real(view.y) << "\n";
        continue;
      }
      if (name == "legend") {
        // What the legend beside the canvas would show now, shown or not.
        for (const LegendLine& entry : CanvasLegend(window_.Canvas())) {
          text << "legend=" << LegendText(entry) << "\n";
        }
        continue;
      }
      if (name == "title" || name == "undo" || name == "redo") {
        text << name << "="
             << (name == "title"  ? window_.Title()
                 : name == "undo" ? window_.MenuText(kCmdUndo)
                                  : window_.MenuText(kCmdRedo))
             << "\n";
        continue;
      }
      if (name == "comparison") {
        // The table of the last comparison as the panel copies it.
        const Comparison* comparison = window_.LastComparison();
        text << (comparison != nullptr ? ComparisonCsv(*comparison) : "comparison=none\n");
        continue;
      }
      if (name == "document") {
        char hash[32];
        std::snprintf(hash, sizeof hash, "%016llx",
                      static_cast<unsigned long long>(History::ModelDocumentHash()));
        // Whether the model is the state the history recorded for this step.
        text << "document=" << DocumentHistory().Position() << " " << hash
             << (DocumentHistory().PresentIsModel() ? " same" : " differs") << "\n";
        continue;
      }
      const auto printer = FieldPrinters().find(name);
      if (printer == FieldPrinters().end()) return Error(line, "unknown field '" + name + "'");
      text << name << "=" << printer->second() << "\n";
    }
    out_ << text.str() << std::flush;
    return true;
  }

  // The canvas in one line: its size, the pixels that are not white, and a
  // 64-bit FNV-1a hash of every pixel, so that any change in the picture shows.
  void PrintChecksum() {
    const Raster& canvas = window_.Canvas();
    const std::size_t count = static_cast<std::size_t>(canvas.width()) * canvas.height();
    std::uint64_t hash = 14695981039346656037ull;
    for (std::size_t k = 0; k < count; ++k) {
      for (int shift = 0; shift < 24; shift += 8) {
        hash = (hash ^ ((canvas.Data()[k] >> shift) & 0xFF)) * 1099511628211ull;
      }
    }
    char text[96];
    std::snprintf(text, sizeof text, "canvas %dx%d non-white %d hash %016llx\n", canvas.width(),
                  canvas.height(), canvas.CountNonWhite(), static_cast<unsigned long long>(hash));
    out_ << text << std::flush;
  }

  bool PrintMenu(const Line& line) {
    if (line.words.empty()) return Error(line, "menu needs command ids");
    std::ostringstream text;
    for (const std::string& word : line.words) {
      const std::optional<int> id = ParseInt(word);
      if (!id) return Error(line, "'" + word + "' is not an integer");
      text << "menu " << *id << "=" << StateName(window_.MenuState(*id)) << "\n";
    }
    out_ << text.str() << std::flush;
    return true;
  }

  std::istream& script_;
  std::string name_;
  std::ostream& out_;
  std::ostream& err_;
  HeadlessPlatform window_;
  DialogSession* openDialog_ = nullptr;  // while a dialog's lines are read
  std::uint32_t held_ = 0;
  std::deque<SaveChangesAnswer> saveAnswers_;
  int lineNumber_ = 0;
  bool failed_ = false;
  int failLine_ = 0;
  std::string failWhat_;
};

}  // namespace

int RunReplay(std::istream& script, const std::string& scriptName, std::ostream& out,
              std::ostream& err) {
  Replay replay(script, scriptName, out, err);
  return replay.Run();
}

}  // namespace tambra
