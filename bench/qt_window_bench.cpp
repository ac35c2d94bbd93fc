// What a user of the Qt program feels: the real main window, offscreen,
// driven by real mouse events on its canvas. Every step is the window
// procedure plus the screen update it asks for, the paint event included.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <memory>

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

// The shown window with an 800 by 600 canvas, 100 control points on a wave
// across it, the Bezier family chosen at `grid`; everything painted.
struct ShownWindow {
  std::unique_ptr<MainWindow> window;
  PaintCounter counter;

  explicit ShownWindow(int grid) {
    ResetModelState();
    window = std::make_unique<MainWindow>();
    window->canvas()->setFixedSize(800, 600);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) std::abort();
    ModelState& m = Model();
    for (int i = 0; i < kMaxPoints; ++i) {
      const float wave = static_cast<float>(std::sin(i * 0.3));
      m.points[i] = Point2{20.0f + 7.5f * i, 300.0f + 200.0f * wave};
    }
    m.pointCount = kMaxPoints;
    m.grid = grid;
    window->Send(CommandMessage(kCmdBezier));
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

// Point 50 picked and moved with the left button held: per step one mouse
// move event (erase and redraw in the core) and the paint it causes.
void BM_QtBezierDragStep(benchmark::State& state) {
  ShownWindow shown(static_cast<int>(state.range(0)));
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
BENCHMARK(BM_QtBezierDragStep)->Arg(50)->Arg(9999)->Unit(benchmark::kMicrosecond);

// The window procedure's paint message (every figure drawn again) and the
// screen update it asks for.
void BM_QtBezierRepaint(benchmark::State& state) {
  ShownWindow shown(static_cast<int>(state.range(0)));
  shown.counter.paints = 0;
  for (auto _ : state) {
    shown.window->Send(Message{MessageKind::kPaint});
    QApplication::processEvents();
  }
  ReportPaints(state, shown);
}
BENCHMARK(BM_QtBezierRepaint)->Arg(50)->Arg(9999)->Unit(benchmark::kMicrosecond);

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
