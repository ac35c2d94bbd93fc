#include "shell/output_log.h"

#include <cstring>

#include "shell/c_locale.h"
#include "shell/model_state.h"

namespace tambra {

namespace {

void WriteBuffer(std::FILE* file) {
  ModelState& m = Model();
  if (file == nullptr) return;
  std::fwrite(m.textBuffer, 1, std::strlen(m.textBuffer), file);
}

}  // namespace

void LogText(const char* text) {
  std::FILE* file = Model().logFile;
  if (file != nullptr) std::fwrite(text, 1, std::strlen(text), file);
}

void LogPoint(float x, float y) {
  ModelState& m = Model();
  const double upward = static_cast<double>(m.clientHeight) - static_cast<double>(y);
  FormatC(m.textBuffer, sizeof m.textBuffer, "%7.5f %7.5f\r\n", static_cast<double>(x), upward);
  WriteBuffer(m.logFile);
}

void LogPoint3(float x, float y, float z) {
  ModelState& m = Model();
  FormatC(m.textBuffer, sizeof m.textBuffer, "%7.5f %7.5f %7.5f\r\n", static_cast<double>(x),
          static_cast<double>(y), static_cast<double>(z));
  WriteBuffer(m.logFile);
}

void LogBreak(int longBreak) {
  LogText(longBreak != 0 ? "\r\n\r\n\r\n" : "\r\n");
}

void LogMatrix(std::FILE* file, const float (*matrix)[100], int rows, int cols) {
  ModelState& m = Model();
  FormatC(m.textBuffer, sizeof m.textBuffer, "\r\n%d, %d, \r\n", rows, cols);
  WriteBuffer(file);
  for (int i = 0; i < rows && i < 100; ++i) {
    for (int j = 0; j < cols && j < 100; ++j) {
      FormatC(m.textBuffer, sizeof m.textBuffer, "%10.7f, ", static_cast<double>(matrix[i][j]));
      WriteBuffer(file);
    }
    FormatC(m.textBuffer, sizeof m.textBuffer, "\r\n");
    WriteBuffer(file);
  }
}

}  // namespace tambra
