#include "app/TDBGrid.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/DataSourceTableModel.h"
#include "app/MessageBoxes.h"
#include "tables/TTable.h"

namespace orvel {

// Draws a line under each row but none between columns, limits the cell editor to the
// field's width, and lets the grid see the editor's keys.
class GridDelegate : public QStyledItemDelegate {
 public:
  explicit GridDelegate(TDBGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      if (TTable* table = grid_.ShownTable()) line->setMaxLength(table->Fields(index.column()).Size());
      line->setFrame(false);
    }
    grid_.EditorOpened(editor);
    return editor;
  }

 protected:
  // A box that opens over the window (a refused character's message, say) takes the
  // focus from the whole window; the cell being typed stays open for when it comes back.
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason) {
      return false;
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  TDBGrid& grid_;
};

TDBGrid::TDBGrid(TDataSource& dataSource, QWidget* parent)
    : QTableView(parent), model_(new DataSourceTableModel(dataSource, this)) {
  setModel(model_);
  setItemDelegate(new GridDelegate(*this));
  setShowGrid(false);
  verticalHeader()->hide();
  // The columns share the width; the operator cannot drag them.
  horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setTabKeyNavigation(false);
  setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::DoubleClicked);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  connect(model_, &DataSourceTableModel::cursorChanged, this, &TDBGrid::FollowTableCursor);
}

TTable* TDBGrid::ShownTable() const { return model_->ShownTable(); }

const TField* TDBGrid::CurrentField() const {
  TTable* table = ShownTable();
  const int column = currentIndex().column();
  if (table == nullptr || column < 0 || column >= table->FieldCount()) return nullptr;
  return &table->Fields(column);
}

void TDBGrid::SelectField(const std::string& fieldName) {
  TTable* table = ShownTable();
  if (table == nullptr) return;
  if (const TField* field = table->FindField(fieldName)) {
    lastColumn_ = field->Index();
    FollowTableCursor();
  }
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (current.isValid()) lastColumn_ = current.column();
  TTable* table = ShownTable();
  if (followingTable_ || table == nullptr || !current.isValid() || current.row() + 1 == table->RecNo()) return;
  table->SetRecNo(current.row() + 1);
  FollowTableCursor();
}

void TDBGrid::FollowTableCursor() {
  TTable* table = ShownTable();
  if (table == nullptr || table->RecNo() == 0) return;
  const int column = std::clamp(lastColumn_, 0, std::max(model_->columnCount() - 1, 0));
  const QModelIndex wanted = model_->index(table->RecNo() - 1, column);
  if (wanted == currentIndex()) return;
  followingTable_ = true;
  setCurrentIndex(wanted);
  followingTable_ = false;
}

void TDBGrid::EditorOpened(QWidget* editor) {
  openEditor_ = editor;
  // Installed after the delegate's own filter, so it sees the editor's keys first.
  editor->installEventFilter(this);
}

void TDBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  if (editor == openEditor_) openEditor_ = nullptr;
  QTableView::closeEditor(editor, hint);
}

void TDBGrid::CommitOpenEditor() {
  if (QWidget* editor = openEditor_) {
    commitData(editor);
    CloseOpenEditorDiscarding();
  }
}

void TDBGrid::CloseOpenEditorDiscarding() {
  if (QWidget* editor = openEditor_) {
    // Closing moves the focus away from the editor; the delegate must not take that for
    // the operator leaving the cell and commit the closed editor a second time.
    editor->removeEventFilter(itemDelegate());
    closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
  }
}

bool TDBGrid::KeyDiscarded(const QString& text) {
  if (text.isEmpty() || !onKeyPress) return false;
  const char32_t character = text.toUcs4().value(0);
  if (character < 32 || character == 127) return false;
  int code = static_cast<int>(character);
  onKeyPress(code);
  return code == 0;
}

void TDBGrid::EnterPressed(bool editorWasOpen) {
  CommitOpenEditor();
  int code = '\r';
  if (onKeyPress) onKeyPress(code);
  if (!editorWasOpen && currentIndex().isValid()) edit(currentIndex());
}

bool TDBGrid::OnUntouchedNewRow() const {
  const TTable* table = ShownTable();
  return table != nullptr && table->State() == TDataSetState::Insert && !table->Modified();
}

void TDBGrid::CancelRowChange() {
  CloseOpenEditorDiscarding();
  TTable* table = ShownTable();
  if (table != nullptr && table->State() != TDataSetState::Browse) table->Cancel();
  FollowTableCursor();
}

void TDBGrid::AskAndDeleteRow() {
  TTable* table = ShownTable();
  if (table == nullptr || table->RowCount() == 0) return;
  CommitOpenEditor();
  if (AskConfirmation("Delete record?", ConfirmButtons::OkCancel) != BoxResult::Ok) return;
  table->Delete();
  FollowTableCursor();
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched != openEditor_ || event->type() != QEvent::KeyPress) return QTableView::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      EnterPressed(true);
      return true;
    case Qt::Key_Escape:
      CancelRowChange();
      return true;
    default:
      return KeyDiscarded(key->text());
  }
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
  TTable* table = ShownTable();
  const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
  if (table == nullptr) {
    QTableView::keyPressEvent(event);
    return;
  }
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    EnterPressed(false);
  } else if (plain && event->key() == Qt::Key_Escape) {
    CancelRowChange();
  } else if (plain && event->key() == Qt::Key_Insert) {
    CommitOpenEditor();
    table->Insert();
    FollowTableCursor();
  } else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
    AskAndDeleteRow();
  } else if (plain && event->key() == Qt::Key_Down && currentIndex().row() == table->RowCount() - 1) {
    CommitOpenEditor();
    if (!OnUntouchedNewRow()) table->Append();
    FollowTableCursor();
  } else if (!KeyDiscarded(event->text())) {
    QTableView::keyPressEvent(event);
  }
}

void TDBGrid::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  const QWidget* focus = QApplication::focusWidget();
  const bool focusStaysInGrid = focus != nullptr && isAncestorOf(focus);
  if (!focusStaysInGrid && OnUntouchedNewRow()) ShownTable()->Cancel();
}

}  // namespace orvel
