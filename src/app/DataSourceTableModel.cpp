#include "app/DataSourceTableModel.h"

#include "app/QtText.h"
#include "tables/TTable.h"

namespace orvel {

DataSourceTableModel::DataSourceTableModel(TDataSource& dataSource, QObject* parent)
    : QAbstractTableModel(parent), dataSource_(dataSource) {
  textRefusal = [](const QString& text) {
    const std::optional<UnfitCharacter> unfit = FirstUnfitCharacter(CodePoints(text));
    return unfit ? UnfitCharacterRefusal("The text", *unfit) : std::string();
  };
  subscription_ = dataSource_.Subscribe([this](TDataEvent event) { OnDataEvent(event); });
  shownRows_ = rowCount();
}

TTable* DataSourceTableModel::ShownTable() const {
  return dataSource_.State() == TDataSetState::Inactive ? nullptr : dataSource_.DataSet();
}

int DataSourceTableModel::rowCount(const QModelIndex& parent) const {
  const TTable* table = ShownTable();
  return parent.isValid() || table == nullptr ? 0 : table->RowCount();
}

int DataSourceTableModel::columnCount(const QModelIndex& parent) const {
  TTable* table = ShownTable();
  return parent.isValid() || table == nullptr ? 0 : table->FieldCount();
}

QVariant DataSourceTableModel::data(const QModelIndex& index, int role) const {
  const TTable* table = ShownTable();
  if (table == nullptr || !index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return QString::fromLatin1(table->CellText(index.row(), index.column()));
}

QVariant DataSourceTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  TTable* table = ShownTable();
  if (table == nullptr || orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromLatin1(table->Fields(section).FieldName());
}

Qt::ItemFlags DataSourceTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool DataSourceTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  TTable* table = ShownTable();
  if (table == nullptr || !index.isValid() || role != Qt::EditRole) return false;
  if (table->RecNo() != index.row() + 1) table->SetRecNo(index.row() + 1);
  const std::string text = value.toString().toLatin1().toStdString();
  const std::string refusal = textRefusal(value.toString());
  if (text == table->Fields(index.column()).AsString() && refusal.empty()) return true;
  if (!refusal.empty()) {
    emit textRefused(QString::fromLatin1(refusal));
    return false;
  }
  if (table->State() == TDataSetState::Browse) table->Edit();
  table->Fields(index.column()).SetAsString(text);
  return true;
}

void DataSourceTableModel::Rebuild() {
  beginResetModel();
  shownRows_ = rowCount();
  endResetModel();
  emit cursorChanged();
}

void DataSourceTableModel::OnDataEvent(TDataEvent event) {
  switch (event) {
    case TDataEvent::ActiveChanged:
    case TDataEvent::DataSetChanged:
      Rebuild();
      return;
    case TDataEvent::StateChanged:
    case TDataEvent::RecordChanged:
      if (rowCount() != shownRows_) {
        Rebuild();
      } else if (TTable* table = ShownTable(); table != nullptr && table->RecNo() > 0) {
        const int row = table->RecNo() - 1;
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
      }
      return;
    case TDataEvent::CursorMoved:
      emit cursorChanged();
      return;
  }
}

}  // namespace orvel
