#pragma once

#include <QPointer>
#include <QTableView>
#include <functional>

#include "app/DataSourceTableModel.h"
#include "tables/TDataSource.h"
#include "tables/TField.h"

namespace orvel {

// A grid bound to a table through its data source: one column per field, titled with
// the field name, edited in place, the grid's current row always the table's current
// row. Moving to another row stores the change of the row left behind, because moving
// the table's cursor does.
//
// Keys: Down on the last row appends a row, Insert starts one at the cursor, Ctrl+Delete
// deletes the current row after "Delete record?", Esc drops the current row's change,
// Enter stores the cell and then opens or closes the cell editor. A new row left
// untouched is dropped when the cursor leaves it or the grid loses the focus. Typing into
// a table without rows starts its first row.
//
// Text reaches a cell by typed keys, an input method's commit, a paste (keys, the
// editor's menu, the X11 selection) or a drop; all but typed keys are checked whole
// against the model's textRefusal before the editor takes them, and refused whole. An
// input method's commit is typed text: it also meets onKeyPress, character by character.
class TDBGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TDBGrid(TDataSource& dataSource, QWidget* parent = nullptr);

  DataSourceTableModel& Model() const { return *model_; }
  // The table while the grid shows one, else null.
  TTable* ShownTable() const;
  // The field of the current column, or null.
  const TField* CurrentField() const;
  // Makes the column of this field current, keeping the row.
  void SelectField(const std::string& fieldName);
  // Stores the open cell editor's text and the current row's change, as leaving the row
  // does; false, with the operator told why, when the row cannot take the text.
  bool StoreCurrentRow();

  // Told of every character typed into the grid or its cell editor, Enter included,
  // after Enter has stored the cell; the character's code, which the handler may set to
  // 0 to discard the key.
  std::function<void(int& code)> onKeyPress;
  // Asked to show the grid's own menu at this point of the screen (a right click or the
  // menu key outside a cell editor, which has its own menu).
  std::function<void(const QPoint& globalPosition)> onContextMenu;

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void changeEvent(QEvent* event) override;

 private:
  friend class GridDelegate;

  void FollowTableCursor();
  void FitRowsToFont();
  void EditorOpened(QWidget* editor);
  // Stores the open cell editor's text into the row and closes the editor; false, with
  // the editor left open, when the row cannot take the text.
  bool CommitOpenEditor();
  void CloseOpenEditorDiscarding();
  // Passes a typed character to onKeyPress; true when the key was discarded.
  bool KeyDiscarded(const QString& text);
  // Tells the operator why a cell cannot take this text; false when it can.
  bool TextRefused(const QString& text);
  bool TypedTextRefused(const QString& text);
  // Whether an event on the open editor would bring in text that is refused.
  bool EditorInputRefused(QEvent* event);
  // The editor's own menu, whose Paste gets the check that a pasted text gets.
  void ShowEditorMenu(const QPoint& globalPosition);
  // A table without rows has no cell to type into: typed text starts its first row.
  void StartFirstRowFor(const QString& text);
  void EnterPressed(bool editorWasOpen);
  void CancelRowChange();
  void AskAndDeleteRow();
  bool OnUntouchedNewRow() const;

  DataSourceTableModel* model_;
  QPointer<QWidget> openEditor_;
  bool followingTable_ = false;
  int lastColumn_ = 0;
};

}  // namespace orvel
