#include "base/output_log.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "base/atomic_file.h"
#include "base/c_locale.h"
#include "base/file_open.h"
#include "base/model_state.h"
#include "base/platform.h"
#include "resources/menu_table.h"

namespace tambra {

namespace {

// Writes `text` to `file`. A failed write to the log is remembered (the
// window reports it after the message) and the log takes no more lines.
void Write(const char* text, std::FILE* file) {
  ModelState& m = Model();
  if (file == nullptr) return;
  const bool log = file == m.logFile;
  if (log && m.logWriteError != 0) return;
  const std::size_t length = std::strlen(text);
  if (std::fwrite(text, 1, length, file) != length && log) m.logWriteError = errno != 0 ? errno : EIO;
}

void WriteBuffer(std::FILE* file) { Write(Model().textBuffer, file); }

}  // namespace

LogSuspension::LogSuspension() : wasActive_(Model().logActive == 1) { Model().logActive = 0; }

LogSuspension::~LogSuspension() {
  if (wasActive_) Model().logActive = 1;
}

void LogText(const char* text) { Write(text, Model().logFile); }

void LogPoint(float x, float y) {
  ModelState& m = Model();
  const double upward = static_cast<double>(kLogCanvasHeight) - static_cast<double>(y);
  FormatC(m.textBuffer, sizeof m.textBuffer, "%7.5f %7.5f\r\n", static_cast<double>(x), upward);
  WriteBuffer(m.logFile);
}

void LogPoint3(float x, float y, float z) {
  ModelState& m = Model();
  FormatC(m.textBuffer, sizeof m.textBuffer, "%7.5f %7.5f %7.5f\r\n", static_cast<double>(x),
          static_cast<double>(y), static_cast<double>(z));
  WriteBuffer(m.logFile);
}

void LogBreak(int longBreak) { LogText(longBreak != 0 ? "\r\n\r\n\r\n" : "\r\n"); }

void AppendMatrix(std::string& out, const float (*matrix)[100], int rows, int cols) {
  char field[64];  // "%10.7f" of the largest float takes 48 characters
  FormatC(field, sizeof field, "\r\n%d, %d, \r\n", rows, cols);
  out += field;
  for (int i = 0; i < rows && i < 100; ++i) {
    for (int j = 0; j < cols && j < 100; ++j) {
      FormatC(field, sizeof field, "%10.7f, ", static_cast<double>(matrix[i][j]));
      out += field;
    }
    out += "\r\n";
  }
}

bool ConfirmReplace(Platform& window, const char* fileName) {
  struct stat info;
  if (::stat(fileName, &info) != 0) return true;
  const std::string question =
      std::string(fileName) + "\r\nThis file already exists. \r\nReplace existing file?";
  return window.AskOkCancel(question.c_str(), kProgramName);
}

int OpenOutputLog(Platform& window) {
  ModelState& m = Model();
  if (m.logFile != nullptr) return 0;
  const std::string name = m.outputFileName;
  auto refuse = [&](const std::string& reason) {
    window.ReportError(("Cannot create \"" + name + "\": " + reason).c_str());
    return 0;
  };
  // A pipe, a device or a link that leads nowhere is refused before the
  // question: no answer would make it a log.
  std::string target;
  FileWriteFailure failure;
  if (!FindWriteTarget(name, target, failure)) return refuse(failure.reason);
  if (!ConfirmReplace(window, name.c_str())) return 0;
  std::string reason;
  std::FILE* file = OpenRegularFileToWrite(name, reason);
  if (file == nullptr) return refuse(reason);
  m.logFile = file;
  m.logActive = 1;
  m.logWriteError = 0;
  return 1;
}

bool CloseOutputLogOnWriteFailure(Platform& window) {
  ModelState& m = Model();
  if (m.logFile == nullptr) return false;
  if (m.logWriteError == 0 && std::fflush(m.logFile) != 0) m.logWriteError = errno != 0 ? errno : EIO;
  if (m.logWriteError == 0) return false;
  const std::string message = "Cannot write \"" + std::string(m.outputFileName) +
                              "\": " + std::strerror(m.logWriteError) +
                              ". The output log is closed.";
  CloseOutputLog();
  m.logWriteError = 0;
  window.ReportError(message.c_str());
  return true;
}

int CloseOutputLog() {
  ModelState& m = Model();
  if (m.logFile == nullptr) return 0;
  // A failed close may lose the last lines; there is no window to tell, and
  // the log is closed either way.
  std::fclose(m.logFile);
  m.logActive = 0;
  m.logFile = nullptr;
  return 1;
}

}  // namespace tambra
