// The ID grid's own rules: Enter walks down a column and wraps to the top of the other;
// typed keys keep to letters, digits, blanks and hyphens, and any text that comes in must
// be text the tester can hold.
#include "app/MessageBoxes.h"
#include "app/TDBGrid.h"
#include "app/WS_IDS.h"
#include "app/QtText.h"

namespace orvel {
namespace {

constexpr int kEnter = '\r';
constexpr char32_t kFirstPrintableCode = ' ';

const char* const kTypingRefusal = "Please enter an alphabetical or numerical character";

const char* CharacterRefusal(char32_t character) {
  if (character > 0xFF) return "The tester cannot show this character; please enter another";
  return IsTesterCharacter(character) ? nullptr : kTypingRefusal;
}

}  // namespace

void TIDForm::IDGridKeyPress(int& key) {
  if (key == kEnter && EnterWrapped()) return;
  // Control keys (Backspace, Enter, Esc, copy, cut and paste) edit the cell; they are not
  // characters of the ID.
  if (static_cast<char32_t>(key) < kFirstPrintableCode) return;
  const auto character = static_cast<char32_t>(key);
  const char* refusal = CharacterRefusal(character);
  if (refusal == nullptr && IsRefusedTypedCharacter(static_cast<unsigned char>(character))) refusal = kTypingRefusal;
  if (refusal != nullptr) {
    ShowInformation(refusal);
    key = 0;
  }
}

std::string TIDForm::IDGridTextRefusal(const QString& text) const {
  for (const char32_t character : CodePoints(text)) {
    if (const char* refusal = CharacterRefusal(character)) return refusal;
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
