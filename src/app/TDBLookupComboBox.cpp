#include "app/TDBLookupComboBox.h"

#include <utility>

#include "tables/TTable.h"

namespace orvel {

TDBLookupComboBox::TDBLookupComboBox(TDataSource& dataSource, std::string listField, QWidget* parent)
    : QComboBox(parent), dataSource_(dataSource), listField_(std::move(listField)) {
  subscription_ = dataSource_.Subscribe([this](TDataEvent event) {
    if (event == TDataEvent::ActiveChanged || event == TDataEvent::DataSetChanged) Rebuild();
  });
  connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!rebuilding_ && index >= 0) MoveToFirstRowNamed(itemText(index));
  });
  Rebuild();
}

void TDBLookupComboBox::hidePopup() {
  QComboBox::hidePopup();
  // The combo box applies a choice made in the drop-down only after hiding it, so the
  // close-up is told once that has happened.
  QMetaObject::invokeMethod(this, &TDBLookupComboBox::closedUp, Qt::QueuedConnection);
}

void TDBLookupComboBox::Rebuild() {
  const QString shown = currentText();
  rebuilding_ = true;
  clear();
  TTable* table = dataSource_.State() == TDataSetState::Inactive ? nullptr : dataSource_.DataSet();
  const TField* field = table ? table->FindField(listField_) : nullptr;
  if (field != nullptr) {
    for (int row = 0; row < table->RowCount(); ++row) {
      addItem(QString::fromLatin1(table->CellText(row, field->Index())));
    }
  }
  setCurrentIndex(shown.isEmpty() ? -1 : findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive));
  rebuilding_ = false;
  if (currentIndex() >= 0) MoveToFirstRowNamed(shown);
}

void TDBLookupComboBox::MoveToFirstRowNamed(const QString& name) {
  TTable* table = dataSource_.State() == TDataSetState::Inactive ? nullptr : dataSource_.DataSet();
  const TField* field = table ? table->FindField(listField_) : nullptr;
  if (field == nullptr) return;
  const std::string wanted = name.toLatin1().toStdString();
  for (int row = 0; row < table->RecordCount(); ++row) {
    if (table->CellText(row, field->Index()) == wanted) {
      table->SetRecNo(row + 1);
      return;
    }
  }
}

}  // namespace orvel
