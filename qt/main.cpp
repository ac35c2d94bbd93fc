// Program entry: checks that there is a screen to show the window on,
// creates the main window and runs the event loop until the window is
// destroyed.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "qt/main_window.h"

namespace {

bool HasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

}  // namespace

int main(int argc, char* argv[]) {
  // Without a display Qt would abort with a page of platform-plugin
  // messages; one line says what to do.
  if (!HasEnvironment("QT_QPA_PLATFORM") && !HasEnvironment("DISPLAY") &&
      !HasEnvironment("WAYLAND_DISPLAY")) {
    std::fputs(
        "tambra: no display found; set DISPLAY, or QT_QPA_PLATFORM=offscreen to run without a "
        "screen\n",
        stderr);
    return 1;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TAMBRA"));
  // Qt sets the user's locale; numbers in files always use a decimal point.
  std::setlocale(LC_NUMERIC, "C");

  tambra::MainWindow window;
  window.show();
  return QApplication::exec();
}
