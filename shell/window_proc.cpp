#include "shell/window_proc.h"

#include <cstdlib>

#include "bezier/bezier_display.h"
#include "bezier/degree_elevation.h"
#include "bezier/degree_reduction.h"
#include "resources/command_ids.h"
#include "shell/canvas.h"
#include "shell/control_file.h"
#include "shell/dialogs.h"
#include "shell/model_state.h"
#include "shell/output_log.h"
#include "shell/snapshots.h"

namespace tambra {

namespace {

// A redraw that only repeats the picture keeps the log out of it.
class LogSuspension {
 public:
  LogSuspension() : wasActive_(Model().logActive == 1) { Model().logActive = 0; }
  ~LogSuspension() {
    if (wasActive_) Model().logActive = 1;
  }
  LogSuspension(const LogSuspension&) = delete;
  LogSuspension& operator=(const LogSuspension&) = delete;

 private:
  bool wasActive_;
};

int LowWord(std::uint32_t value) { return static_cast<int>(value & 0xFFFFu); }
int HighWord(std::uint32_t value) { return static_cast<int>((value >> 16) & 0xFFFFu); }

bool IsCurves() { return Model().objectMode == kCurves; }

bool PointIsUnder(int index, int x, int y) {
  const Point2& p = Model().points[index];
  return std::abs(TruncateToPixel(p.x) - x) < 3 && std::abs(TruncateToPixel(p.y) - y) < 3;
}

// The display of the current curve family; false when no family has one yet.
bool DrawCurveFamily(Platform& window, int mode) {
  switch (Model().curveKind) {
    case kBezier: DrawBezierCurve(window, mode); return true;
    default: return false;
  }
}

// The surface view joins here when it lands; until then Surfaces mode shows
// an empty canvas.
void DrawSurfaceView(Platform&, int) {}

// A view rotation by the mouse displacement since (dragX, dragY): a full
// client width or height turns the view by 360 degrees.
void RotateView(int x, int y) {
  ModelState& m = Model();
  // A zero client size (a minimised window) has no scale for the turn.
  if (m.clientWidth != 0) {
    m.tht = static_cast<float>(m.tht + static_cast<double>(x - m.dragX) / m.clientWidth * 360.0);
  }
  if (m.clientHeight != 0) {
    m.phi = static_cast<float>(m.phi + static_cast<double>(y - m.dragY) / m.clientHeight * 360.0);
  }
}

void RedrawSurfaceView(Platform& window) {
  ModelState& m = Model();
  ClearCanvas(window, m.clientWidth, m.clientHeight);
  DrawSurfaceView(window, kBlackMode);
}

void OnPaint(Platform& window) {
  ModelState& m = Model();
  LogSuspension suspended;
  if (IsCurves()) {
    if (!DrawCurveFamily(window, kBlackMode)) {
      DrawPolygon(window, m.points, 0, m.pointCount, kBlackMode);
    }
  } else {
    DrawSurfaceView(window, kBlackMode);
  }
}

void OnLeftDown(int x, int y) {
  ModelState& m = Model();
  if (!IsCurves()) {
    m.dragX = x;
    m.dragY = y;
    m.pickActive = 1;
    return;
  }
  if (m.acceptRelease == 0) return;
  const int index = FindPointUnder(x, y);
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
  m.points[m.pointCount] = Point2{static_cast<float>(x), static_cast<float>(y)};
  DrawMark(window, static_cast<float>(x), static_cast<float>(y), kBlackMode);
  ++m.pointCount;
}

void OnRightDown(int x, int y) {
  ModelState& m = Model();
  if (!IsCurves()) return;
  const int index = FindPointUnder(x, y);
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
  if (!PointIsUnder(m.pickedIndex, x, y)) return;
  if (m.pointCount <= kMinPolygonPoints) return;
  --m.pointCount;
  const Point2 removed = m.points[m.pickedIndex];
  DrawMark(window, static_cast<float>(TruncateToPixel(removed.x)),
           static_cast<float>(TruncateToPixel(removed.y)), kEraseMode);
  for (int i = m.pickedIndex; i < m.pointCount; ++i) m.points[i] = m.points[i + 1];
}

void UpdateHover(Platform& window, int x, int y) {
  ModelState& m = Model();
  const int index = FindPointUnder(x, y);
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
  Point2& picked = m.points[m.pickedIndex];
  if (!DrawCurveFamily(window, kEraseMode)) DrawMark(window, picked.x, picked.y, kEraseMode);
  picked = Point2{static_cast<float>(x), static_cast<float>(y)};
  if (!DrawCurveFamily(window, kBlackMode)) DrawMark(window, picked.x, picked.y, kBlackMode);
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
  if (m.pickActive == 1 && onlyLeftButton) DragPickedPoint(window, x, y);
}

void ToggleSave(Platform& window) {
  ModelState& m = Model();
  m.saveResults = m.saveResults == 0 ? 1 : 0;
  CheckSaveItems(window, m.saveResults == 1);
}

void ChooseFamily(Platform& window, int kind) {
  ModelState& m = Model();
  m.curveKind = kind;
  ClearCanvas(window, m.clientWidth, m.clientHeight);
  if (IsCurves()) {
    DrawCurveFamily(window, kBlackMode);
  }
}

// Redraws the model after a file was opened, without logging.
void ShowOpenedModel(Platform& window) {
  ModelState& m = Model();
  ClearCanvas(window, m.clientWidth, m.clientHeight);
  LogSuspension suspended;
  if (IsCurves()) {
    DrawPolygon(window, m.points, 0, m.pointCount, kBlackMode);
  } else {
    DrawSurfaceView(window, kBlackMode);
  }
}

void OpenControlFile(Platform& window) {
  ModelState& m = Model();
  const int previousMode = m.objectMode;
  m.acceptRelease = 0;
  if (AskFileName(window, kControlFileName) == 0) return;
  if (LoadControlFile(window) == 0) return;
  if (m.objectMode != previousMode) {
    MainWindowProc(window, CommandMessage(kCmdCurves + m.objectMode));
  }
  ShowOpenedModel(window);
}

void SaveControlFileAs(Platform& window) {
  Model().acceptRelease = 0;
  if (AskFileName(window, kControlFileName) == 0) return;
  SaveControlFile(window);
}

void StartOutputLog(Platform& window) {
  Model().acceptRelease = 0;
  if (AskFileName(window, kOutputFileName) == 0) return;
  if (OpenOutputLog(window) == 0) return;
  window.SetMenuEnabled(kCmdOutput, false);
  window.SetMenuEnabled(kCmdCloseOutput, true);
}

void StopOutputLog(Platform& window) {
  if (CloseOutputLog() == 0) return;
  window.SetMenuEnabled(kCmdOutput, true);
  window.SetMenuEnabled(kCmdCloseOutput, false);
}

// Pastes the copied curve over the current picture, without logging.
void PasteAndShow(Platform& window) {
  ModelState& m = Model();
  PasteCurve();
  LogSuspension suspended;
  if (!DrawCurveFamily(window, kBlackMode)) {
    for (int i = 0; i < m.pointCount && i < kMaxPoints; ++i) {
      DrawMark(window, m.points[i].x, m.points[i].y, kBlackMode);
    }
  }
}

template <typename Dialog>
void RunModal(Platform& window) {
  Dialog dialog;
  ShowDialog(window, dialog);
}

void OnCommand(Platform& window, int id) {
  ModelState& m = Model();
  switch (id) {
    case kCmdCurves:
      SetCurvesMenu(window);
      m.objectMode = kCurves;
      break;
    case kCmdSurfaces:
      SetSurfacesMenu(window);
      m.objectMode = kSurfaces;
      break;
    case kCmdOpen:
      OpenControlFile(window);
      break;
    case kCmdSave:
      SaveControlFile(window);
      break;
    case kCmdSaveAs:
      SaveControlFileAs(window);
      break;
    case kCmdOutput:
      StartOutputLog(window);
      break;
    case kCmdCloseOutput:
      StopOutputLog(window);
      break;
    case kCmdExit:
      window.RequestClose();
      break;
    case kCmdCopy:
      CopyCurve();
      break;
    case kCmdPaste:
      PasteAndShow(window);
      break;
    case kCmdControlPoints:
      RunModal<ControlDataDialog>(window);
      break;
    case kCmdWeights:
      RunModal<WeightsDialog>(window);
      break;
    case kCmdXKnots:
    case kCmdYKnots:
      m.knotsDirection = id == kCmdXKnots ? 0 : 1;
      RunModal<KnotsDialog>(window);
      break;
    case kCmdAbout:
      RunModal<AboutDialog>(window);
      break;
    case kCmdNew:
      m.netCols = 0;
      m.netRows = 0;
      m.pointCount = 0;
      m.curveKind = kNoCurve;
      ClearCanvas(window, m.clientWidth, m.clientHeight);
      break;
    case kCmdEditSave:
    case kCmdBezierSave:
    case kCmdRationalSave:
    case kCmdBSplineSave:
    case kCmdNurbsSave:
      ToggleSave(window);
      break;
    case kCmdBezier:
      ChooseFamily(window, kBezier);
      break;
    case kCmdBezierElevation:
      // Surface degree elevation joins here when it lands.
      if (IsCurves()) BezierDegreeElevation(window);
      break;
    case kCmdReduceSimple:
      if (IsCurves()) SimpleDegreeReduction(window);
      break;
    case kCmdReduceEck:
      if (IsCurves()) EckDegreeReduction(window);
      break;
    case kCmdReduceLse:
      if (IsCurves()) LseDegreeReduction(window);
      break;
    case kCmdReduceLseC0:
      if (IsCurves()) LseC0DegreeReduction(window);
      break;
    case kCmdReduceLseC1:
      if (IsCurves()) LseC1DegreeReduction(window);
      break;
    case kCmdReduceLseC2:
      if (IsCurves()) LseC2DegreeReduction(window);
      break;
    default:
      // Commands whose operations have not landed yet, and unknown ids.
      break;
  }
}

}  // namespace

int FindPointUnder(int x, int y) {
  const ModelState& m = Model();
  for (int i = 0; i < m.pointCount && i < kMaxPoints; ++i) {
    if (PointIsUnder(i, x, y)) return i;
  }
  return -1;
}

int MainWindowProc(Platform& window, const Message& message) {
  ModelState& m = Model();
  const int x = LowWord(message.lParam);
  const int y = HighWord(message.lParam);
  switch (message.kind) {
    case MessageKind::kCreate:
      CreateDrawingResources(window);
      SetCurvesMenu(window);
      break;
    case MessageKind::kSize:
      m.clientWidth = static_cast<short>(x);
      m.clientHeight = static_cast<short>(y);
      break;
    case MessageKind::kPaint: OnPaint(window); break;
    case MessageKind::kLeftDown: OnLeftDown(x, y); break;
    case MessageKind::kLeftUp: OnLeftUp(window, x, y); break;
    case MessageKind::kRightDown: OnRightDown(x, y); break;
    case MessageKind::kRightUp: OnRightUp(window, x, y); break;
    case MessageKind::kMouseMove: OnMouseMove(window, message.wParam, x, y); break;
    case MessageKind::kCommand: OnCommand(window, static_cast<int>(message.wParam)); break;
    case MessageKind::kDestroy:
      CloseOutputLog();
      DeleteDrawingResources(window);
      window.PostQuit(0);
      break;
  }
  return 0;
}

}  // namespace tambra
