// Line writers of the output log. Every line is formatted into the model's
// text buffer and written with its string length; line ends are CR LF. The
// writers do not test logActive: callers write only while it is 1.
#pragma once

#include <cstdio>
#include <string>

#include "base/c_locale.h"
#include "base/model_state.h"

namespace tambra {

// Keeps the log out of a drawing for the object's scope: a redraw that only
// repeats the picture, or a display that draws only the polygon.
class LogSuspension {
 public:
  LogSuspension();
  ~LogSuspension();
  LogSuspension(const LogSuspension&) = delete;
  LogSuspension& operator=(const LogSuspension&) = delete;

 private:
  bool wasActive_;
};

// Writes a line already formatted by the caller (a section header).
void LogText(const char* text);
// Formats a line into the text buffer in the C numeric locale and writes it.
template <typename... Values>
void LogFormat(const char* format, Values... values) {
  ModelState& m = Model();
  FormatC(m.textBuffer, sizeof m.textBuffer, format, values...);
  LogText(m.textBuffer);
}

// The height the log's y values are flipped against: the canvas's default
// height, whatever the window's size or zoom, so that a log does not depend
// on the window.
inline constexpr int kLogCanvasHeight = 600;

// "%7.5f %7.5f\r\n" with x and kLogCanvasHeight - y (y upward in the log).
void LogPoint(float x, float y);
// "%7.5f %7.5f %7.5f\r\n" with the values unchanged.
void LogPoint3(float x, float y, float z);
// Three CR LF pairs when `longBreak` is non-zero, one otherwise.
void LogBreak(int longBreak);
// The matrix dumps' format, appended to `out` in the C numeric locale:
// "\r\n%d, %d, \r\n" with rows and cols, then each row as "%10.7f, "
// fields and a line end. `matrix` has rows of 100 floats; rows and columns
// beyond 100 are not written.
void AppendMatrix(std::string& out, const float (*matrix)[100], int rows, int cols);

}  // namespace tambra

namespace tambra {

class Platform;

// Opens the log under outputFileName (asking before replacing a file);
// returns 1 when it is open, 0 otherwise. Does nothing and returns 0 while
// a log is open. A file that cannot be created is reported through
// window.ReportError; a name that is no regular file (a pipe, a device, a
// folder) or a link that leads nowhere is refused before the question, and
// opening never waits on the file.
int OpenOutputLog(Platform& window);
// Closes the log; returns 1 when one was open.
int CloseOutputLog();
// Hands the log's lines to the file and checks that every write since the
// last check reached it. On the first failure the log is closed and the
// user is told once, with the file's name and the reason; returns true then.
bool CloseOutputLogOnWriteFailure(Platform& window);

// True when no file of that name exists, or when the user answered OK to
// "<name>\r\nThis file already exists. \r\nReplace existing file?".
// Shared by the output log and the control file.
bool ConfirmReplace(Platform& window, const char* fileName);

}  // namespace tambra
