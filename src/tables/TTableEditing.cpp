#include "tables/TTable.h"

#include <algorithm>

#include "tables/FieldText.h"
#include "tables/storage/RowPlacement.h"
#include "tables/storage/TableFile.h"
#include "tables/storage/TableLocation.h"

namespace orvel {

std::string TTable::FieldValue(int field) const {
  CheckActive("read a field of");
  CheckField(field);
  if (state_ != TDataSetState::Browse) return pending_[field];
  return rows_.empty() ? std::string() : rows_[cursor_].values[field];
}

void TTable::SetFieldValue(int field, const std::string& text) {
  CheckField(field);
  const TField& target = *FieldObjects()[field];
  if (state_ != TDataSetState::Edit && state_ != TDataSetState::Insert) {
    throw Location().Failure("write field '" + target.FieldName() + "' of", "the table is not in edit or insert mode");
  }
  pending_[field] = FitToField(text, target.Size());
  modified_ = true;
  Notify(TDataEvent::RecordChanged);
}

void TTable::Edit() {
  CheckActive("edit");
  if (state_ != TDataSetState::Browse) return;
  if (rows_.empty()) {
    Insert();
    return;
  }
  pending_ = rows_[cursor_].values;
  modified_ = false;
  state_ = TDataSetState::Edit;
  Notify(TDataEvent::StateChanged);
}

void TTable::Append() {
  CheckActive("append to");
  SettlePendingRow();
  BeginInsert(RecordCount(), std::max(RecordCount() - 1, 0));
}

void TTable::Insert() {
  CheckActive("insert into");
  SettlePendingRow();
  BeginInsert(cursor_, cursor_);
}

void TTable::BeginInsert(int position, int cursorOnCancel) {
  cursor_ = position;
  cursorOnCancel_ = cursorOnCancel;
  pending_.assign(FieldObjects().size(), std::string());
  modified_ = false;
  state_ = TDataSetState::Insert;
  bof_ = eof_ = false;
  Notify(TDataEvent::DataSetChanged);
}

void TTable::Post() {
  CheckActive("post to");
  if (state_ == TDataSetState::Browse) return;
  if (state_ == TDataSetState::Insert) {
    PostInsert();
  } else if (modified_) {
    file_->UpdateRow(rows_[cursor_].rowid, pending_);
    rows_[cursor_].values = pending_;
  }
  state_ = TDataSetState::Browse;
  pending_.clear();
  modified_ = false;
  Notify(TDataEvent::StateChanged);
}

// The file is written first; the rows in memory follow only once it has the row.
void TTable::PostInsert() {
  const std::optional<RowPlacement> placement = PlaceRow(rows_, static_cast<std::size_t>(cursor_));
  if (!placement) throw Location().Failure("store a row in", "the table has no room for another row");
  file_->InsertRow(*placement, pending_);
  for (std::size_t i = 0; i < placement->shiftedDescending.size(); ++i) ++rows_[cursor_ + i].rowid;
  rows_.insert(rows_.begin() + cursor_, StoredRow{placement->rowid, pending_});
  bof_ = eof_ = false;
}

void TTable::Cancel() {
  CheckActive("cancel a change of");
  if (state_ == TDataSetState::Browse) return;
  const bool wasInserting = state_ == TDataSetState::Insert;
  state_ = TDataSetState::Browse;
  pending_.clear();
  modified_ = false;
  if (!wasInserting) {
    Notify(TDataEvent::StateChanged);
    return;
  }
  cursor_ = std::clamp(cursorOnCancel_, 0, std::max(RecordCount() - 1, 0));
  SettleFlagsAfterChange();
  Notify(TDataEvent::DataSetChanged);
}

void TTable::Delete() {
  CheckActive("delete a row of");
  if (state_ == TDataSetState::Insert) {
    Cancel();
    return;
  }
  if (rows_.empty()) throw Location().Failure("delete a row of", "the table is empty");
  file_->DeleteRow(rows_[cursor_].rowid);
  rows_.erase(rows_.begin() + cursor_);
  cursor_ = std::min(cursor_, std::max(RecordCount() - 1, 0));
  state_ = TDataSetState::Browse;
  pending_.clear();
  modified_ = false;
  SettleFlagsAfterChange();
  Notify(TDataEvent::DataSetChanged);
}

void TTable::SettlePendingRow() {
  if (state_ == TDataSetState::Browse) return;
  if (modified_) {
    Post();
  } else {
    Cancel();
  }
}

void TTable::SettleFlagsAfterChange() { bof_ = eof_ = rows_.empty(); }

}  // namespace orvel
