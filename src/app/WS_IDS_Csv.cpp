// The ID grid's menu: the shown group's pairs imported from a CSV file or exported to one.
// The menu belongs to the grid, so it is off whenever the grid is (during a link session).
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <filesystem>

#include "app/MessageBoxes.h"
#include "app/TDBGrid.h"
#include "app/WS_IDS.h"
#include "store/IdListCsv.h"
#include "store/IdListRows.h"
#include "store/StoreSchema.h"
#include "tables/FieldText.h"

namespace orvel {
namespace {

std::filesystem::path LocalPath(const QString& file) { return QFile::encodeName(file).toStdString(); }

// A group name as a file name: separators would make it a path.
QString CsvFileNameFor(const std::string& groupName) {
  QString name = QString::fromLatin1(groupName);
  name.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char('\\'), QLatin1Char('-'));
  return (name.trimmed().isEmpty() ? QStringLiteral("IDs") : name) + QStringLiteral(".csv");
}

}  // namespace

void TIDForm::BuildGridMenu() {
  IDGridPopupMenu = new QMenu(this);
  IDGridPopupMenu->setObjectName("IDGridPopupMenu");
  ImportCsvItem = IDGridPopupMenu->addAction(QStringLiteral("Import from CSV\u2026"));
  ImportCsvItem->setObjectName("ImportCsvItem");
  ExportCsvItem = IDGridPopupMenu->addAction(QStringLiteral("Export to CSV\u2026"));
  ExportCsvItem->setObjectName("ExportCsvItem");
  for (auto [item, handler] : {std::pair{ImportCsvItem, &TIDForm::ImportCsvItemClick},
                               std::pair{ExportCsvItem, &TIDForm::ExportCsvItemClick}}) {
    connect(item, &QAction::triggered, this, [this, handler = handler] {
      HandlerScope scope(*this);
      (this->*handler)();
    });
  }
  IDGrid->onContextMenu = [this](const QPoint& globalPosition) { IDGridContextPopup(globalPosition); };
  chooseCsvFile = [this](CsvFileChoice choice, const QString& suggestedName) {
    return ChooseCsvFileWithDialog(choice, suggestedName);
  };
}

void TIDForm::IDGridContextPopup(const QPoint& globalPosition) { IDGridPopupMenu->popup(globalPosition); }

QString TIDForm::ChooseCsvFileWithDialog(CsvFileChoice choice, const QString& suggestedName) {
  const QString folder = csvFolder_.isEmpty() ? QDir::homePath() : csvFolder_;
  const QString filter = QStringLiteral("CSV files (*.csv);;All files (*)");
  const QString chosen = choice == CsvFileChoice::Import
                             ? QFileDialog::getOpenFileName(this, QStringLiteral("Import from CSV"), folder, filter)
                             : QFileDialog::getSaveFileName(this, QStringLiteral("Export to CSV"),
                                                            QDir(folder).filePath(suggestedName), filter);
  if (!chosen.isEmpty()) csvFolder_ = QFileInfo(chosen).absolutePath();
  return chosen;
}

std::string TIDForm::ShownGroupName() {
  const int nameColumn = IDGroupTable.FieldByName(kGroupNameField).Index();
  const int listColumn = IDGroupTable.FieldByName(kIdListNameField).Index();
  for (int row = 0; row < IDGroupTable.RecordCount(); ++row) {
    if (IDGroupTable.CellText(row, listColumn) == IDListTable.TableName()) {
      return IDGroupTable.CellText(row, nameColumn);
    }
  }
  return {};
}

// Replaces every pair of the shown group with the file's, or changes nothing: the file is
// read and checked whole before the operator is asked, and the group's table is replaced
// in one step.
void TIDForm::ImportCsvItemClick() {
  if (!IDListTable.Active()) {
    ShowInformation("Please select a group to import into");
    return;
  }
  const QString chosen = chooseCsvFile(CsvFileChoice::Import, QString());
  if (chosen.isEmpty()) return;
  IdPairs pairs;
  try {
    pairs = ReadIdListCsvFile(LocalPath(chosen));
  } catch (const ECsvRefused& refused) {
    ShowInformation(Utf8ToLatin1(refused.what()));
    return;
  }
  const std::string question = "Replace the IDs of the " + ShownGroupName() + " Group with those in " +
                               QDir::toNativeSeparators(chosen).toLatin1().toStdString() + "?";
  if (AskConfirmation(question, ConfirmButtons::YesNoCancel) != BoxResult::Yes) return;

  RewriteShownGroup([&](const std::string& tableName) {
    ReplaceIdListRows(folders_.idLists, tableName, {TrailerFieldName, VehicleFieldName}, pairs);
  });
}

void TIDForm::RewriteShownGroup(const std::function<void(const std::string& tableName)>& write) {
  const std::string tableName = IDListTable.TableName();
  IDListTable.Close();
  try {
    write(tableName);
  } catch (...) {
    // The old rows are still there, whole; the grid shows them again.
    IDListTable.Open();
    throw;
  }
  IDListTable.Open();
  IDListTable.First();
}

// Writes the shown group's rows as stored, after the row being edited has been stored as
// leaving it would; the save dialog has asked before a file is replaced.
void TIDForm::ExportCsvItemClick() {
  if (!IDListTable.Active()) {
    ShowInformation("Please select a group to export from");
    return;
  }
  const QString chosen = chooseCsvFile(CsvFileChoice::Export, CsvFileNameFor(ShownGroupName()));
  if (chosen.isEmpty() || !IDGrid->StoreCurrentRow()) return;
  const IdPairs pairs = ReadIdListRows(folders_.idLists, IDListTable.TableName(), {TrailerFieldName, VehicleFieldName});
  WriteIdListCsvFile(LocalPath(chosen), pairs, true);
}

}  // namespace orvel
