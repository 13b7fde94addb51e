#include "tables/TTable.h"

#include <algorithm>

#include "tables/storage/TableLocation.h"

namespace orvel {

int TTable::RecordCount() const {
  CheckActive("count the rows of");
  return static_cast<int>(rows_.size());
}

int TTable::RecNo() const {
  CheckActive("read the position in");
  return HasCurrentRow() ? cursor_ + 1 : 0;
}

int TTable::RowCount() const { return RecordCount() + (state_ == TDataSetState::Insert ? 1 : 0); }

std::string TTable::CellText(int row, int field) const {
  CheckActive("read");
  CheckField(field);
  if (row < 0 || row >= RowCount()) {
    throw Location().Failure("read row " + std::to_string(row + 1) + " of",
                             "it shows " + std::to_string(RowCount()) + " rows");
  }
  if (state_ != TDataSetState::Browse && row == cursor_) return pending_[field];
  const bool afterInsertedRow = state_ == TDataSetState::Insert && row > cursor_;
  return rows_[afterInsertedRow ? row - 1 : row].values[field];
}

bool TTable::HasCurrentRow() const { return state_ == TDataSetState::Insert || !rows_.empty(); }

void TTable::First() {
  CheckActive("move in");
  SettlePendingRow();
  const bool moved = cursor_ != 0;
  cursor_ = 0;
  bof_ = true;
  eof_ = rows_.empty();
  if (moved) Notify(TDataEvent::CursorMoved);
}

void TTable::Last() {
  CheckActive("move in");
  SettlePendingRow();
  const int last = std::max(RecordCount() - 1, 0);
  const bool moved = cursor_ != last;
  cursor_ = last;
  eof_ = true;
  bof_ = rows_.empty();
  if (moved) Notify(TDataEvent::CursorMoved);
}

void TTable::Next() { MoveBy(1); }

void TTable::Prior() { MoveBy(-1); }

int TTable::MoveBy(int distance) {
  CheckActive("move in");
  SettlePendingRow();
  const bool blocked = (distance > 0 && eof_) || (distance < 0 && bof_);
  if (distance == 0 || blocked || rows_.empty()) return 0;

  bof_ = eof_ = false;
  const long long wanted = static_cast<long long>(cursor_) + distance;
  const int target = static_cast<int>(std::clamp<long long>(wanted, 0, RecordCount() - 1));
  const int moved = target - cursor_;
  if (moved != distance) (distance > 0 ? eof_ : bof_) = true;
  cursor_ = target;
  if (moved != 0) Notify(TDataEvent::CursorMoved);
  return moved;
}

void TTable::SetRecNo(int recNo) {
  CheckActive("move in");
  SettlePendingRow();
  if (rows_.empty()) return;
  MoveBy(std::clamp(recNo, 1, RecordCount()) - RecNo());
}

}  // namespace orvel
