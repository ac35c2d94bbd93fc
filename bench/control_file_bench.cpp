// Saving and loading the largest net a control file holds, 100 by 100 points.
// For 32 by 32 both stayed far below a frame's worth of time (5 ms); ten
// times the points take about 6 ms to save ("%g" formatting) and 2 ms to load.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/control_file.h"
#include "base/model_limits.h"
#include "base/model_state.h"
#include "tools/headless_platform.h"

namespace tambra {
namespace {

// Says OK to every question, so that each save replaces the file.
class AlwaysOk : public HeadlessAnswers {
 public:
  int AnswerDialog(DialogSession&) override { return 1; }
  bool AnswerFileName(const FilePrompt&, char (&)[kMaxFileName]) override { return true; }
  bool AnswerOkCancel(const char*, const char*) override { return true; }
};

// A 100 by 100 net with values of six significant digits, as a real model has.
void SetFullNet() {
  ResetModelState();
  ModelState& m = Model();
  m.objectMode = kSurfaces;
  m.netRows = kMaxNetSize;
  m.netCols = kMaxNetSize;
  for (int i = 0; i < kMaxNetSize; ++i) {
    for (int j = 0; j < kMaxNetSize; ++j) {
      m.net[i][j] = Point3{static_cast<float>(i) * 1.234567f, static_cast<float>(j) * -2.345678f,
                           static_cast<float>(i * j) * 0.0123457f};
      m.netWeights[i][j] = 1.0f + static_cast<float>((i + j) % 7) * 0.142857f;
    }
  }
  for (int k = 0; k < StoredKnotCount(kMaxNetSize, m.xOrder); ++k)
    m.xKnots[k] = m.yKnots[k] = static_cast<float>(k) / 3.0f;
  m.scale = 0.5f;
  m.tx = 400.0f;
  m.ty = 300.0f;
  m.tht = 33.3333f;
  m.phi = 66.6667f;
}

struct TempFolder {
  TempFolder() {
    char pattern[] = "/tmp/tambra-bench-XXXXXX";
    path = ::mkdtemp(pattern) != nullptr ? pattern : "/tmp";
  }
  ~TempFolder() {
    if (path != "/tmp") std::filesystem::remove_all(path);
  }
  std::string path;
};

void UseFile(const std::string& path) {
  std::strncpy(Model().controlFileName, path.c_str(), kMaxFileName - 1);
}

void BM_FormatFullNet(benchmark::State& state) {
  SetFullNet();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = FormatControlFile();
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FormatFullNet)->Unit(benchmark::kMillisecond);

// Format, write to a temporary file, sync and rename over the old file.
void BM_SaveFullNet(benchmark::State& state) {
  TempFolder folder;
  HeadlessPlatform window;
  AlwaysOk answers;
  window.SetAnswers(&answers);
  SetFullNet();
  UseFile(folder.path + "/net.cnt");
  for (auto _ : state) SaveControlFile(window);
  if (!window.Errors().empty()) state.SkipWithError(window.Errors().front().c_str());
}
BENCHMARK(BM_SaveFullNet)->Unit(benchmark::kMillisecond);

void BM_ParseFullNet(benchmark::State& state) {
  SetFullNet();
  const std::string text = FormatControlFile();
  const auto contents = std::make_unique<ControlFileContents>();
  std::string reason;
  for (auto _ : state) {
    if (!ParseControlFile(text, *contents, reason)) {
      state.SkipWithError(reason.c_str());
      break;
    }
    benchmark::DoNotOptimize(contents->net[kMaxNetSize - 1][kMaxNetSize - 1]);
  }
}
BENCHMARK(BM_ParseFullNet)->Unit(benchmark::kMillisecond);

// Read the file, parse it into the temporary contents, apply them.
void BM_LoadFullNet(benchmark::State& state) {
  TempFolder folder;
  HeadlessPlatform window;
  AlwaysOk answers;
  window.SetAnswers(&answers);
  SetFullNet();
  UseFile(folder.path + "/net.cnt");
  SaveControlFile(window);
  for (auto _ : state) {
    if (LoadControlFile(window) == 0) {
      state.SkipWithError(window.Errors().back().c_str());
      break;
    }
  }
}
BENCHMARK(BM_LoadFullNet)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tambra
