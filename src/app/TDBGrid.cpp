#include "app/TDBGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <exception>

#include "app/DataSourceTableModel.h"
#include "app/ErrorReport.h"
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
  bool eventFilter(QObject* object, QEvent* event) override {
    // A box that opens over the window (a refused character's message, say) takes the
    // focus from the whole window; the cell being typed stays open for when it comes back.
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason) {
      return false;
    }
    // Enter is the grid's alone. The delegate would queue a commit and close of its own,
    // which a box opened by the grid's commit runs in its event loop: the editor is then
    // freed under the grid's commit.
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) return false;
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
  FitRowsToFont();
  connect(model_, &DataSourceTableModel::cursorChanged, this, &TDBGrid::FollowTableCursor);
  connect(
      model_, &DataSourceTableModel::textRefused, this,
      [](const QString& reason) { ShowInformation(reason.toLatin1().toStdString()); }, Qt::QueuedConnection);
}

TTable* TDBGrid::ShownTable() const { return model_->ShownTable(); }

void TDBGrid::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  // The grid's own font is set once the grid is made; the rows follow it, not the
  // platform's default font.
  if (event->type() == QEvent::FontChange) FitRowsToFont();
}

void TDBGrid::FitRowsToFont() {
  const int rowHeight = fontMetrics().height() + 4;
  // The Windows style makes rows no lower than its own header text needs, which is
  // taller than the grid's font.
  verticalHeader()->setMinimumSectionSize(rowHeight);
  verticalHeader()->setDefaultSectionSize(rowHeight);
}

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

bool TDBGrid::StoreCurrentRow() {
  if (!CommitOpenEditor()) return false;
  TTable* table = ShownTable();
  if (table == nullptr || table->State() == TDataSetState::Browse) return true;
  if (table->Modified()) {
    table->Post();
  } else {
    table->Cancel();
  }
  FollowTableCursor();
  return true;
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (current.isValid()) lastColumn_ = current.column();
  TTable* table = ShownTable();
  if (followingTable_ || table == nullptr || !current.isValid() || current.row() + 1 == table->RecNo()) return;
  try {
    table->SetRecNo(current.row() + 1);
  } catch (...) {
    // The row left behind could not be stored: the cursor stays on it, with its text, so
    // that the operator sees which row the error is about and can try again or drop it.
    // The error is reported once the view's own change of the current cell is over: an
    // exception thrown through it would leave the view half-updated.
    FollowTableCursor();
    const std::exception_ptr failure = std::current_exception();
    QMetaObject::invokeMethod(
        this, [failure] { RunReportingErrors([&] { std::rethrow_exception(failure); }); }, Qt::QueuedConnection);
  }
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
  // The view installs the delegate's filter after this one, so the delegate sees the
  // editor's events first.
  editor->installEventFilter(this);
}

void TDBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  if (editor == openEditor_) openEditor_ = nullptr;
  QTableView::closeEditor(editor, hint);
}

bool TDBGrid::CommitOpenEditor() {
  QWidget* editor = openEditor_;
  if (editor == nullptr) return true;
  // Refused here, before the commit, because a box must not open inside it: the box's
  // event loop may close and free the editor that the commit still works on.
  if (auto* line = qobject_cast<QLineEdit*>(editor);
      line != nullptr && line->isModified() && TextRefused(line->text())) {
    return false;
  }
  commitData(editor);
  CloseOpenEditorDiscarding();
  return true;
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

bool TDBGrid::TextRefused(const QString& text) {
  const std::string refusal = model_->textRefusal(text);
  if (refusal.empty()) return false;
  ShowInformation(refusal);
  return true;
}

// An input method's commit is typed, a key or a composed character at a time: it meets
// the key rule as well as the model's.
bool TDBGrid::TypedTextRefused(const QString& text) {
  if (TextRefused(text)) return true;
  const QList<uint> characters = text.toUcs4();
  return std::any_of(characters.begin(), characters.end(),
                     [this](uint code) {
                       const auto character = static_cast<char32_t>(code);
                       return KeyDiscarded(QString::fromUcs4(&character, 1));
                     });
}

bool TDBGrid::EditorInputRefused(QEvent* event) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  switch (event->type()) {
    case QEvent::KeyPress:
      return static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste) && TextRefused(clipboard->text());
    case QEvent::InputMethod:
      if (!TypedTextRefused(static_cast<QInputMethodEvent*>(event)->commitString())) return false;
      // The refused commit replaces the composition, so none of it may stay on show.
      if (openEditor_ != nullptr) {
        QInputMethodEvent clearing;
        QCoreApplication::sendEvent(openEditor_, &clearing);
      }
      return true;
    case QEvent::Drop:
      return TextRefused(static_cast<QDropEvent*>(event)->mimeData()->text());
    case QEvent::MouseButtonRelease:
      return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton && clipboard->supportsSelection() &&
             TextRefused(clipboard->text(QClipboard::Selection));
    default:
      return false;
  }
}

void TDBGrid::ShowEditorMenu(const QPoint& globalPosition) {
  auto* line = qobject_cast<QLineEdit*>(openEditor_.data());
  if (line == nullptr) return;
  QMenu* menu = line->createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (QAction* action : menu->actions()) {
    // The menu's Paste is the action wired to the editor's paste, by name in some versions
    // of the toolkit and by member in others.
    const bool isPaste = disconnect(action, SIGNAL(triggered()), line, SLOT(paste())) ||
                         disconnect(action, &QAction::triggered, line, &QLineEdit::paste);
    if (!isPaste) continue;
    connect(action, &QAction::triggered, line, [this, line] {
      if (!TextRefused(QGuiApplication::clipboard()->text())) line->paste();
    });
  }
  menu->popup(globalPosition);
}

void TDBGrid::StartFirstRowFor(const QString& text) {
  TTable* table = ShownTable();
  if (table == nullptr || table->RowCount() > 0 || text.isEmpty() || text.front() < QChar(' ')) return;
  table->Append();
  FollowTableCursor();
}

void TDBGrid::EnterPressed(bool editorWasOpen) {
  if (!CommitOpenEditor()) return;
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
  if (table == nullptr || table->RowCount() == 0 || !CommitOpenEditor()) return;
  if (AskConfirmation("Delete record?", ConfirmButtons::OkCancel) != BoxResult::Ok) return;
  table->Delete();
  FollowTableCursor();
}

bool TDBGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched != openEditor_) return QTableView::eventFilter(watched, event);
  if (event->type() == QEvent::ContextMenu) {
    ShowEditorMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  if (EditorInputRefused(event)) return true;
  if (event->type() != QEvent::KeyPress) return QTableView::eventFilter(watched, event);
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
    if (!CommitOpenEditor()) return;
    table->Insert();
    FollowTableCursor();
  } else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
    AskAndDeleteRow();
  } else if (plain && event->key() == Qt::Key_Down && currentIndex().row() == table->RowCount() - 1) {
    if (!CommitOpenEditor()) return;
    if (!OnUntouchedNewRow()) table->Append();
    FollowTableCursor();
  } else if (!KeyDiscarded(event->text())) {
    StartFirstRowFor(event->text());
    QTableView::keyPressEvent(event);
  }
}

void TDBGrid::contextMenuEvent(QContextMenuEvent* event) {
  if (!onContextMenu) {
    QTableView::contextMenuEvent(event);
    return;
  }
  onContextMenu(event->globalPos());
  event->accept();
}

void TDBGrid::inputMethodEvent(QInputMethodEvent* event) {
  if (TypedTextRefused(event->commitString())) return;
  StartFirstRowFor(event->commitString());
  // The view opens the cell for a commit as for a typed key, but drops the commit; the
  // editor is given it here, as it is given the key.
  if (openEditor_ == nullptr && !event->commitString().isEmpty() && currentIndex().isValid()) {
    edit(currentIndex());
    if (openEditor_ != nullptr) {
      QCoreApplication::sendEvent(openEditor_, event);
      return;
    }
  }
  QTableView::inputMethodEvent(event);
}

void TDBGrid::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  const QWidget* focus = QApplication::focusWidget();
  const bool focusStaysInGrid = focus != nullptr && isAncestorOf(focus);
  if (!focusStaysInGrid && OnUntouchedNewRow()) ShownTable()->Cancel();
}

}  // namespace orvel
