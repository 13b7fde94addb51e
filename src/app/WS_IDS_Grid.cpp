// The ID grid's own rules: Enter walks down a column and wraps to the top of the other,
// and IDs take no punctuation, symbols or control characters, however the text comes in.
#include "app/MessageBoxes.h"
#include "app/TDBGrid.h"
#include "app/WS_IDS.h"
#include "store/IdCharacters.h"

namespace orvel {
namespace {

constexpr int kEnter = '\r';
constexpr char32_t kFirstPrintableCode = ' ';

}  // namespace

void TIDForm::IDGridKeyPress(int& key) {
  if (key == kEnter && EnterWrapped()) return;
  // Control keys (Backspace, Enter, Esc, copy, cut and paste) edit the cell; they are not
  // characters of the ID.
  if (static_cast<char32_t>(key) < kFirstPrintableCode) return;
  if (const char* refusal = IdCharacterRefusal(static_cast<char32_t>(key))) {
    ShowInformation(refusal);
    key = 0;
  }
}

std::string TIDForm::IDGridTextRefusal(const QString& text) const {
  for (const char32_t character : text.toUcs4()) {
    if (const char* refusal = IdCharacterRefusal(character)) return refusal;
  }
  return {};
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
