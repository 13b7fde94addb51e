#pragma once

#include <QComboBox>
#include <string>
#include <vector>

#include "tables/TDataSource.h"

namespace orvel {

// A drop-down list of one field of every row of a table, in table order. Each entry
// stands for its own row, so rows that hold the same name stay apart: choosing an entry,
// from the drop-down, with the arrow keys or by typing, makes its row the table's current
// row. The list is rebuilt whenever the table's rows change or the data source is
// switched off and on; it then keeps showing the row it showed, or else the first row
// holding the name it showed, and makes that row current again. While a row of the table
// is being edited or inserted the list waits for that change to be settled, so that it
// never moves the cursor off a row that is being written.
class TDBLookupComboBox : public QComboBox {
  Q_OBJECT
 public:
  TDBLookupComboBox(TDataSource& dataSource, std::string listField, QWidget* parent = nullptr);

  void hidePopup() override;

 signals:
  // The drop-down closed, with or without a choice. Hiding or disabling the list while
  // no drop-down is open is no close-up.
  void closedUp();

 private:
  void Rebuild();
  // The table when it is open, in view of the list and has the list field.
  TTable* ListedTable() const;
  // Makes the entry's row current and remembers that row.
  void ChooseRow(int index);
  // The entry that stands for the remembered row, or else for the first row with its
  // name in the list field's column; -1 when there is none.
  int RememberedEntry(const TTable& table, int column) const;

  TDataSource& dataSource_;
  std::string listField_;
  TDataSubscription subscription_;
  bool rebuilding_ = false;
  bool rebuildPending_ = false;
  // Every value of the row the list shows, empty when it shows none. Kept while the
  // table is closed, so that a close and reopen shows the same row again.
  std::vector<std::string> chosenRow_;
};

}  // namespace orvel
