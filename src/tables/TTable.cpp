#include "tables/TTable.h"

#include <algorithm>
#include <utility>

#include "tables/EDatabaseError.h"
#include "tables/TDataSource.h"
#include "tables/storage/FileSystem.h"
#include "tables/storage/TableFile.h"
#include "tables/storage/TableLocation.h"

namespace orvel {

TTable::TTable() = default;

TTable::~TTable() {
  const std::vector<TDataSource*> sources = std::exchange(dataSources_, {});
  for (TDataSource* source : sources) source->DataSetDestroyed();
}

void TTable::SetDatabaseName(std::string folder) {
  CheckInactive("change the folder of");
  databaseName_ = std::move(folder);
}

void TTable::SetTableName(std::string name) {
  CheckInactive("change the name of");
  tableName_ = std::move(name);
}

TField& TTable::DeclareField(const std::string& name, int size) {
  CheckInactive("declare a field of");
  declaredDefs_.Add(name, size);
  const int index = static_cast<int>(declaredFields_.size());
  declaredFields_.push_back(std::unique_ptr<TField>(new TField(*this, declaredDefs_.Items().back(), index)));
  return *declaredFields_.back();
}

void TTable::CreateTable(ExistingRows existingRows, const std::vector<std::vector<std::string>>& rows) {
  CheckInactive("create");
  const TFieldDefs& fields = fieldDefs_.Empty() ? declaredDefs_ : fieldDefs_;
  TableFile::Create(Location(), fields.Items(), existingRows, rows);
}

void TTable::DeleteTable() {
  CheckInactive("delete");
  TableFile::Remove(Location());
}

bool TTable::Exists() const {
  return !tableName_.empty() && KindOfEntry(Location().FilePath()) == EntryKind::RegularFile;
}

void TTable::Open() {
  if (Active()) return;
  auto file = std::make_unique<TableFile>(Location(), declaredDefs_.Items());
  std::vector<StoredRow> rows = file->ReadRows();
  FieldList opened;
  if (declaredFields_.empty()) {
    for (const TFieldDef& def : file->Fields()) {
      opened.push_back(std::unique_ptr<TField>(new TField(*this, def, static_cast<int>(opened.size()))));
    }
  }
  file_ = std::move(file);
  rows_ = std::move(rows);
  openedFields_ = std::move(opened);
  state_ = TDataSetState::Browse;
  cursor_ = 0;
  bof_ = true;
  eof_ = rows_.empty();
  Notify(TDataEvent::ActiveChanged);
}

void TTable::Close() {
  if (!Active()) return;
  file_.reset();
  rows_.clear();
  openedFields_.clear();
  pending_.clear();
  modified_ = false;
  state_ = TDataSetState::Inactive;
  cursor_ = 0;
  bof_ = eof_ = true;
  Notify(TDataEvent::ActiveChanged);
}

void TTable::SetActive(bool active) {
  if (active) {
    Open();
  } else {
    Close();
  }
}

TField& TTable::Fields(int index) {
  CheckField(index);
  return *FieldObjects()[index];
}

TField& TTable::FieldByName(const std::string& name) {
  TField* field = FindField(name);
  if (field == nullptr) throw EDatabaseError("There is no field '" + name + "' in " + Location().Describe() + ".");
  return *field;
}

TField* TTable::FindField(const std::string& name) {
  const FieldList& fields = FieldObjects();
  const auto found = std::find_if(fields.begin(), fields.end(),
                                  [&](const auto& field) { return SameFieldName(field->FieldName(), name); });
  return found == fields.end() ? nullptr : found->get();
}

void TTable::DisableControls() {
  if (disableCount_++ == 0) activeWhenDisabled_ = Active();
}

void TTable::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ == 0) {
    Notify(Active() != activeWhenDisabled_ ? TDataEvent::ActiveChanged : TDataEvent::DataSetChanged);
  }
}

TableLocation TTable::Location() const { return TableLocation{databaseName_, tableName_}; }

void TTable::CheckActive(std::string_view action) const {
  if (!Active()) throw Location().Failure(action, "the table is not open");
}

void TTable::CheckInactive(std::string_view action) const {
  if (Active()) throw Location().Failure(action, "the table is open");
}

void TTable::CheckField(int index) const {
  if (index < 0 || index >= FieldCount()) {
    throw EDatabaseError("There is no field number " + std::to_string(index + 1) + " in " + Location().Describe() +
                         "; it has " + std::to_string(FieldCount()) + ".");
  }
}

void TTable::AttachDataSource(TDataSource* dataSource) { dataSources_.push_back(dataSource); }

void TTable::DetachDataSource(TDataSource* dataSource) { std::erase(dataSources_, dataSource); }

void TTable::Notify(TDataEvent event) {
  if (ControlsDisabled()) return;
  // A listener may detach or destroy a data source while others are still to be told.
  const std::vector<TDataSource*> sources = dataSources_;
  for (TDataSource* source : sources) {
    if (std::find(dataSources_.begin(), dataSources_.end(), source) != dataSources_.end()) source->Broadcast(event);
  }
}

}  // namespace orvel
