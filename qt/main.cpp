// Program entry: checks that there is a screen to show the window on,
// creates the main window, opens the model file named on the command line
// (`tambra FILE.cnt`) and runs the event loop until the window is destroyed.
#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
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

  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 2) {
    std::fputs("usage: tambra [FILE.cnt]\n", stderr);
    return 1;
  }

  tambra::MainWindow window;
  // The window opens at its natural size, or at most nine tenths of the
  // screen it opens on.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize room = screen->availableGeometry().size() * 9 / 10;
    window.resize(window.sizeHint().boundedTo(room));
  }
  window.show();
  if (arguments.size() == 2) {
    // Once the window shows: a file that does not open says why in a
    // message box, and the window keeps the empty model.
    const QString path = QFileInfo(arguments[1]).absoluteFilePath();
    QTimer::singleShot(0, &window, [&window, path] { window.OpenFile(path); });
  }
  return QApplication::exec();
}
