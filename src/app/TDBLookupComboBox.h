#pragma once

#include <QComboBox>
#include <string>

#include "tables/TDataSource.h"

namespace orvel {

// A drop-down list of one field of every row of a table, in table order. Choosing a
// name, from the drop-down, with the arrow keys or by typing, makes the first row with
// that name the table's current row. The list is rebuilt whenever the table's rows change
// or the data source is switched off and on; it then keeps showing the name it showed,
// if a row still has it, and moves the current row back to that row.
class TDBLookupComboBox : public QComboBox {
  Q_OBJECT
 public:
  TDBLookupComboBox(TDataSource& dataSource, std::string listField, QWidget* parent = nullptr);

  void hidePopup() override;

 signals:
  // The drop-down closed, with or without a choice.
  void closedUp();

 private:
  void Rebuild();
  void MoveToFirstRowNamed(const QString& name);

  TDataSource& dataSource_;
  std::string listField_;
  TDataSubscription subscription_;
  bool rebuilding_ = false;
};

}  // namespace orvel
