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
  QImage image(reinterpret_cast<const uchar*>(raster_.Data()), raster_.width(), raster_.height(),
               raster_.width() * 4, QImage::Format_RGB32);
  image.setDevicePixelRatio(devicePixelRatioF());
  return image;
}

QRect CanvasWidget::ToWidget(const QRect& raster) const {
  const double r = devicePixelRatioF();
  const int left = static_cast<int>(std::floor(raster.left() / r));
  const int top = static_cast<int>(std::floor(raster.top() / r));
  const int right = static_cast<int>(std::ceil((raster.right() + 1) / r));
  const int bottom = static_cast<int>(std::ceil((raster.bottom() + 1) / r));
  return QRect(left, top, right - left, bottom - top);
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
    // The raster has the screen's own pixels: a widget rectangle covers
    // ratio times as many of them.
    const double r = devicePixelRatioF();
    const QRect inside = dirty.intersected(ToWidget(QRect(QPoint(0, 0), image.size())));
    const QRectF source(inside.x() * r, inside.y() * r, inside.width() * r, inside.height() * r);
    painter.drawImage(QRectF(inside), image, source.intersected(QRectF(image.rect())));
  }
}

void CanvasWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const double r = devicePixelRatioF();
  emit resized(static_cast<int>(std::lround(event->size().width() * r)),
               static_cast<int>(std::lround(event->size().height() * r)));
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
      if (at != panFrom_) {
        const double r = devicePixelRatioF();
        emit mouseMessage(PanMessage(static_cast<int>(std::lround((at.x() - panFrom_.x()) * r)),
                                     static_cast<int>(std::lround((at.y() - panFrom_.y()) * r))));
      }
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
    const double r = devicePixelRatioF();
    emit mouseMessage(WheelMessage(static_cast<int>(std::floor(event->position().x() * r)),
                                   static_cast<int>(std::floor(event->position().y() * r)), steps));
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
  const double r = devicePixelRatioF();
  const int x = static_cast<int>(std::floor(event->position().x() * r));
  const int y = static_cast<int>(std::floor(event->position().y() * r));
  // Qt keeps sending to the widget that took the press while the button is
  // held, also outside it. The client area only hears about its own pixels:
  // coordinates outside would wrap around in the 16-bit packing and land a
  // point far away.
  if (x < 0 || y < 0 || x >= raster_.width() || y >= raster_.height()) return;
  emit mouseMessage(MouseMessage(kind, x, y, MouseFlags(event->buttons(), event->modifiers())));
}

}  // namespace tambra
