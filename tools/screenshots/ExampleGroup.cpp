#include "screenshots/ExampleGroup.h"

#include <QDateTime>
#include <QLocale>

#include "app/RegionalStamp.h"
#include "demo/ExampleTester.h"
#include "store/GroupManagement.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"

namespace orvel::screenshots {

void AddExampleGroup(const StoreFolders& folders, const std::string& groupName) {
  TTable groups;
  groups.SetDatabaseName(folders.data.string());
  groups.SetTableName(kGroupTableName);
  groups.DeclareField(kGroupNameField, kGroupNameWidth);
  groups.DeclareField(kIdListNameField, kIdListNameWidth);
  groups.Open();

  const QDateTime now = QDateTime::currentDateTime();
  const CreationStampClock clock = [&now](int secondsLater) {
    return RegionalCreationStamp(now.addSecs(secondsLater), QLocale::system());
  };
  TTable idList;
  AddGroup(groups, idList, folders.idLists, groupName, clock, {kTrailerIdField, kVehicleIdField});

  idList.Open();
  idList.First();
  for (const demo::ExamplePair& pair : demo::ExamplePairs()) {
    idList.Edit();
    idList.FieldByName(kTrailerIdField).SetAsString(pair.trailerId);
    idList.FieldByName(kVehicleIdField).SetAsString(pair.vehicleId);
    idList.Post();
    idList.Next();
  }
}

}  // namespace orvel::screenshots
