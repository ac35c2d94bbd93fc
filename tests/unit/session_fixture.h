// The fixture of the tests that drive the program on the headless platform:
// a fresh model, a window answering from a queue, a temporary folder, and
// helpers for files and for comparing whole models.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <clocale>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/dialog_session.h"
#include "base/model_state.h"
#include "base/output_log.h"
#include "tools/headless_platform.h"

namespace tambra {

inline std::string ReadFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The model's bytes, without the scratch text buffer, the log handle and the
// hover, which no file or dialog holds.
inline std::vector<unsigned char> ModelBytes(const ModelState& model = Model()) {
  std::vector<unsigned char> bytes(sizeof(ModelState));
  std::memcpy(bytes.data(), static_cast<const void*>(&model), sizeof(ModelState));
  std::memset(bytes.data() + offsetof(ModelState, textBuffer), 0, sizeof(ModelState::textBuffer));
  std::memset(bytes.data() + offsetof(ModelState, logFile), 0, sizeof(ModelState::logFile));
  std::memset(bytes.data() + offsetof(ModelState, hoverIndex), 0, sizeof(ModelState::hoverIndex));
  return bytes;
}

// The fields of two models' bytes (ModelBytes) that differ, by name, ""
// when none does: a failed comparison says what changed.
inline std::string ModelDifference(const std::vector<unsigned char>& a,
                                   const std::vector<unsigned char>& b) {
  struct Field {
    const char* name;
    std::size_t offset, size;
  };
#define TAMBRA_FIELD(f) Field{#f, offsetof(ModelState, f), sizeof(ModelState::f)}
  static const Field fields[] = {
      TAMBRA_FIELD(objectMode),     TAMBRA_FIELD(curveKind),        TAMBRA_FIELD(saveResults),
      TAMBRA_FIELD(pointCount),     TAMBRA_FIELD(points),           TAMBRA_FIELD(weights),
      TAMBRA_FIELD(knots),          TAMBRA_FIELD(order),            TAMBRA_FIELD(degreeStep),
      TAMBRA_FIELD(chaikinSteps),   TAMBRA_FIELD(insertKnot),       TAMBRA_FIELD(insertSpan),
      TAMBRA_FIELD(approxDim),      TAMBRA_FIELD(netRows),          TAMBRA_FIELD(netCols),
      TAMBRA_FIELD(net),            TAMBRA_FIELD(netWeights),       TAMBRA_FIELD(xKnots),
      TAMBRA_FIELD(yKnots),         TAMBRA_FIELD(xOrder),           TAMBRA_FIELD(yOrder),
      TAMBRA_FIELD(xDegreeStep),    TAMBRA_FIELD(yDegreeStep),      TAMBRA_FIELD(applyX),
      TAMBRA_FIELD(applyY),         TAMBRA_FIELD(triangles),        TAMBRA_FIELD(triangleList),
      TAMBRA_FIELD(grid),           TAMBRA_FIELD(scale),            TAMBRA_FIELD(tx),
      TAMBRA_FIELD(ty),             TAMBRA_FIELD(tht),              TAMBRA_FIELD(phi),
      TAMBRA_FIELD(clientWidth),    TAMBRA_FIELD(clientHeight),     TAMBRA_FIELD(controlFileName),
      TAMBRA_FIELD(outputFileName), TAMBRA_FIELD(controlFileChosen), TAMBRA_FIELD(logActive),
      TAMBRA_FIELD(logWriteError),  TAMBRA_FIELD(acceptRelease),    TAMBRA_FIELD(pickActive),
      TAMBRA_FIELD(pickedIndex),    TAMBRA_FIELD(dragX),            TAMBRA_FIELD(dragY),
      TAMBRA_FIELD(knotsDirection), TAMBRA_FIELD(knotsShownOrder),  TAMBRA_FIELD(copyBuffer),
      TAMBRA_FIELD(curveSnapshot),  TAMBRA_FIELD(surfaceSnapshot),
  };
#undef TAMBRA_FIELD
  std::string differ;
  for (const Field& f : fields) {
    if (std::memcmp(a.data() + f.offset, b.data() + f.offset, f.size) != 0) {
      if (!differ.empty()) differ += ' ';
      differ += f.name;
    }
  }
  if (differ.empty() && a != b) differ = "(padding)";
  return differ;
}

// A disk that fills up after `bytes` for the scope: writes beyond fail with
// "File too large" (EFBIG) instead of a signal.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) : handler(::signal(SIGXFSZ, SIG_IGN)) {
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const struct rlimit small = {bytes, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved), ::signal(SIGXFSZ, handler); }
  FileSizeLimit(const FileSizeLimit&) = delete;

  void (*handler)(int);
  struct rlimit saved;
};

using Texts = std::initializer_list<std::pair<int, std::string>>;

class SessionTest : public ::testing::Test {
 protected:
  // A window of the given size is started; none when the width is 0.
  explicit SessionTest(int width = 800, int height = 600) : width_(width), height_(height) {}
  void SetUp() override {
    ResetModelState();
    char pattern[] = "/tmp/tambra-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir = pattern;
    window.SetAnswers(&answers);
    if (width_ > 0) window.Start(width_, height_);
  }
  void TearDown() override {
    CloseOutputLog();
    std::filesystem::remove_all(dir);
    ResetModelState();
    std::setlocale(LC_ALL, "C");
  }
  std::string Path(const std::string& name) const { return dir + "/" + name; }
  // The window's next dialog: `expected` is its template, `texts` are typed
  // and `button` pressed.
  void Answer(DialogTemplateId expected, Texts texts = {}, int button = kButtonOk) {
    answers.dialogs.push_back([=, typed = std::vector(texts)](DialogSession& d) {
      EXPECT_EQ(d.Template(), expected);
      for (const auto& [id, text] : typed) d.SetText(id, text);
      return d.Press(button);
    });
  }

  ModelState& m = Model();
  HeadlessPlatform window;
  QueuedAnswers answers;
  std::string dir;

 private:
  int width_, height_;
};

}  // namespace tambra
