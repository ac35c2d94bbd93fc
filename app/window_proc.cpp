#include "app/window_proc.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "app/apply_outcome.h"
#include "app/comb.h"
#include "app/command_table.h"
#include "app/history.h"
#include "app/legend.h"
#include "app/menu_state.h"
#include "app/menu_tree.h"
#include "app/view_commands.h"
#include "app/window_commands.h"
#include "base/canvas.h"
#include "base/model_limits.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "numeric/matrix.h"
#include "resources/command_ids.h"
#include "resources/dialog_templates.h"

namespace tambra {

namespace {

int LowWord(std::uint32_t value) { return static_cast<int>(value & 0xFFFFu); }
int HighWord(std::uint32_t value) { return static_cast<int>((value >> 16) & 0xFFFFu); }

bool IsCurves() { return Model().objectMode == kCurves; }

void ResizeKeepingPicture(Platform& window, int width, int height);

// The pick distance is in screen pixels whatever the zoom: within the mark.
bool PointIsUnder(int index, int x, int y, const ViewTransform& view, int markScale = 1) {
  const Point2& p = Model().points[index];
  const double px = view.scale * p.x + view.x, py = view.scale * p.y + view.y;
  const int reach = 3 * markScale;
  return std::abs(TruncateToPixel(px) - x) < reach && std::abs(TruncateToPixel(py) - y) < reach;
}

// The model point under raster point (x, y); false where, under a view
// zoomed far out, it lies beyond what a float holds: such a point never
// reaches the model.
bool ModelPointAt(const Platform& window, int x, int y, Point2& out) {
  const ModelPoint p = ModelAt(const_cast<Platform&>(window).Canvas(), x, y);
  const double most = std::numeric_limits<float>::max();
  if (!(std::fabs(p.x) <= most && std::fabs(p.y) <= most)) return false;
  out = Point2{static_cast<float>(p.x), static_cast<float>(p.y)};
  return true;
}

// The display of the current curve family; false when no family has one yet.
bool DrawCurveFamily(Platform& window, int mode) {
  const DisplayFunction draw = FindCurveDisplay(Model().curveKind);
  if (draw == nullptr) return false;
  draw(window, mode);
  DrawComb(window, mode);
  return true;
}

// The control net in Surfaces mode.
void DrawSurfaceView(Platform& window, int mode) {
  if (const DisplayFunction view = FindNetView()) view(window, mode);
}

// A view rotation by the mouse displacement since (dragX, dragY): a full
// client width or height turns the view by 360 degrees.
void RotateView(int x, int y) {
  ModelState& m = Model();
  // Angles that would grow beyond what a model file holds turn back by
  // whole turns: the same view, and Save still writes a file Open reads.
  auto turn = [](float& angle, int moved, int extent) {
    // A zero client size (a minimised window) has no scale for the turn.
    if (extent == 0) return;
    double turned = angle + static_cast<double>(moved) / extent * 360.0;
    if (std::fabs(turned) > kMaxViewValue) turned = std::fmod(turned, 360.0);
    angle = static_cast<float>(turned);
  };
  turn(m.tht, x - m.dragX, m.clientWidth);
  turn(m.phi, y - m.dragY, m.clientHeight);
}

// What Surfaces mode shows: the patch or spline surface chosen last where
// it describes the net, else the control net. It repeats the picture: the
// log is suspended and the model stays as it is (a spline surface rebuilds
// its knots to draw; a repaint keeps the ones the model holds).
void DrawChosenSurface(Platform& window) {
  ModelState& m = Model();
  LogSuspension suspended;
  const DisplayFunction surface = FindSurfaceDisplay(m.curveKind, CurrentScope());
  if (surface == nullptr) {
    DrawSurfaceView(window, kBlackMode);
    return;
  }
  float xKnots[kMaxKnots], yKnots[kMaxKnots];
  std::copy_n(m.xKnots, kMaxKnots, xKnots);
  std::copy_n(m.yKnots, kMaxKnots, yKnots);
  surface(window, kBlackMode);
  std::copy_n(xKnots, kMaxKnots, m.xKnots);
  std::copy_n(yKnots, kMaxKnots, m.yKnots);
}

void RedrawSurfaceView(Platform& window) {
  ModelState& m = Model();
  ClearCanvas(window, m.clientWidth, m.clientHeight);
  DrawChosenSurface(window);
}

void OnPaint(Platform& window) {
  ModelState& m = Model();
  LogSuspension suspended;
  // The paint covers any red highlight; the next hover draws it afresh.
  m.hoverIndex = -1;
  if (IsCurves()) {
    if (!DrawCurveFamily(window, kBlackMode)) {
      DrawPolygon(window, m.points, 0, m.pointCount, kBlackMode);
    }
  } else {
    DrawChosenSurface(window);
  }
}

void OnLeftDown(Platform& window, int x, int y) {
  ModelState& m = Model();
  // A press on the canvas means no stray release from a file dialog is
  // coming: the release that ends this press is a click of its own.
  m.acceptRelease = 1;
  if (!IsCurves()) {
    m.dragX = x;
    m.dragY = y;
    m.pickActive = 1;
    return;
  }
  if (m.acceptRelease == 0) return;
  const int index = FindPointUnder(x, y, window.Canvas().View(), window.Canvas().MarkScale());
  if (index >= 0) {
    m.pickedIndex = index;
    m.pickActive = 1;
  }
}

void OnLeftUp(Platform& window, int x, int y) {
  ModelState& m = Model();
  if (!IsCurves() && m.pickActive == 1) {
    RotateView(x, y);
    RedrawSurfaceView(window);
    m.pickActive = 0;
    return;
  }
  if (m.acceptRelease == 0) {
    m.acceptRelease = 1;  // the release that follows a file dialog
    return;
  }
  if (m.pickActive == 1) {
    m.pickActive = 0;  // the end of a point drag
    return;
  }
  if (y >= m.clientHeight) return;
  if (m.pointCount >= kMaxPoints) return;
  const bool automaticKnots = CurveKnotsAutomatic();
  Point2 clicked;
  if (!ModelPointAt(window, x, y, clicked)) {
    window.ShowStatus("No point added: this place lies beyond the coordinates a model holds; zoom in");
    return;
  }
  m.points[m.pointCount] = clicked;
  // A clicked point weighs 1 whatever an earlier curve left there.
  m.weights[m.pointCount] = 1.0f;
  ++m.pointCount;
  if (automaticKnots) SetDefaultCurveKnots();
  ShowModel(window);  // the new point joins the polygon and the curve
}

void OnRightDown(Platform& window, int x, int y) {
  ModelState& m = Model();
  if (!IsCurves()) return;
  const int index = FindPointUnder(x, y, window.Canvas().View(), window.Canvas().MarkScale());
  if (index >= 0) {
    m.pickedIndex = index;
    m.pickActive = 1;
  }
}

void OnRightUp(Platform& window, int x, int y) {
  ModelState& m = Model();
  if (m.pickActive == 0) return;
  m.pickActive = 0;
  // A command between press and release may have shortened the polygon.
  if (m.pickedIndex >= m.pointCount) return;
  if (!PointIsUnder(m.pickedIndex, x, y, window.Canvas().View(), window.Canvas().MarkScale()))
    return;
  if (m.pointCount <= kMinPolygonPoints) {
    // Said, so that the click is not taken for one the window missed.
    const std::string why = "Point " + std::to_string(m.pickedIndex + 1) +
                            " stays: a polygon keeps at least " +
                            std::to_string(kMinPolygonPoints) + " points";
    window.ShowStatus(why.c_str());
    return;
  }
  const bool automaticKnots = CurveKnotsAutomatic();
  --m.pointCount;
  for (int i = m.pickedIndex; i < m.pointCount; ++i) m.points[i] = m.points[i + 1];
  if (automaticKnots) SetDefaultCurveKnots();
  ShowModel(window);  // the polygon and the curve close over the gap
}

void UpdateHover(Platform& window, int x, int y) {
  ModelState& m = Model();
  const DrawRoleScope role(window.Canvas(), DrawRole::kPointMark);
  // A highlighted point that no longer exists has no mark to put back.
  if (m.hoverIndex >= m.pointCount) m.hoverIndex = -1;
  const int index = FindPointUnder(x, y, window.Canvas().View(), window.Canvas().MarkScale());
  if (index >= 0 && index != m.hoverIndex) {
    if (m.hoverIndex != -1) {
      DrawMark(window, m.points[m.hoverIndex].x, m.points[m.hoverIndex].y, kBlackMode);
    }
    m.hoverIndex = index;
    DrawMark(window, m.points[index].x, m.points[index].y, kRedMode);
  } else if (index < 0 && m.hoverIndex != -1) {
    DrawMark(window, m.points[m.hoverIndex].x, m.points[m.hoverIndex].y, kBlackMode);
    m.hoverIndex = -1;
  }
}

void DragPickedPoint(Platform& window, int x, int y) {
  ModelState& m = Model();
  LogSuspension suspended;
  // Without a family the polygon itself is the picture: its edges move too.
  if (!DrawCurveFamily(window, kEraseMode))
    DrawPolygon(window, m.points, 0, m.pointCount, kEraseMode);
  Point2 moved;
  if (ModelPointAt(window, x, y, moved)) m.points[m.pickedIndex] = moved;
  if (!DrawCurveFamily(window, kBlackMode))
    DrawPolygon(window, m.points, 0, m.pointCount, kBlackMode);
}

void OnMouseMove(Platform& window, std::uint32_t flags, int x, int y) {
  ModelState& m = Model();
  const bool onlyLeftButton = flags == kLeftButtonFlag;
  if (IsCurves()) UpdateHover(window, x, y);
  if (!IsCurves() && m.pickActive == 1 && onlyLeftButton) {
    RotateView(x, y);
    m.dragX = x;
    m.dragY = y;
    RedrawSurfaceView(window);
    return;
  }
  if (m.acceptRelease == 0) return;
  // A command during the drag may have shortened the polygon.
  if (m.pickActive == 1 && m.pickedIndex >= m.pointCount) m.pickActive = 0;
  if (m.pickActive == 1 && onlyLeftButton) DragPickedPoint(window, x, y);
}

// Bezier > Bezier and its kind: the family becomes the current one and its
// display is drawn on a white canvas, into the log when it is open.
void ChooseFamily(Platform& window, int kind) {
  ModelState& m = Model();
  const DisplayFunction surface = FindSurfaceDisplay(kind, CurrentScope());
  // A display that does not describe this net (a spline surface of a
  // triangle) draws nothing and the model stays as it is.
  if (!IsCurves() && surface == nullptr) {
    window.ShowStatus("This surface needs a rectangular net; the net is triangular");
    return;
  }
  m.curveKind = kind;
  ClearCanvas(window, m.clientWidth, m.clientHeight);
  if (IsCurves()) {
    // A spline drawn from clicked points gets the knots that fit them.
    if (kind == kBSpline || kind == kNurbs) RefreshAutomaticKnots();
    DrawCurveFamily(window, kBlackMode);
  } else {
    surface(window, kBlackMode);
  }
  window.ShowStatus(DisplayShortfallOf(kind).c_str());
}

void OnCommand(Platform& window, int id) {
  // Whatever the command draws is tagged with it on the canvas.
  const DrawCommandScope scope(window.Canvas(), id);
  if (const CommandEntry* command = FindCommand(id, CurrentScope())) {
    if (command->compute != nullptr) {
      const Outcome outcome = command->compute(CommandInput{Model(), CommandScratch()});
      const OutcomeWatcher watcher = CurrentOutcomeWatcher();
      std::unique_ptr<ModelState> before;
      if (watcher != nullptr) before = std::make_unique<ModelState>(Model());
      ApplyOutcome(window, outcome);
      NoteOutcome(id, outcome);
      if (watcher != nullptr) watcher(window, outcome, *before);
    } else if (command->run != nullptr) {
      command->run(window);
    }
    return;
  }
  const int kind = CurveKindChosenBy(id);
  if (kind >= 0) ChooseFamily(window, kind);
}

// ---------------------------------------------------------------------------
// Steps of the history. A step is recorded when the outermost message ends
// (a command sends the mode switch as a message of its own, inside it); a
// drag, from press to release, is one step.

int messageDepth = 0;

// A dialog's OK is named by the dialog, every other command by its menu text.
std::string CommandStepName(int id) {
  auto dialog = [](DialogTemplateId templateId) {
    return TrimmedMenuText(FindDialogTemplate(templateId).caption);
  };
  switch (id) {
    case kCmdControlPoints: return dialog(DialogTemplateId::kControlData);
    case kCmdWeights: return dialog(DialogTemplateId::kWeights);
    case kCmdXKnots:
    case kCmdYKnots: return dialog(DialogTemplateId::kKnots);
    default: break;
  }
  return CommandName(id);
}

// The title, Undo and Redo as the window shows them, to call the platform
// only when they change.
struct ShownHistory {
  std::string title, undo, redo;
  int undoEnabled = -1, redoEnabled = -1;
};
ShownHistory shownHistory;

void ShowHistory(Platform& window, bool all) {
  const History& history = DocumentHistory();
  ShownHistory now;
  now.title = DocumentFileName() + (history.Dirty() ? "*" : "") + " - " + kWindowTitle;
  now.undo = history.CanUndo() ? "Undo " + history.UndoName() : "Undo";
  now.redo = history.CanRedo() ? "Redo " + history.RedoName() : "Redo";
  now.undoEnabled = history.CanUndo() ? 1 : 0;
  now.redoEnabled = history.CanRedo() ? 1 : 0;
  ShownHistory& shown = shownHistory;
  if (all || now.title != shown.title) window.SetWindowTitle(now.title.c_str());
  if (all || now.undo != shown.undo) window.SetMenuText(kCmdUndo, now.undo.c_str());
  if (all || now.redo != shown.redo) window.SetMenuText(kCmdRedo, now.redo.c_str());
  if (all || now.undoEnabled != shown.undoEnabled) window.SetMenuEnabled(kCmdUndo, now.undoEnabled);
  if (all || now.redoEnabled != shown.redoEnabled) window.SetMenuEnabled(kCmdRedo, now.redoEnabled);
  shown = now;
}

// One message, or one action from outside the menu, as a step: changes a
// gesture left pending are a step of their own first, and what the action
// changed is recorded when the outermost one ends.
class StepScope {
 public:
  StepScope(Platform& window, bool endsGesture) : window_(window), outermost_(messageDepth == 0) {
    ++messageDepth;
    History& history = DocumentHistory();
    if (outermost_ && endsGesture) history.Record(history.GestureName());
  }
  ~StepScope() { --messageDepth; }
  StepScope(const StepScope&) = delete;
  StepScope& operator=(const StepScope&) = delete;

  bool Outermost() const { return outermost_; }
  // Records what the action changed under `name` and shows the history.
  void Finish(const std::string& name) {
    if (!outermost_) return;
    DocumentHistory().Record(name);
    ShowHistory(window_, false);
  }

 private:
  Platform& window_;
  bool outermost_;
};

void HandleMessage(Platform& window, const Message& message) {
  ModelState& m = Model();
  const int x = LowWord(message.lParam);
  const int y = HighWord(message.lParam);
  switch (message.kind) {
    case MessageKind::kCreate:
      window.Canvas().SetView(ViewTransform{window.DevicePixelRatio(), 0.0, 0.0});
      window.Canvas().SetMarkScale(static_cast<int>(std::lround(window.DevicePixelRatio())));
      CreateDrawingResources(window);
      SetCurvesMenu(window);
      break;
    case MessageKind::kSize:
      m.clientWidth = static_cast<short>(x);
      m.clientHeight = static_cast<short>(y);
      ResizeKeepingPicture(window, x, y);
      break;
    case MessageKind::kPaint: OnPaint(window); break;
    case MessageKind::kLeftDown: OnLeftDown(window, x, y); break;
    case MessageKind::kLeftUp: OnLeftUp(window, x, y); break;
    case MessageKind::kRightDown: OnRightDown(window, x, y); break;
    case MessageKind::kRightUp: OnRightUp(window, x, y); break;
    case MessageKind::kMouseMove: OnMouseMove(window, message.wParam, x, y); break;
    case MessageKind::kCommand: OnCommand(window, static_cast<int>(message.wParam)); break;
    case MessageKind::kWheel:
      ZoomAbout(window, x, y, static_cast<std::int32_t>(message.wParam));
      break;
    case MessageKind::kCombScale:
      ScaleComb(window, static_cast<std::int32_t>(message.wParam));
      break;
    case MessageKind::kPan:
      PanView(window, static_cast<std::int32_t>(message.wParam),
              static_cast<std::int32_t>(message.lParam));
      break;
    case MessageKind::kDestroy:
      CloseOutputLog();
      DeleteDrawingResources(window);
      window.PostQuit(0);
      return;
  }
  // A log whose lines no longer reach the disk is closed and reported once.
  if (CloseOutputLogOnWriteFailure(window)) SetOutputMenu(window, false);
  // The mode and the net's shape change through commands; a repaint checks
  // too. Mouse messages (the drag's hot path) leave the greying as it is.
  if (message.kind == MessageKind::kCommand || message.kind == MessageKind::kPaint)
    UpdateMenuScope(window);
}

}  // namespace

void ShowModel(Platform& window) {
  ModelState& m = Model();
  // The model is nobody's result, whichever command shows it again.
  const DrawCommandScope model(window.Canvas(), kNoCommand);
  ClearCanvas(window, m.clientWidth, m.clientHeight);
  OnPaint(window);
}

namespace {

// The model drawn afresh with the results `drawn` held (the figures of the
// commands that hand back an outcome) over it, whole and in their order.
void ShowModelWithResultsOf(Platform& window, const DisplayList& drawn) {
  std::vector<int> results;
  for (const DisplayItem& item : drawn.Items()) {
    const int id = item.tag.command;
    if (id == kNoCommand || std::find(results.begin(), results.end(), id) != results.end()) continue;
    const CommandEntry* command = FindCommand(id, ~0u);
    if (command != nullptr && command->compute != nullptr) results.push_back(id);
  }
  ShowModel(window);
  if (results.empty()) return;
  window.Canvas().DrawAgain(drawn, [&results](const DisplayItem& item) {
    return std::find(results.begin(), results.end(), item.tag.command) != results.end();
  });
}

// The picture at a new client size: every figure again, or the model and
// its results where the list was flattened into pixels of the old size.
void ResizeKeepingPicture(Platform& window, int width, int height) {
  Raster& canvas = window.Canvas();
  if (canvas.width() == width && canvas.height() == height) return;
  const DisplayList drawn = canvas.List();
  canvas.Resize(width, height);
  if (!drawn.BaseImage().empty()) return ShowModelWithResultsOf(window, drawn);
  canvas.DrawAgain(drawn, [](const DisplayItem&) { return true; });
}

}  // namespace

void ShowModelKeepingResults(Platform& window) {
  const DisplayList drawn = window.Canvas().List();
  ShowModelWithResultsOf(window, drawn);
}

int FindPointUnder(int x, int y, const ViewTransform& view, int markScale) {
  const ModelState& m = Model();
  for (int i = 0; i < m.pointCount && i < kMaxPoints; ++i) {
    if (PointIsUnder(i, x, y, view, markScale)) return i;
  }
  return -1;
}

namespace {

MessageWatcher g_messageWatcher = nullptr;

// The step of an outermost message, recorded when it ends.
void FinishStep(Platform& window, StepScope& scope, const Message& message) {
  RefreshLegend(window);
  switch (message.kind) {
    case MessageKind::kCreate:
      // The model the window starts with is the first state, and clean.
      DocumentHistory().Reset();
      ShowHistory(window, true);
      return;
    case MessageKind::kDestroy: return;
    case MessageKind::kCommand:
      scope.Finish(CommandStepName(static_cast<int>(message.wParam)));
      return;
    default: break;
  }
  // A press, move or repaint during a drag: its step ends with the release.
  if (Model().pickActive != 0) return;
  scope.Finish(DocumentHistory().GestureName());
}

}  // namespace

int MainWindowProc(Platform& window, const Message& message) {
  StepScope scope(window, message.kind == MessageKind::kCommand);
  // Each action's message replaces the one before; an action that says
  // nothing leaves the line empty rather than describing another.
  if (scope.Outermost() && message.kind == MessageKind::kCommand) window.ShowStatus("");
  HandleMessage(window, message);
  if (!scope.Outermost()) return 0;
  FinishStep(window, scope, message);
  if (g_messageWatcher != nullptr) g_messageWatcher(window, message);
  return 0;
}

void WatchMessages(MessageWatcher watcher) { g_messageWatcher = watcher; }

void OpenFileFromOutside(Platform& window, const char* path) {
  StepScope scope(window, true);
  OpenModelFile(window, path);
  scope.Finish("Open");
  if (CloseOutputLogOnWriteFailure(window)) SetOutputMenu(window, false);
  UpdateMenuScope(window);
}

bool MayCloseWindow(Platform& window) {
  StepScope scope(window, true);
  const bool mayClose = SettleUnsavedChanges(window);
  scope.Finish("Save");
  return mayClose;
}

}  // namespace tambra
