// The Group Name page's handlers: choosing, creating and deleting groups.
#include <QDateTime>
#include <QLocale>

#include "app/InputBox.h"
#include "app/MessageBoxes.h"
#include "app/RegionalStamp.h"
#include "app/TDBLookupComboBox.h"
#include "app/QtText.h"
#include "app/WS_IDS.h"
#include "store/GroupManagement.h"
#include "store/StoreSchema.h"

namespace orvel {

void TIDForm::GroupNameComboBoxCloseUp() {
  // An entry is chosen by its place in the list, not by its text: a group may be named
  // with the empty text and must still be reachable.
  if (GroupNameComboBox->currentIndex() < 0) return;
  IDListTable.Close();
  // The group counts as chosen even when its table cannot be opened, so that a group
  // whose table is missing or damaged can still be deleted.
  groupSwitchedIn_ = true;
  IDListTable.SetTableName(IDGroupTable.FieldByName(kIdListNameField).AsString());
  if (!IDListTable.TableName().empty()) {
    IDListTable.Open();
    IDListTable.First();
  }
}

void TIDForm::NewGroupButtonClick() {
  const QString typed = PromptForText("Identities - New Group", "Please Enter a new group name", "New");
  if (typed == QStringLiteral("New")) return;
  if (const std::optional<UnfitCharacter> unfit = FirstUnfitCharacter(CodePoints(typed))) {
    ShowInformation(UnfitCharacterRefusal("The group name", *unfit));
    return;
  }
  const std::string answer = typed.toLatin1().toStdString();
  if (answer.size() > static_cast<std::size_t>(kGroupNameWidth)) {
    ShowInformation(answer + " is more than 30 characters please reduce it");
    return;
  }
  const QDateTime now = QDateTime::currentDateTime();
  const CreationStampClock clock = [&now](int secondsLater) {
    return RegionalCreationStamp(now.addSecs(secondsLater), QLocale::system());
  };
  groupSwitchedIn_ = false;
  AddGroup(IDGroupTable, IDListTable, folders_.idLists, answer, clock, {TrailerFieldName, VehicleFieldName});
  DataSource1.SetEnabled(false);
  DataSource1.SetEnabled(true);
}

// Deletes the group the list shows, which the confirmation names, together with the
// table its own row names; the grid's table is closed whichever group it showed.
void TIDForm::DeleteGroupButtonClick() {
  const std::string question = "Delete the " + GroupNameComboBox->currentText().toLatin1().toStdString() + " Group?";
  if (AskConfirmation(question, ConfirmButtons::YesNoCancel) != BoxResult::Yes) return;
  if (!groupSwitchedIn_ || GroupNameComboBox->currentIndex() < 0) {
    ShowInformation("Please select a group to delete");
    return;
  }
  IDListTable.Close();
  groupSwitchedIn_ = false;
  DeleteCurrentGroup(IDGroupTable, folders_.idLists);
  IDGroupTable.Close();
  IDGroupTable.Open();
}

}  // namespace orvel
