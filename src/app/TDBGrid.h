#pragma once

#include <QTableView>

#include "tables/TDataSource.h"
#include "tables/TField.h"

namespace orvel {

class DataSourceTableModel;

// A grid bound to a table through its data source: one column per field, titled with
// the field name, edited in place, the grid's current row always the table's current
// row. Moving to another row stores the change of the row left behind, because moving
// the table's cursor does.
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

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void FollowTableCursor();

  DataSourceTableModel* model_;
  bool followingTable_ = false;
  int lastColumn_ = 0;
};

}  // namespace orvel
