// The main window's client area: shows the core's raster at 1:1 and turns
// mouse, size and first-show events into window messages. It keeps no model
// state of its own.
#pragma once

#include <QImage>
#include <QWidget>

#include "base/raster.h"
#include "base/window_messages.h"

namespace tambra {

class CanvasWidget : public QWidget {
  Q_OBJECT

 public:
  explicit CanvasWidget(const Raster& raster, QWidget* parent = nullptr);

  QSize sizeHint() const override;

  // The raster as an image, sharing its pixels, at the screen's device
  // pixel ratio; valid until the raster is resized.
  QImage RasterImage() const;
  // The widget rectangle that shows a rectangle of raster pixels.
  QRect ToWidget(const QRect& raster) const;

  // The button and key flags of a mouse message for this Qt state.
  static std::uint32_t MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

 signals:
  // The widget took a new size; the raster must follow before the size
  // message goes out.
  void resized(int width, int height);
  // The widget became visible for the first time.
  void firstShown();
  // A mouse message ready for the window procedure.
  void mouseMessage(const tambra::Message& message);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void Forward(MessageKind kind, QMouseEvent* event);
  // A middle-button drag, or a left drag while Space is held, pans the view.
  bool Panning(QMouseEvent* event);

  const Raster& raster_;
  bool shown_ = false;
  bool spaceHeld_ = false;
  bool panning_ = false;
  QPoint panFrom_;
  double wheelAngle_ = 0.0;  // a fraction of a step left from smooth wheels
};

}  // namespace tambra
