#include "cli/OperandText.h"

#include <optional>

#include "cli/ExitStatus.h"
#include "store/StoreSchema.h"
#include "store/TextDecoding.h"
#include "tables/FieldText.h"
#include "tables/TesterText.h"

namespace orvel::cli {
namespace {

std::u32string CodePoints(const std::string& utf8, const std::string& subject) {
  std::optional<std::u32string> decoded = DecodeUtf8(utf8);
  if (!decoded) {
    throw ECommandFailed(ExitStatus::BadInput,
                         subject + " is not valid UTF-8 text. Set the terminal to UTF-8, or retype the name.");
  }
  return *std::move(decoded);
}

}  // namespace

std::string GroupNameOperand(const std::string& utf8) {
  const std::u32string name = CodePoints(utf8, "The group name");
  if (const std::optional<UnfitCharacter> unfit = FirstUnfitCharacter(name)) {
    throw ECommandFailed(ExitStatus::BadInput, UnfitCharacterRefusal("The group name", *unfit));
  }
  return EightBitText(name);
}

std::string NewGroupNameOperand(const std::string& utf8) {
  std::string name = GroupNameOperand(utf8);
  if (name.size() > static_cast<std::size_t>(kGroupNameWidth)) {
    throw ECommandFailed(ExitStatus::BadInput, Latin1ToUtf8(name) + " is more than 30 characters please reduce it");
  }
  return name;
}

std::string CompanyNameOperand(const std::string& utf8) {
  const std::u32string name = CodePoints(utf8, "The company name");
  if (const std::optional<UnfitCharacter> unfit = FirstUnfitCharacter(name)) {
    throw ECommandFailed(ExitStatus::BadInput, UnfitCharacterRefusal("The company name", *unfit));
  }
  return EightBitText(name);
}

std::string Quoted(const std::string& latin1) {
  std::string quoted = "'";
  quoted.append(Latin1ToUtf8(latin1)).append("'");
  return quoted;
}

}  // namespace orvel::cli
