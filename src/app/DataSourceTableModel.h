#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <string>

#include "tables/TDataSource.h"

namespace orvel {

// Shows the rows of the table behind a data source, one column per field, titled with
// the field name. It follows the table only through the data source's notifications,
// so it shows nothing while the data source is disabled or the table closed. Edits go
// straight into the table's current row.
class DataSourceTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit DataSourceTableModel(TDataSource& dataSource, QObject* parent = nullptr);

  TDataSource& DataSource() const { return dataSource_; }
  // The table while the data source shows it, else null.
  TTable* ShownTable() const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // Why a cell may not take a text, or empty when it may. Views ask it before text enters
  // a cell editor, and setData before a changed text is stored. By default only text the
  // 8-bit table cannot hold is refused.
  std::function<std::string(const QString& text)> textRefusal;

 signals:
  // setData refused a text, for this reason. It is told from inside a view's commit, so a
  // view shows it only once that commit is over: a box's event loop could close the very
  // editor the view is committing.
  void textRefused(const QString& reason);

  // The table's current row changed, or the rows were rebuilt: views re-read the cursor.
  void cursorChanged();

 private:
  void OnDataEvent(TDataEvent event);
  void Rebuild();

  TDataSource& dataSource_;
  TDataSubscription subscription_;
  int shownRows_ = 0;
};

}  // namespace orvel
