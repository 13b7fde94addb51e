// The Group Name page's handlers: choosing, creating and deleting groups.
#include <QDateTime>
#include <QLocale>

#include "app/InputBox.h"
#include "app/MessageBoxes.h"
#include "app/RegionalStamp.h"
#include "app/TDBLookupComboBox.h"
#include "app/WS_IDS.h"
#include "store/GroupManagement.h"
#include "store/StoreSchema.h"

namespace orvel {

void TIDForm::GroupNameComboBoxCloseUp() {
  if (GroupNameComboBox->currentText().isEmpty()) return;
  IDListTable.Close();
  IDListTable.SetTableName(IDGroupTable.FieldByName(kIdListNameField).AsString());
  if (!IDListTable.TableName().empty()) {
    IDListTable.Open();
    IDListTable.First();
  }
}

void TIDForm::NewGroupButtonClick() {
  const std::string answer = PromptForText("Identities - New Group", "Please Enter a new group name", "New");
  if (answer == "New") return;
  if (answer.size() > static_cast<std::size_t>(kGroupNameWidth)) {
    ShowInformation(answer + " is more than 30 characters please reduce it");
    return;
  }
  const QDateTime now = QDateTime::currentDateTime();
  const CreationStampClock clock = [&now](int secondsLater) {
    return RegionalCreationStamp(now.addSecs(secondsLater), QLocale::system());
  };
  AddGroup(IDGroupTable, IDListTable, folders_.idLists, answer, clock, {TrailerFieldName, VehicleFieldName});
  DataSource1.SetEnabled(false);
  DataSource1.SetEnabled(true);
}

void TIDForm::DeleteGroupButtonClick() {
  const std::string question = "Delete the " + GroupNameComboBox->currentText().toLatin1().toStdString() + " Group?";
  if (AskConfirmation(question, ConfirmButtons::YesNoCancel) != BoxResult::Yes) return;
  if (!IDListTable.Active()) {
    ShowInformation("Please select a group to delete");
    return;
  }
  IDListTable.Close();
  DeleteCurrentGroup(IDGroupTable, folders_.idLists);
  IDGroupTable.Close();
  IDGroupTable.Open();
}

}  // namespace orvel
