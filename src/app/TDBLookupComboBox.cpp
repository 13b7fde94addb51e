#include "app/TDBLookupComboBox.h"

#include <QAbstractItemView>
#include <utility>

#include "tables/TTable.h"

namespace orvel {
namespace {

std::vector<std::string> RowValues(const TTable& table, int row) {
  std::vector<std::string> values;
  for (int field = 0; field < table.FieldCount(); ++field) values.push_back(table.CellText(row, field));
  return values;
}

}  // namespace

TDBLookupComboBox::TDBLookupComboBox(TDataSource& dataSource, std::string listField, QWidget* parent)
    : QComboBox(parent), dataSource_(dataSource), listField_(std::move(listField)) {
  subscription_ = dataSource_.Subscribe([this](TDataEvent event) {
    if (event == TDataEvent::ActiveChanged || event == TDataEvent::DataSetChanged ||
        (event == TDataEvent::StateChanged && rebuildPending_)) {
      Rebuild();
    }
  });
  connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!rebuilding_ && index >= 0) ChooseRow(index);
  });
  Rebuild();
}

void TDBLookupComboBox::hidePopup() {
  const bool droppedDown = view()->isVisible();
  QComboBox::hidePopup();
  // The combo box applies a choice made in the drop-down only after hiding it, so the
  // close-up is told once that has happened.
  if (droppedDown) QMetaObject::invokeMethod(this, &TDBLookupComboBox::closedUp, Qt::QueuedConnection);
}

TTable* TDBLookupComboBox::ListedTable() const {
  TTable* table = dataSource_.State() == TDataSetState::Inactive ? nullptr : dataSource_.DataSet();
  return table != nullptr && table->FindField(listField_) != nullptr ? table : nullptr;
}

void TDBLookupComboBox::Rebuild() {
  TTable* table = ListedTable();
  rebuildPending_ = table != nullptr && table->State() != TDataSetState::Browse;
  if (rebuildPending_) return;
  rebuilding_ = true;
  clear();
  if (table != nullptr) {
    const int column = table->FindField(listField_)->Index();
    for (int row = 0; row < table->RecordCount(); ++row) {
      addItem(QString::fromLatin1(table->CellText(row, column)));
    }
  }
  const int entry = table != nullptr ? RememberedEntry(*table, table->FindField(listField_)->Index()) : -1;
  setCurrentIndex(entry);
  rebuilding_ = false;
  if (entry >= 0) {
    ChooseRow(entry);
  } else if (table != nullptr) {
    chosenRow_.clear();
  }
}

int TDBLookupComboBox::RememberedEntry(const TTable& table, int column) const {
  if (chosenRow_.empty()) return -1;
  for (int row = 0; row < table.RecordCount(); ++row) {
    if (RowValues(table, row) == chosenRow_) return row;
  }
  const std::string& name = chosenRow_[static_cast<std::size_t>(column)];
  for (int row = 0; row < table.RecordCount(); ++row) {
    if (table.CellText(row, column) == name) return row;
  }
  return -1;
}

void TDBLookupComboBox::ChooseRow(int index) {
  TTable* table = ListedTable();
  if (table == nullptr || index >= table->RecordCount()) return;
  table->SetRecNo(index + 1);
  chosenRow_ = RowValues(*table, index);
}

}  // namespace orvel
