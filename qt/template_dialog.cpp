#include "qt/template_dialog.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace tambra {

namespace {

QString ControlName(int id) { return QStringLiteral("control-%1").arg(id); }

}  // namespace

TemplateDialog::TemplateDialog(DialogSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  const DialogTemplate& layout = FindDialogTemplate(session.Template());
  setObjectName(QString::fromUtf8(layout.name));
  setWindowTitle(QString::fromUtf8(layout.caption));
  setModal(true);

  // A dialog unit is a quarter of the average character width and an
  // eighth of the character height of the dialog's font. Qt's edits and
  // labels carry more padding than the controls the layouts were drawn
  // for; a little more room keeps four digits visible in the narrowest
  // cells and every label whole.
  constexpr double kRoomX = 1.2;
  constexpr double kRoomY = 1.1;
  const QFontMetricsF metrics(font());
  unitX_ = metrics.averageCharWidth() / 4.0 * kRoomX;
  unitY_ = metrics.height() / 8.0 * kRoomY;
  setFixedSize(static_cast<int>(std::lround(layout.width * unitX_)),
               static_cast<int>(std::lround(layout.height * unitY_)));

  QLabel* pendingLabel = nullptr;  // a label waiting for the edit it names
  for (const DialogControl& control : layout.controls) {
    QWidget* widget = nullptr;
    switch (control.kind) {
      case DialogControlKind::kLabel: {
        auto* label = new QLabel(QString::fromUtf8(control.text), this);
        label->setAlignment(
            (control.align == TextAlign::kCentre ? Qt::AlignHCenter : Qt::AlignLeft) |
            Qt::AlignVCenter);
        pendingLabel = label;
        widget = label;
        break;
      }
      case DialogControlKind::kEdit: {
        auto* edit = new QLineEdit(this);
        edits_[control.id] = edit;
        // A number wider than its cell can still be read in full.
        connect(edit, &QLineEdit::textChanged, edit, &QLineEdit::setToolTip);
        if (pendingLabel != nullptr) {
          pendingLabel->setBuddy(edit);
          edit->setAccessibleName(pendingLabel->text().trimmed());
        }
        widget = edit;
        break;
      }
      case DialogControlKind::kCheck: {
        auto* check = new QCheckBox(QString::fromUtf8(control.text), this);
        checks_[control.id] = check;
        widget = check;
        break;
      }
      case DialogControlKind::kButton: {
        auto* button = new QPushButton(QString::fromUtf8(control.text), this);
        // Enter presses OK, as in any dialog; the other buttons want a click.
        button->setAutoDefault(false);
        button->setDefault(control.id == kButtonOk);
        const int id = control.id;
        connect(button, &QPushButton::clicked, this, [this, id] {
          const int result = Press(id);
          if (result != kStayOpen) done(result);
        });
        widget = button;
        break;
      }
    }
    if (control.kind != DialogControlKind::kLabel) pendingLabel = nullptr;
    if (control.id != 0) widget->setObjectName(ControlName(control.id));
    widget->setGeometry(ToPixels(control));
  }
  LoadControls();
}

QRect TemplateDialog::ToPixels(const DialogControl& control) const {
  const auto px = [](double units, double scale) {
    return static_cast<int>(std::lround(units * scale));
  };
  const int left = px(control.x, unitX_);
  const int top = px(control.y, unitY_);
  // Edges rounded on their own, so neighbours that do not touch in dialog
  // units do not overlap in pixels.
  return QRect(left, top, px(control.x + control.w, unitX_) - left,
               px(control.y + control.h, unitY_) - top);
}

void TemplateDialog::reject() {
  const int result = Press(kButtonCancel);
  // A request to close always closes, also for a session without a Cancel.
  done(result == kStayOpen ? 0 : result);
}

int TemplateDialog::Press(int buttonId) {
  StoreControls();
  const int result = session_.Press(buttonId);
  // Reset and similar buttons change the texts while the dialog stays open.
  if (result == kStayOpen) LoadControls();
  return result;
}

void TemplateDialog::StoreControls() {
  for (const auto& [id, edit] : edits_) session_.SetText(id, edit->text().toStdString());
  for (const auto& [id, check] : checks_) session_.SetChecked(id, check->isChecked());
}

void TemplateDialog::LoadControls() {
  for (const auto& [id, edit] : edits_) {
    edit->setText(QString::fromStdString(session_.Text(id)));
    edit->setCursorPosition(0);  // narrow cells show the start of a number
  }
  for (const auto& [id, check] : checks_) check->setChecked(session_.Checked(id));
}

}  // namespace tambra
