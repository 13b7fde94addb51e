#include "IDFormFixture.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include "ModalDriver.h"
#include "app/TDBLookupComboBox.h"
#include "store/EnsureIdStore.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"

namespace orvel::testing {

IDFormFixture::IDFormFixture() : folders(StoreFoldersUnder(temp / "Kestrin")) {
  TTable groupTable;
  groupTable.DeclareField(kGroupNameField, kGroupNameWidth);
  groupTable.DeclareField(kIdListNameField, kIdListNameWidth);
  if (!EnsureIdStore(folders.topLevel, groupTable)) throw std::runtime_error("test store not usable");
}

IDFormFixture::~IDFormFixture() { delete form.data(); }

TIDForm& IDFormFixture::OpenForm() {
  form = new TIDForm(folders, &startWindow);
  form->show();
  return *form;
}

std::vector<std::pair<std::string, std::string>> IDFormFixture::StoredGroups() const {
  TTable table;
  table.SetDatabaseName(folders.data.string());
  table.SetTableName(kGroupTableName);
  table.Open();
  std::vector<std::pair<std::string, std::string>> rows;
  for (int row = 0; row < table.RecordCount(); ++row) rows.emplace_back(table.CellText(row, 0), table.CellText(row, 1));
  return rows;
}

int IDFormFixture::StoredIdListRows(const std::string& tableName) const {
  TTable table;
  table.SetDatabaseName(folders.idLists.string());
  table.SetTableName(tableName);
  if (!table.Exists()) return -1;
  table.Open();
  return table.RecordCount();
}

void IDFormFixture::CreateGroupThroughWindow(const QString& name) {
  ModalDriver driver;
  driver.Then([name](QWidget* box) {
    PressKey(box, Qt::Key_Delete);
    TypeText(box->focusWidget(), name);
    PressKey(box, Qt::Key_Return);
  });
  QTest::mouseClick(form->NewGroupButton, Qt::LeftButton);
  ASSERT_EQ(driver.Answered(), 1);
}

void IDFormFixture::ChooseGroupByDropDown(int index) {
  TDBLookupComboBox* list = form->GroupNameComboBox;
  list->showPopup();
  list->view()->setCurrentIndex(list->model()->index(index, 0));
  QTest::keyClick(list->view(), Qt::Key_Return);
  QCoreApplication::processEvents();
}

}  // namespace orvel::testing
