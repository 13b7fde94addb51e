#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tables/DataSetTypes.h"
#include "tables/TField.h"
#include "tables/TFieldDefs.h"
#include "tables/storage/StoredRow.h"

namespace orvel {

class TDataSource;
class TableFile;
struct TableLocation;

// A table of text fields, stored as one file in the folder DatabaseName, and a cursor on
// its rows. Rows have no key; they stay in the order in which they were stored.
//
// The cursor follows the usual data set rules: Next on the last row stays there and sets
// Eof, First clears it, Prior on the first row sets Bof. Moving the cursor while a row is
// being edited or inserted settles that row first: a changed row is posted, an unchanged
// one is cancelled. Every post and delete is on disk when the call returns. Closing drops
// a change that was not posted.
//
// Rows are numbered from 1 (RecNo) for the cursor and from 0 for CellText, in the order
// views show them: while a row is being inserted, it counts as a row at its position.
class TTable {
 public:
  TTable();
  ~TTable();
  TTable(const TTable&) = delete;
  TTable& operator=(const TTable&) = delete;

  // The folder and the table name can change only while the table is closed.
  const std::string& DatabaseName() const { return databaseName_; }
  void SetDatabaseName(std::string folder);
  const std::string& TableName() const { return tableName_; }
  void SetTableName(std::string name);

  // A field the table object expects in every table it opens; opening a table without it
  // fails. Declared fields are also the fields CreateTable uses when FieldDefs is empty.
  TField& DeclareField(const std::string& name, int size);

  // The fields CreateTable makes.
  TFieldDefs& FieldDefs() { return fieldDefs_; }
  // Makes a table holding the given rows, in order (each row's values in field order,
  // cut to their fields' widths), or an empty one. The whole table is written aside and
  // put in place in one step, so a crash leaves the old table or the new one, never a
  // part. An existing table of the same name is replaced when it holds no rows, and
  // otherwise only when existingRows says so; a file that cannot be read as a table
  // counts as holding rows. Only while closed.
  void CreateTable(ExistingRows existingRows = ExistingRows::Refuse,
                   const std::vector<std::vector<std::string>>& rows = {});
  // Removes the table's file. Only while closed.
  void DeleteTable();
  bool Exists() const;

  void Open();
  void Close();
  bool Active() const { return state_ != TDataSetState::Inactive; }
  void SetActive(bool active);
  TDataSetState State() const { return state_; }

  void First();
  void Last();
  void Next();
  void Prior();
  // Moves up to distance rows (backwards when negative); returns how many rows it moved.
  int MoveBy(int distance);
  // Moves to the row a view shows at this 1-based position.
  void SetRecNo(int recNo);
  // Both are set while the table is closed.
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  // Stored rows; a row being inserted is not yet one of them.
  int RecordCount() const;
  // The current row's position among the rows views show, from 1; 0 when there is none.
  int RecNo() const;

  // The rows as views show them, read without moving the cursor; the current row shows
  // its pending values while it is edited or inserted.
  int RowCount() const;
  std::string CellText(int row, int field) const;

  void Edit();
  // Starts a new empty row after the last one.
  void Append();
  // Starts a new empty row at the cursor; it is stored before the row that was current.
  void Insert();
  void Post();
  void Cancel();
  void Delete();
  // Whether a field of the pending row was written.
  bool Modified() const { return modified_; }

  int FieldCount() const { return static_cast<int>(FieldObjects().size()); }
  TField& Fields(int index);
  TField& FieldByName(const std::string& name);
  TField* FindField(const std::string& name);

  // Nesting: data sources hear nothing until the last EnableControls, which tells them to
  // refresh everything.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }

 private:
  friend class TField;
  friend class TDataSource;

  using FieldList = std::vector<std::unique_ptr<TField>>;
  const FieldList& FieldObjects() const { return declaredFields_.empty() ? openedFields_ : declaredFields_; }
  TableLocation Location() const;
  void CheckActive(std::string_view action) const;
  void CheckInactive(std::string_view action) const;
  void CheckField(int index) const;

  std::string FieldValue(int field) const;
  void SetFieldValue(int field, const std::string& text);
  bool HasCurrentRow() const;
  void SettlePendingRow();
  void BeginInsert(int position, int cursorOnCancel);
  void PostInsert();
  void SettleFlagsAfterChange();

  void AttachDataSource(TDataSource* dataSource);
  void DetachDataSource(TDataSource* dataSource);
  void Notify(TDataEvent event);

  std::string databaseName_;
  std::string tableName_;
  TFieldDefs declaredDefs_;
  FieldList declaredFields_;
  FieldList openedFields_;
  TFieldDefs fieldDefs_;

  std::unique_ptr<TableFile> file_;
  std::vector<StoredRow> rows_;
  TDataSetState state_ = TDataSetState::Inactive;
  int cursor_ = 0;  // index into rows_; while inserting, where the new row stands
  bool bof_ = true;
  bool eof_ = true;
  std::vector<std::string> pending_;
  bool modified_ = false;
  int cursorOnCancel_ = 0;

  int disableCount_ = 0;
  bool activeWhenDisabled_ = false;
  std::vector<TDataSource*> dataSources_;
};

}  // namespace orvel
