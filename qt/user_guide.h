// The user guide: the HTML page compiled into the program as a Qt resource,
// shown in a window of its own beside the main window.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace tambra {

// Where the guide lies among the program's resources.
inline constexpr char kUserGuideUrl[] = "qrc:/guide/user_guide.html";

class UserGuideDialog : public QDialog {
  Q_OBJECT

 public:
  explicit UserGuideDialog(QWidget* parent);

  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace tambra
