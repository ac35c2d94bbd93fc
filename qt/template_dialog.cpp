#include "qt/template_dialog.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <cmath>

namespace tambra {

namespace {

QString ControlName(int id) { return QStringLiteral("control-%1").arg(id); }

// The rows of one table of the session, read and written through the
// session's texts; only the rows in sight are ever asked for, so a net of
// ten thousand points opens as fast as a short curve.
class CellModel : public QAbstractTableModel {
 public:
  CellModel(DialogSession& session, int tableId, QObject* parent)
      : QAbstractTableModel(parent), session_(session), tableId_(tableId) {}

  const DialogTable* Table() const { return session_.FindTable(tableId_); }

  // The session changed its table (Reset, a new vector).
  void Reload() {
    beginResetModel();
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override {
    const DialogTable* table = Table();
    return parent.isValid() || table == nullptr ? 0 : table->Rows();
  }
  int columnCount(const QModelIndex& parent) const override {
    const DialogTable* table = Table();
    return parent.isValid() || table == nullptr ? 0 : static_cast<int>(table->headings.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    const DialogTable* table = Table();
    if (table == nullptr || !index.isValid()) return {};
    if (role == Qt::TextAlignmentRole)
      return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    if (index.column() == 0)
      return QString::fromStdString(table->rowLabels[static_cast<std::size_t>(index.row())]);
    return QString::fromStdString(session_.Text(table->CellId(index.row(), index.column() - 1)));
  }

  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    const DialogTable* table = Table();
    if (table == nullptr || role != Qt::EditRole || index.column() == 0) return false;
    session_.SetText(table->CellId(index.row(), index.column() - 1), value.toString().toStdString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (index.column() == 0) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    const DialogTable* table = Table();
    if (table == nullptr || orientation != Qt::Horizontal || role != Qt::DisplayRole ||
        section < 0 || section >= static_cast<int>(table->headings.size()))
      return {};
    return QString::fromStdString(table->headings[static_cast<std::size_t>(section)]);
  }

 private:
  DialogSession& session_;
  int tableId_;
};

}  // namespace

// A table whose open editor can be committed before a button reads the
// texts.
class CellTable : public QTableView {
 public:
  using QTableView::QTableView;

  void CommitEditor() {
    if (state() != EditingState) return;
    // The open editor is the viewport's child.
    for (QWidget* editor : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      commitData(editor);
      closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
  }
};

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
        const QString tip = QString::fromStdString(session_.Tip(control.id));
        const int id = control.id;
        connect(edit, &QLineEdit::editingFinished, this, [this, id, edit] {
          session_.SetText(id, edit->text().toStdString());
          if (session_.Edited(id)) ReloadTables();
        });
        if (tip.isEmpty()) {
          // A number wider than its field can still be read in full.
          connect(edit, &QLineEdit::textChanged, edit, &QLineEdit::setToolTip);
        } else {
          edit->setToolTip(tip);
        }
        if (pendingLabel != nullptr) {
          pendingLabel->setBuddy(edit);
          pendingLabel->setToolTip(tip);
          edit->setAccessibleName(pendingLabel->text().trimmed());
        }
        widget = edit;
        break;
      }
      case DialogControlKind::kTable: {
        auto* view = new CellTable(this);
        view->setModel(new CellModel(session_, control.id, view));
        view->verticalHeader()->hide();
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
        view->horizontalHeader()->setHighlightSections(false);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setWordWrap(false);
        view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed |
                              QAbstractItemView::SelectedClicked);
        tables_[control.id] = view;
        widget = view;
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

void TemplateDialog::SizeColumns(CellTable* view) {
  const auto* model = static_cast<const CellModel*>(view->model());
  const DialogTable* table = model->Table();
  if (table == nullptr) return;
  // Digits are the widest characters a number holds.
  const QFontMetrics cells(view->font());
  const QFontMetrics heads(view->horizontalHeader()->font());
  const int padding = 2 * cells.horizontalAdvance(QLatin1Char('0')) + 8;
  for (std::size_t k = 0; k < table->widths.size(); ++k) {
    const int text = cells.horizontalAdvance(QString(table->widths[k], QLatin1Char('0')));
    const int head = heads.horizontalAdvance(QString::fromStdString(table->headings[k]));
    view->setColumnWidth(static_cast<int>(k), std::max(text, head) + padding);
  }
}

int TemplateDialog::Press(int buttonId) {
  StoreControls();
  const int result = session_.Press(buttonId);
  // Reset and similar buttons change the texts while the dialog stays open.
  if (result == kStayOpen) LoadControls();
  return result;
}

void TemplateDialog::StoreControls() {
  // Table cells go to the session as they are edited; an edit still open
  // goes now.
  for (const auto& [id, view] : tables_) view->CommitEditor();
  for (const auto& [id, edit] : edits_) session_.SetText(id, edit->text().toStdString());
  for (const auto& [id, check] : checks_) session_.SetChecked(id, check->isChecked());
}

void TemplateDialog::LoadControls() {
  for (const auto& [id, edit] : edits_) {
    edit->setText(QString::fromStdString(session_.Text(id)));
    edit->setCursorPosition(0);  // narrow cells show the start of a number
  }
  for (const auto& [id, check] : checks_) check->setChecked(session_.Checked(id));
  ReloadTables();
}

void TemplateDialog::ReloadTables() {
  for (const auto& [id, view] : tables_) {
    static_cast<CellModel*>(view->model())->Reload();
    SizeColumns(view);
  }
}

}  // namespace tambra
