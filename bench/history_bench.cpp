// Undo and Redo at the history's capacity: 100 steps of a 100 by 100 net.
// The history alone (putting a recorded state back) and the whole command
// through the window procedure, which also repaints the net; the counter
// "MB" is the memory the 101 states take.

#include <benchmark/benchmark.h>

#include "app/history.h"
#include "base/model_state.h"
#include "resources/command_ids.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

// A window in Surfaces mode with a full net and kHistorySteps rotations of
// it recorded.
void FillHistory(HeadlessPlatform& window) {
  ResetModelState();
  window.Start();
  window.Command(kCmdSurfaces);
  ModelState& m = Model();
  m.netRows = m.netCols = kMaxNet;
  for (int i = 0; i < kMaxNet; ++i) {
    for (int j = 0; j < kMaxNet; ++j) {
      m.net[i][j] = Point3{static_cast<float>(i) * 3.0f, static_cast<float>(j) * 2.0f,
                           static_cast<float>((i * j) % 11)};
    }
  }
  for (int k = 0; k <= kHistorySteps; ++k) {
    window.Send(MouseMessage(MessageKind::kLeftDown, 100, 100, kLeftButtonFlag));
    window.Send(MouseMessage(MessageKind::kLeftUp, 103 + k % 7, 100));
  }
}

void BM_HistoryUndoRedoAtCapacity(benchmark::State& state) {
  HeadlessPlatform window;
  FillHistory(window);
  History& history = DocumentHistory();
  for (auto _ : state) {
    history.Undo();
    history.Redo();
  }
  state.counters["steps"] = history.StepCount();
  state.counters["MB"] = static_cast<double>(history.MemoryBytes()) / (1 << 20);
}
BENCHMARK(BM_HistoryUndoRedoAtCapacity)->Unit(benchmark::kMicrosecond);

void BM_UndoRedoCommandsAtCapacity(benchmark::State& state) {
  HeadlessPlatform window;
  FillHistory(window);
  for (auto _ : state) {
    window.Command(kCmdUndo);
    window.Command(kCmdRedo);
  }
  state.counters["steps"] = DocumentHistory().StepCount();
}
BENCHMARK(BM_UndoRedoCommandsAtCapacity)->Unit(benchmark::kMicrosecond);

// For comparison: the repaint both commands end with.
void BM_RepaintOfTheFullNet(benchmark::State& state) {
  HeadlessPlatform window;
  FillHistory(window);
  for (auto _ : state) window.Send(Message{MessageKind::kPaint});
}
BENCHMARK(BM_RepaintOfTheFullNet)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tambra
