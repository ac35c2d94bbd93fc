#include "qt/template_dialog.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>
#include <cmath>

namespace tambra {

namespace {

QString ControlName(int id) { return QStringLiteral("control-%1").arg(id); }

const QString kMarkedStyle = QStringLiteral("border: 2px solid red;");

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
    if (role == Qt::ToolTipRole) {
      const std::string mark = Mark(index);
      return mark.empty() ? QVariant() : QVariant(QString::fromStdString(mark));
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    if (index.column() == 0)
      return QString::fromStdString(table->rowLabels[static_cast<std::size_t>(index.row())]);
    return QString::fromStdString(session_.Text(table->CellId(index.row(), index.column() - 1)));
  }

  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    const int id = CellId(index);
    if (id == 0 || role != Qt::EditRole) return false;
    session_.SetText(id, value.toString().toStdString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
  }

  // The control id of a cell, 0 for the index column.
  int CellId(const QModelIndex& index) const {
    const DialogTable* table = Table();
    if (table == nullptr || !index.isValid() || index.column() == 0 ||
        index.row() >= table->Rows() || index.column() > table->CellColumns())
      return 0;
    return table->CellId(index.row(), index.column() - 1);
  }
  std::string Mark(const QModelIndex& index) const {
    const int id = CellId(index);
    return id == 0 ? std::string() : session_.Mark(id);
  }
  // The index of a cell id, invalid when the table does not show it.
  QModelIndex IndexOf(int id) const {
    const DialogTable* table = Table();
    if (table == nullptr || table->CellColumns() <= 0) return {};
    for (std::size_t k = 0; k < table->cellIds.size(); ++k) {
      if (table->cellIds[k] != id) continue;
      const int columns = table->CellColumns();
      return index(static_cast<int>(k) / columns, static_cast<int>(k) % columns + 1);
    }
    return {};
  }
  DialogSession& Session() const { return session_; }

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

// Outlines a marked cell in red, and marks the cell's editor as it is typed.
class MarkDelegate : public QStyledItemDelegate {
 public:
  MarkDelegate(CellModel* cells, QObject* parent) : QStyledItemDelegate(parent), cells_(cells) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (cells_->Mark(index).empty()) return;
    painter->save();
    painter->setPen(QPen(Qt::red, 2));
    painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
    painter->restore();
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto* edit = qobject_cast<QLineEdit*>(editor);
    const int id = cells_->CellId(index);
    if (edit == nullptr || id == 0) return editor;
    CellModel* cells = cells_;
    connect(edit, &QLineEdit::textEdited, edit, [cells, id, edit, index](const QString& text) {
      cells->Session().SetText(id, text.toStdString());
      const std::string mark = cells->Session().Mark(id);
      edit->setStyleSheet(mark.empty() ? QString() : kMarkedStyle);
      edit->setToolTip(QString::fromStdString(mark));
      emit cells->dataChanged(index, index, {Qt::DisplayRole});
    });
    return editor;
  }

 private:
  CellModel* cells_;
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
        // Marked as it is typed; the table follows a size when it is done.
        connect(edit, &QLineEdit::textEdited, this, [this, id](const QString& text) {
          session_.SetText(id, text.toStdString());
          ShowMarks();
        });
        connect(edit, &QLineEdit::editingFinished, this, [this, id, edit] {
          session_.SetText(id, edit->text().toStdString());
          if (session_.Edited(id)) ReloadTables();
          ShowMarks();
        });
        tips_[id] = tip;
        edit->setEnabled(session_.Enabled(id));
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
        auto* cells = new CellModel(session_, control.id, view);
        view->setModel(cells);
        view->setItemDelegate(new MarkDelegate(cells, view));
        // A typed cell can change other marks (a size, an order's range).
        connect(cells, &QAbstractItemModel::dataChanged, this, [this] { ShowMarks(); });
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
        check->setEnabled(session_.Enabled(control.id));
        const int id = control.id;
        connect(check, &QCheckBox::toggled, this, [this, id](bool checked) {
          session_.SetChecked(id, checked);
          ShowMarks();
        });
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
  if (result == kStayOpen && buttonId == kButtonOk) ShowObjection();
  return result;
}

void TemplateDialog::ShowMarks() {
  for (const auto& [id, edit] : edits_) {
    const std::string mark = session_.Mark(id);
    edit->setStyleSheet(mark.empty() ? QString() : kMarkedStyle);
    // A number wider than its field can still be read in full in its tip.
    const QString tip = !mark.empty()          ? QString::fromStdString(mark)
                        : tips_[id].isEmpty() ? edit->text()
                                               : tips_[id];
    edit->setToolTip(tip);
  }
  for (const auto& [id, check] : checks_) {
    const std::string mark = session_.Mark(id);
    check->setStyleSheet(mark.empty() ? QString() : kMarkedStyle);
    check->setToolTip(QString::fromStdString(mark));
  }
  for (const auto& [id, view] : tables_) view->viewport()->update();
}

void TemplateDialog::ShowObjection() {
  const int id = session_.ObjectionId();
  const QString reason = QString::fromStdString(session_.Objection());
  if (id == 0) return;
  QWidget* widget = nullptr;
  QRect where;
  if (const auto edit = edits_.find(id); edit != edits_.end()) {
    widget = edit->second;
    edit->second->selectAll();
  } else if (const auto check = checks_.find(id); check != checks_.end()) {
    widget = check->second;
  } else {
    for (const auto& [tableId, view] : tables_) {
      const QModelIndex index = static_cast<CellModel*>(view->model())->IndexOf(id);
      if (!index.isValid()) continue;
      view->setCurrentIndex(index);
      view->scrollTo(index);
      widget = view;
      where = view->visualRect(index).translated(view->viewport()->pos());
      break;
    }
  }
  // A cell the table no longer shows (below a smaller N): the reason shows at OK.
  if (widget == nullptr) widget = findChild<QPushButton*>(ControlName(kButtonOk));
  if (widget == nullptr) return;
  widget->setFocus(Qt::OtherFocusReason);
  if (where.isNull()) where = widget->rect();
  QToolTip::showText(widget->mapToGlobal(where.bottomLeft()), reason, widget);
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
  for (const auto& [id, check] : checks_) {
    const QSignalBlocker quiet(check);  // the session holds this state already
    check->setChecked(session_.Checked(id));
  }
  ReloadTables();
  ShowMarks();
}

void TemplateDialog::ReloadTables() {
  for (const auto& [id, view] : tables_) {
    static_cast<CellModel*>(view->model())->Reload();
    SizeColumns(view);
  }
}

}  // namespace tambra
