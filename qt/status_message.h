// The message side of the status bar: what the last command did, or why it
// did nothing. A text longer than the room left beside the permanent fields
// ends in "..." and shows whole as the tool tip.
#pragma once

#include <QLabel>
#include <QString>

namespace tambra {

class StatusMessage : public QLabel {
  Q_OBJECT

 public:
  explicit StatusMessage(QWidget* parent = nullptr);

  void SetMessage(const QString& text);
  const QString& Message() const { return message_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();

  QString message_;
};

}  // namespace tambra
