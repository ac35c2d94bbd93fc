// What a user of the Qt program feels: the real main window, offscreen,
// driven by real mouse events on its canvas. Every step is the window
// procedure plus the screen update it asks for, the paint event included.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/model_state.h"
#include "qt/canvas_widget.h"
#include "qt/main_window.h"
#include "resources/command_ids.h"

namespace tambra {
namespace {

// Counts the paint events a widget receives: proof that a step really
// reached the screen.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

constexpr int kChooseCommand[] = {kCmdBezier, kCmdRationalBezier, kCmdBSpline, kCmdNurbs};

// The shown window with an 800 by 600 canvas and the display `kind` (0
// Bezier, 1 rational, 2 B-spline, 3 NURBS) of a wave across it at `grid`:
// 100 points (96 of order 4 for the splines), weights between 0.5 and 2,
// clamped uniform knots; everything painted.
struct ShownWindow {
  std::unique_ptr<MainWindow> window;
  PaintCounter counter;

  ShownWindow(int kind, int grid) {
    ResetModelState();
    window = std::make_unique<MainWindow>();
    window->canvas()->setFixedSize(800, 600);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) std::abort();
    ModelState& m = Model();
    const int n = kind >= 2 ? kMaxPoints - 4 : kMaxPoints;
    for (int i = 0; i < n; ++i) {
      const float wave = static_cast<float>(std::sin(i * 0.3));
      m.points[i] = Point2{20.0f + 760.0f * i / (n - 1), 300.0f + 200.0f * wave};
      m.weights[i] = 1.25f + 0.75f * static_cast<float>(std::cos(i * 0.7));
    }
    for (int i = 0; i < n + m.order; ++i) {
      m.knots[i] = static_cast<float>(std::clamp(i - m.order + 1, 0, n - m.order + 1));
    }
    m.pointCount = n;
    m.grid = grid;
    window->Send(CommandMessage(kChooseCommand[kind]));
    QApplication::processEvents();
    window->canvas()->installEventFilter(&counter);
  }
  ~ShownWindow() {
    window->canvas()->removeEventFilter(&counter);
    window.reset();
    ResetModelState();
  }
  QWidget* canvas() const { return window->canvas(); }
};

void ReportPaints(benchmark::State& state, const ShownWindow& shown) {
  state.counters["paints/step"] =
      static_cast<double>(shown.counter.paints) / static_cast<double>(state.iterations());
  if (shown.counter.paints < static_cast<int>(state.iterations())) {
    state.SkipWithError("a step did not reach the screen");
  }
}

// Arguments: display, grid. Point 50 picked and moved with the left button
// held: per step one mouse move event (erase and redraw in the core) and
// the paint it causes.
void BM_QtCurveDragStep(benchmark::State& state) {
  ShownWindow shown(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const Point2 picked = Model().points[50];
  const QPoint at(static_cast<int>(picked.x), static_cast<int>(picked.y));
  SendMouse(shown.canvas(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
  if (Model().pickActive != 1) state.SkipWithError("the point was not picked");
  QApplication::processEvents();
  shown.counter.paints = 0;
  int step = 0;
  for (auto _ : state) {
    const QPoint to(300 + step % 40, 100 + (step % 23) * 10);
    SendMouse(shown.canvas(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    QApplication::processEvents();
    ++step;
  }
  ReportPaints(state, shown);
}
void DisplayArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"display", "grid"})->ArgsProduct({{0, 1, 2, 3}, {50, 9999}});
  b->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_QtCurveDragStep)->Apply(DisplayArgs);

// The window procedure's paint message (every figure drawn again) and the
// screen update it asks for.
void BM_QtCurveRepaint(benchmark::State& state) {
  ShownWindow shown(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  shown.counter.paints = 0;
  for (auto _ : state) {
    shown.window->Send(Message{MessageKind::kPaint});
    QApplication::processEvents();
  }
  ReportPaints(state, shown);
}
BENCHMARK(BM_QtCurveRepaint)->Apply(DisplayArgs);

// Arguments: command id, grid. Every Bezier command at the most points it
// takes (its result kept with Save on), over the Bezier curve of those
// points, Save off so that every run starts from the polygon it had; every
// other run moves the first point, so that no run finds the curve it draws
// kept from the run before.
void BM_QtBezierCommand(benchmark::State& state) {
  ShownWindow shown(0, static_cast<int>(state.range(1)));
  ModelState& m = Model();
  const int command = static_cast<int>(state.range(0));
  const std::vector<Point2> wave(m.points, m.points + kMaxPoints);
  auto run = [&](int count, bool save, float shift = 0.0f) {
    std::copy(wave.begin(), wave.begin() + count, m.points);
    m.points[0].x += shift;
    m.pointCount = count, m.degreeStep = 1, m.saveResults = save;
    shown.window->Send(CommandMessage(command));
    QApplication::processEvents();
    return m.pointCount != count;
  };
  int count = kMaxPoints;
  while (count > 0 && !run(count, true)) --count;
  if (count == 0) state.SkipWithError("the command took no polygon");
  run(count, false);
  shown.window->Send(CommandMessage(kCmdBezier));
  QApplication::processEvents();
  shown.counter.paints = 0;
  int step = 0;
  for (auto _ : state) run(count, false, static_cast<float>(step++ % 2));
  state.counters["points"] = count;
  ReportPaints(state, shown);
}
BENCHMARK(BM_QtBezierCommand)
    ->ArgNames({"command", "grid"})
    ->ArgsProduct({{kCmdBezierElevation, kCmdReduceSimple, kCmdReduceEck, kCmdReduceLse,
                    kCmdReduceLseC0, kCmdReduceLseC1, kCmdReduceLseC2},
                   {50, 9999}})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tambra

int main(int argc, char** argv) {
  // The window needs no screen.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
