// The ID grid's own rules: Enter walks down a column and wraps to the top of the other,
// and IDs take no punctuation or symbols.
#include "app/MessageBoxes.h"
#include "app/TDBGrid.h"
#include "app/WS_IDS.h"
#include "store/IdCharacters.h"

namespace orvel {
namespace {

constexpr int kEnter = '\r';
constexpr int kLastEightBitCode = 255;

}  // namespace

void TIDForm::IDGridKeyPress(int& key) {
  if (key == kEnter && EnterWrapped()) return;
  if (key > kLastEightBitCode) {
    // The tester's character set has no such character: it could be neither stored nor sent.
    ShowInformation("The tester cannot show this character; please enter another");
    key = 0;
  } else if (IsRefusedIdCharacter(static_cast<unsigned char>(key))) {
    ShowInformation("Please enter an alphabetical or numerical character");
    key = 0;
  }
}

bool TIDForm::EnterWrapped() {
  TTable* table = IDGrid->ShownTable();
  const TField* field = IDGrid->CurrentField();
  if (table == nullptr || field == nullptr) return false;
  const std::string& column = field->FieldName();
  if (table->Eof() && (column == TrailerFieldName || column == VehicleFieldName)) {
    table->First();
    IDGrid->SelectField(column == TrailerFieldName ? VehicleFieldName : TrailerFieldName);
    return true;
  }
  if (column == TrailerFieldName || column == VehicleFieldName) table->Next();
  return false;
}

}  // namespace orvel
