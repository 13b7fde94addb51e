#include "IDFormFixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "ModalDriver.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"
#include "store/EnsureIdStore.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"
#include "tables/TableFileName.h"

namespace orvel::testing {

IDFormFixture::IDFormFixture() : folders(StoreFoldersUnder(temp / "Kestrin")) {
  TTable groupTable;
  groupTable.DeclareField(kGroupNameField, kGroupNameWidth);
  groupTable.DeclareField(kIdListNameField, kIdListNameWidth);
  if (!EnsureIdStore(folders.topLevel, groupTable)) throw std::runtime_error("test store not usable");
}

IDFormFixture::~IDFormFixture() { delete form.data(); }

TIDForm& IDFormFixture::OpenForm(PortDeviceMap devices) {
  form = new TIDForm(folders, &startWindow, std::move(devices));
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

void IDFormFixture::ClickPage(QWidget* page) {
  QTabBar* tabs = form->PageControl1->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(form->PageControl1->indexOf(page)).center());
  QCoreApplication::processEvents();
}

namespace {

// The grid's cell editor when one is open, else the grid. The offscreen platform leaves
// the window inactive after a box has closed, which a desktop would not.
QWidget* GridKeyTarget(TIDForm& form) {
  QApplication::setActiveWindow(&form);
  QWidget* focus = QApplication::focusWidget();
  return form.IDGrid->isAncestorOf(focus) ? focus : form.IDGrid;
}

}  // namespace

void IDFormFixture::TypeIntoGrid(const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, GridKeyTarget(*form), Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

void IDFormFixture::PressInGrid(int key) { QTest::keyClick(GridKeyTarget(*form), static_cast<Qt::Key>(key)); }

std::filesystem::path IDFormFixture::IdListFile(const std::string& tableName) const {
  return folders.idLists / TableFileName(tableName);
}

}  // namespace orvel::testing
