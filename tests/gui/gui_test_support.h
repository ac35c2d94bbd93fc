// Helpers shared by the GUI tests: answering modal dialogs from inside
// their event loop, and sending mouse events with an exact button state.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace tambra::gui_test {

// Runs `answer` on the modal dialog of type T as soon as it is the active
// modal widget. If none shows up within a few seconds the modal widget
// that is there is closed, so that a failing test fails instead of hanging,
// and `*missed` is set.
template <typename T>
void WhenModal(std::function<void(T*)> answer, bool* missed = nullptr, int triesLeft = 300) {
  QTimer::singleShot(triesLeft == 300 ? 0 : 10, [answer = std::move(answer), missed, triesLeft] {
    if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      answer(dialog);
      return;
    }
    if (triesLeft > 0) {
      WhenModal<T>(answer, missed, triesLeft - 1);
      return;
    }
    if (missed != nullptr) *missed = true;
    if (QWidget* stray = QApplication::activeModalWidget()) stray->close();
  });
}

// A mouse event with the given button state, as the window system would
// deliver it (QTest does not let a move carry a chosen set of buttons).
inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons,
                    modifiers);
  QApplication::sendEvent(widget, &event);
}

}  // namespace tambra::gui_test
