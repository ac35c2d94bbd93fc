#include "qt/status_message.h"

#include <QFontMetrics>

namespace tambra {

StatusMessage::StatusMessage(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("status-message"));
  // The label takes the room it is given and never asks for more, so a long
  // text cannot push the permanent fields aside or run under them.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setMinimumWidth(0);
  setTextFormat(Qt::PlainText);
}

void StatusMessage::SetMessage(const QString& text) {
  message_ = text;
  Elide();
}

void StatusMessage::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void StatusMessage::Elide() {
  const QString shown = fontMetrics().elidedText(message_, Qt::ElideRight, contentsRect().width());
  setText(shown);
  setToolTip(shown == message_ ? QString() : message_);
}

}  // namespace tambra
