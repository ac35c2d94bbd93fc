// Undo and Redo through the window procedure; the unsaved mark and the question before the
// model is replaced or the window closed; the history's depth and size.
#include "app/history.h"

#include <functional>
#include <memory>
#include <tuple>

#include "app/control_file.h"
#include "app/window_proc.h"
#include "resources/command_ids.h"
#include "resources/control_ids.h"
#include "resources/menu_table.h"
#include "session_fixture.h"

namespace tambra {
namespace {

constexpr auto kSave = SaveChangesAnswer::kSave, kDiscard = SaveChangesAnswer::kDiscard,
               kCancel = SaveChangesAnswer::kCancel;

class HistoryTest : public SessionTest {
 protected:
  // The document's bytes, what Save would write, the canvas and the Undo item's text.
  using Seen = std::tuple<std::uint64_t, std::string, std::vector<std::uint32_t>, std::string>;
  Seen Now() {
    const auto kept = std::make_unique<ModelState>(m);
    ShowModelAsNet();
    std::string file = FormatControlFile();
    m = *kept;
    const Raster& r = window.Canvas();
    return {History::ModelDocumentHash(), file,
            std::vector<std::uint32_t>(r.Data(), r.Data() + std::size_t(r.width()) * r.height()),
            window.MenuText(kCmdUndo)};
  }
  void Drag(int x1, int y1, int x2, int y2) {  // press, two moves, release
    window.Send(MouseMessage(MessageKind::kLeftDown, x1, y1, kLeftButtonFlag));
    window.Send(MouseMessage(MessageKind::kMouseMove, (x1 + x2) / 2, (y1 + y2) / 2, kLeftButtonFlag));
    window.Send(MouseMessage(MessageKind::kMouseMove, x2, y2, kLeftButtonFlag));
    window.Send(MouseMessage(MessageKind::kLeftUp, x2, y2));
  }
  void Saved(const std::string& name) {  // a curve of three points saved as `name`
    for (int x : {100, 300, 500}) window.Click(x, 200 + x / 5);
    answers.fileNames.push_back(Path(name));
    window.Command(kCmdSaveAs);
  }
  History& history = DocumentHistory();
};

// Every kind of step that changes what Save writes, named as the menu says; undone to the start
// and made again, each state is the model recorded there: its document bytes, what Save writes
// and the canvas. Open and New start a history of their own.
TEST_F(HistoryTest, UndoAndRedoGiveBackEveryModelAndPicture) {
  WriteFile(Path("net.cnt"), ReadFile(TAMBRA_TEST_DATA_DIR "/../examples/bicubic.cnt"));
  window.Command(kCmdBezier);  // a display chosen is no step: Undo keeps showing it
  std::vector<Seen> seen = {Now()};
  auto step = [&](const std::string& name, auto action) {
    action();
    ShowModel(window);  // what Undo and Redo show: the repaint, not a result drawn in colour
    seen.push_back(Now());
    EXPECT_EQ(std::tuple(std::get<3>(seen.back()), history.Position()), std::tuple("Undo " + name, int(seen.size()) - 1)) << name;
  };
  for (int x : {100, 250, 450, 600}) step("Add point", [&] { window.Click(x, 300 + x % 7); });
  step("Move point", [&] { Drag(250, 305, 260, 120); });
  step("Delete point", [&] { window.RightClick(600, 305); });
  step("Control Data", [&] {
    Answer(DialogTemplateId::kControlData, {{2001, "140"}, {kIdGrid, "20"}}), window.Command(kCmdControlPoints);
  });
  window.Command(kCmdEditSave);  // the Save switch is no step
  step("Degree elevation", [&] { window.Command(kCmdBezierElevation); });
  step("Eck reduction", [&] { window.Command(kCmdReduceEck); });
  window.Command(kCmdCopy);
  step("Add point", [&] { window.Click(700, 100); });
  step("Paste", [&] { window.Command(kCmdPaste); });
  step("Surfaces", [&] { window.Command(kCmdSurfaces); });
  const int last = int(seen.size()) - 1;
  for (int k = 1; k <= 2 * last + 1; ++k) {  // undone to the start, once more, redone to the end
    window.Command(k <= last + 1 ? kCmdUndo : kCmdRedo);
    const int at = k <= last ? last - k : std::max(k - last - 1, 0);
    EXPECT_TRUE(Now() == seen[at]) << "step " << k << " at " << at;
    EXPECT_EQ(window.MenuState(kCmdUndo) == MenuItemState::kGreyed, at == 0);
  }
  EXPECT_EQ(std::tuple(window.MenuState(kCmdRedo), m.objectMode), std::tuple(MenuItemState::kGreyed, kSurfaces));
  for (int i = 0; i < 3; ++i) window.Command(kCmdUndo);
  EXPECT_EQ(std::tuple(window.MenuText(kCmdRedo), window.Status()), std::tuple("Redo Add point", "Undid Add point"));
  window.Click(50, 50);  // a new step ends the undone branch
  EXPECT_EQ(std::tuple(history.CanRedo(), window.MenuText(kCmdUndo)), std::tuple(false, "Undo Add point"));
  for (int id : {kCmdOpen, kCmdNew}) {
    answers.saveChanges = {kDiscard}, answers.fileNames = {Path("net.cnt")}, window.Command(id);
    EXPECT_EQ(std::tuple(history.CanUndo(), history.CanRedo(), history.Dirty()), std::tuple(false, false, false)) << id;
  }
  answers.fileNames = {Path("net.cnt")}, window.Command(kCmdOpen), Drag(100, 100, 300, 160);
  EXPECT_EQ(std::tuple(window.MenuText(kCmdUndo), history.Position(), history.Dirty()),
            std::tuple("Undo Rotate view", 1, true));
}

// Each kind of action through the window procedure: it is an undo step and marks the document
// exactly when it changes the bytes Save would write, and undoing it gives those bytes back.
TEST_F(HistoryTest, AStepAndTheMarkFollowWhatSaveWrites) {
  Saved("doc.cnt");
  // A dialog given one typed value.
  const auto typed = [&](int command, DialogTemplateId dialog, int id, const char* text) {
    return [=, this] { Answer(dialog, {{id, text}}), window.Command(command); };
  };
  const struct {
    const char* name;
    std::function<void()> act;
    bool writes;
  } actions[] = {
      {"a family chosen", [&] { window.Command(kCmdBSpline); }, false},
      {"a result only drawn", [&] { window.Command(kCmdNurbsSimulation); }, false},
      {"Knot to insert", typed(kCmdXKnots, DialogTemplateId::kKnots, kIdInsertKnot, "0.5"), false},
      {"Chaikin steps", typed(kCmdXKnots, DialogTemplateId::kKnots, kIdChaikin, "3"), false},
      {"a zoom", [&] { window.Command(kCmdZoomIn); }, false},
      {"a weight", typed(kCmdWeights, DialogTemplateId::kWeights, WeightCellId(1, 0), "2.5"), true},
      {"the grid", typed(kCmdControlPoints, DialogTemplateId::kControlData, kIdGrid, "12"), true},
      {"a point added", [&] { window.Click(620, 90); }, true},
      {"the mode", [&] { window.Command(kCmdSurfaces); }, true},
  };
  for (const auto& a : actions) {
    SCOPED_TRACE(a.name);
    const std::string before = FormatControlFile();
    const int position = history.Position();
    a.act();
    const int steps = history.Position() - position;
    EXPECT_EQ(std::tuple(FormatControlFile() != before, steps, history.Dirty()),
              std::tuple(a.writes, a.writes ? 1 : 0, a.writes));
    if (!a.writes) continue;
    window.Command(kCmdUndo);
    EXPECT_EQ(std::tuple(FormatControlFile() == before, history.Dirty()), std::tuple(true, false));
    window.Command(kCmdRedo);
    window.Command(kCmdSave);  // in Surfaces mode no net yet: nothing to write, still unsaved
    EXPECT_EQ(std::tuple(ReadFile(Path("doc.cnt")) == FormatControlFile(), history.Dirty()),
              std::tuple(m.objectMode == kCurves, m.objectMode == kSurfaces));
  }
}

// Hovering, painting, a result not kept, a failed Open or Save, a recent file that is gone: a
// message where due, the model and its history as they were. (Dialogs cancelled or given
// nothing new are the dialogs' tests.)
TEST_F(HistoryTest, WhatLeavesTheDocumentAsItWasRecordsNoStep) {
  Saved("kept.cnt");
  window.Click(400, 400);
  auto round = [&] {
    window.Send(MouseMessage(MessageKind::kMouseMove, 100, 240));
    window.Resize(700, 500);
    for (int id : {kCmdReduceEck, kCmdBezierElevation, kCmdCopy, kCmdAbout, kCmdUserGuide}) window.Command(id);
    window.SetRecentFiles({Path("gone.cnt")});
    answers.saveChanges = {kDiscard, kDiscard};
    answers.fileNames = {Path("missing.cnt"), Path("no/such/folder/x.cnt")};
    for (int id : {kCmdOpen, kCmdSaveAs, kCmdRecentFile1}) window.Command(id);
    OpenFileFromOutside(window, Path("missing.cnt").c_str());
  };
  for (int mode : {kCmdCurves, kCmdSurfaces}) {
    window.Command(mode);
    round();
    const int steps = history.StepCount();
    const auto before = ModelBytes();
    window.ClearErrors();
    round();
    // Save as of an empty net is refused on the status line before a name is asked for.
    EXPECT_EQ(window.Errors().size(), mode == kCmdCurves ? 4u : 3u) << "Open, Save as, the recent file, the named file";
    EXPECT_TRUE(window.RecentFiles().empty()) << "the file that is gone leaves the list";
    EXPECT_EQ(ModelDifference(before, ModelBytes()), "") << mode;
    EXPECT_EQ(std::tuple(history.StepCount(), history.Dirty(), history.PresentIsModel(), std::string(m.controlFileName)),
              std::tuple(steps, true, true, Path("kept.cnt"))) << mode;
  }
}

// The title carries the file's name and a mark while changes are unsaved. New, Open, Exit,
// the close box and a recent file ask first: Cancel keeps everything, Discard goes on, Save
// writes the file and goes on (Save without a name asks for one; cancelled, nothing goes on).
TEST_F(HistoryTest, TheUnsavedMarkAndTheQuestionAtEachTrigger) {
  const std::string title = std::string(" - ") + kWindowTitle;
  EXPECT_EQ(window.Title(), "noname.cnt" + title);
  window.Click(10, 10);
  EXPECT_EQ(window.Title(), "noname.cnt*" + title);
  answers.saveChanges = {kSave};
  window.Command(kCmdNew);
  EXPECT_EQ(std::tuple(m.pointCount, answers.promptTitles.size()), std::tuple(1, 1u));
  answers.saveChanges = {kDiscard};  // a new document is clean: the second New asks nothing
  window.Command(kCmdNew), window.Command(kCmdNew);
  EXPECT_EQ(std::tuple(m.pointCount, answers.saveChanges.size(), history.Dirty(), window.Title()),
            std::tuple(0, 0u, false, "noname.cnt" + title));
  Saved("a.cnt");
  for (int id : {0, int(kCmdUndo), int(kCmdRedo)}) {  // back at what the file holds, clean again
    if (id != 0) window.Command(id);
    EXPECT_EQ(window.Title(), (id == kCmdUndo ? "a.cnt*" : "a.cnt") + title);
  }
  const std::string saved = ReadFile(Path("a.cnt"));
  WriteFile(Path("other.cnt"), saved);
  const int triggers[] = {kCmdNew, kCmdOpen, kCmdRecentFile1, kCmdExit, 0 /* close box */};
  for (SaveChangesAnswer answer : {kCancel, kDiscard, kSave}) {
    for (int trigger : triggers) {
      SCOPED_TRACE(std::to_string(trigger) + " answered " + std::to_string(int(answer)));
      WriteFile(Path("a.cnt"), saved);  // three points, opened and given a fourth
      HeadlessPlatform w;
      w.SetAnswers(&answers);
      ResetModelState();
      w.Start();
      answers.fileNames = {Path("a.cnt"), Path("other.cnt")};
      w.Command(kCmdOpen);
      w.SetRecentFiles({Path("other.cnt")});
      w.Click(700, 500);
      answers.questionsAsked.clear();
      answers.saveChanges = {answer};
      trigger != 0 ? w.Command(trigger) : void(w.Close());
      const bool wentOn = answer != kCancel, closing = trigger == kCmdExit || trigger == 0;
      EXPECT_EQ(std::tuple(answers.questionsAsked.front(), w.Destroyed()), std::tuple("Save changes to a.cnt?", wentOn && closing));
      const std::string after = wentOn ? trigger == kCmdNew ? "noname.cnt" : "other.cnt" : "a.cnt*";
      const int points = wentOn ? (trigger == kCmdNew ? 0 : 3) : 4;
      if (!closing) { EXPECT_EQ(std::tuple(w.Title(), m.pointCount), std::tuple(after + title, points)); }
      EXPECT_EQ(ReadFile(Path("a.cnt")).starts_with("0 4 1 "), answer == kSave);
    }
  }
}

// At most 100 steps of the largest net are kept, the oldest dropped: every one undoes and
// redoes, and the whole history stays within 64 MB.
TEST_F(HistoryTest, TheLatestHundredStepsOfAFullNetAreKept) {
  window.Command(kCmdSurfaces);
  m.netRows = m.netCols = kMaxNet;
  for (int k = 0; k < kMaxNet * kMaxNet; ++k) m.net[k / kMaxNet][k % kMaxNet] = Point3{float(k), 1, 2};
  std::vector<std::uint64_t> states;
  for (int k = 0; k < kHistorySteps + 30; ++k) {
    Drag(100, 100, 101 + k % 50, 100);
    states.push_back(History::ModelDocumentHash());
  }
  EXPECT_EQ(std::tuple(history.StepCount(), history.MemoryBytes() < (64u << 20)), std::tuple(kHistorySteps, true)) << history.MemoryBytes();
  for (int k = 0; k < kHistorySteps; ++k) window.Command(kCmdUndo);
  EXPECT_EQ(std::tuple(history.CanUndo(), History::ModelDocumentHash()), std::tuple(false, states[29]));
  for (int k = 0; k < kHistorySteps; ++k) window.Command(kCmdRedo);
  EXPECT_EQ(History::ModelDocumentHash(), states.back());
  EXPECT_EQ(window.Title(), std::string("noname.cnt* - ") + kWindowTitle) << "the saved state was dropped";
}

}  // namespace
}  // namespace tambra
