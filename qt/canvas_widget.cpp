#include "qt/canvas_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>
#include <QWheelEvent>
#include <cmath>

namespace tambra {

CanvasWidget::CanvasWidget(const Raster& raster, QWidget* parent)
    : QWidget(parent), raster_(raster) {
  // Moves without a button held drive the hover highlight.
  setMouseTracking(true);
  // Every pixel is painted from the raster; Qt need not erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::ArrowCursor);
}

QSize CanvasWidget::sizeHint() const { return QSize(800, 560); }

QImage CanvasWidget::RasterImage() const {
  if (raster_.width() <= 0 || raster_.height() <= 0) return QImage();
  return QImage(reinterpret_cast<const uchar*>(raster_.Data()), raster_.width(), raster_.height(),
                raster_.width() * 4, QImage::Format_RGB32);
}

std::uint32_t CanvasWidget::MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  std::uint32_t flags = 0;
  if (buttons & Qt::LeftButton) flags |= kLeftButtonFlag;
  if (buttons & Qt::RightButton) flags |= kRightButtonFlag;
  if (buttons & Qt::MiddleButton) flags |= kMiddleButtonFlag;
  if (modifiers & Qt::ShiftModifier) flags |= kShiftFlag;
  if (modifiers & Qt::ControlModifier) flags |= kControlFlag;
  return flags;
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect dirty = event->rect();
  const QImage image = RasterImage();
  // Outside the raster (only while a resize is on its way) the window's
  // background is white.
  painter.fillRect(dirty, Qt::white);
  if (!image.isNull()) {
    const QRect inside = dirty.intersected(image.rect());
    painter.drawImage(inside.topLeft(), image, inside);
  }
}

void CanvasWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit resized(event->size().width(), event->size().height());
}

void CanvasWidget::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shown_) {
    shown_ = true;
    emit firstShown();
  }
}

bool CanvasWidget::Panning(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (event->button() == Qt::MiddleButton ||
          (event->button() == Qt::LeftButton && spaceHeld_)) {
        panning_ = true;
        panFrom_ = at;
      }
      return panning_;
    case QEvent::MouseMove:
      if (!panning_) return false;
      if (at != panFrom_) emit mouseMessage(PanMessage(at.x() - panFrom_.x(), at.y() - panFrom_.y()));
      panFrom_ = at;
      return true;
    case QEvent::MouseButtonRelease:
      if (!panning_) return false;
      if (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton) panning_ = false;
      return true;
    default: return false;
  }
}

void CanvasWidget::wheelEvent(QWheelEvent* event) {
  wheelAngle_ += event->angleDelta().y() / 120.0;
  const int steps = static_cast<int>(wheelAngle_);
  wheelAngle_ -= steps;
  const QPoint at = event->position().toPoint();
  if (steps != 0 && (event->modifiers() & Qt::ControlModifier)) {
    emit mouseMessage(Message{MessageKind::kCombScale, static_cast<std::uint32_t>(steps), 0});
  } else if (steps != 0 && rect().contains(at)) {
    emit mouseMessage(WheelMessage(at.x(), at.y(), steps));
  }
  event->accept();
}

void CanvasWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) spaceHeld_ = true;
  QWidget::keyPressEvent(event);
}

void CanvasWidget::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) spaceHeld_ = false;
  QWidget::keyReleaseEvent(event);
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
  if (Panning(event)) return;
  if (event->button() == Qt::LeftButton) {
    Forward(MessageKind::kLeftDown, event);
  } else if (event->button() == Qt::RightButton) {
    Forward(MessageKind::kRightDown, event);
  }
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (Panning(event)) return;
  if (event->button() == Qt::LeftButton) {
    Forward(MessageKind::kLeftUp, event);
  } else if (event->button() == Qt::RightButton) {
    Forward(MessageKind::kRightUp, event);
  }
}

// The window has no double-click messages: the second press of a double
// click is an ordinary press.
void CanvasWidget::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
  if (Panning(event)) return;
  Forward(MessageKind::kMouseMove, event);
}

void CanvasWidget::Forward(MessageKind kind, QMouseEvent* event) {
  // The pixel under the cursor; with a fractional device scale the position
  // need not be whole.
  const int x = static_cast<int>(std::floor(event->position().x()));
  const int y = static_cast<int>(std::floor(event->position().y()));
  // Qt keeps sending to the widget that took the press while the button is
  // held, also outside it. The client area only hears about its own pixels:
  // coordinates outside would wrap around in the 16-bit packing and land a
  // point far away.
  if (!rect().contains(x, y)) return;
  emit mouseMessage(MouseMessage(kind, x, y, MouseFlags(event->buttons(), event->modifiers())));
}

}  // namespace tambra
