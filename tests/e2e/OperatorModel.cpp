#include "OperatorModel.h"

#include <algorithm>

#include "tables/TesterText.h"

namespace orvel::testing {
namespace {

constexpr qsizetype kLongestGroupName = 30;

bool ControlCharacter(char16_t code) { return code < 0x20 || (code >= 0x7F && code < 0xA0); }

}  // namespace

std::optional<std::size_t> OperatorModel::FirstGroupNamed(const std::string& name) const {
  const auto found =
      std::find_if(groups.begin(), groups.end(), [&](const ModelGroup& group) { return group.name == name; });
  if (found == groups.end()) return std::nullopt;
  return static_cast<std::size_t>(found - groups.begin());
}

void OperatorModel::ForgetGroup(std::size_t index) {
  const std::string name = groups[index].name;
  groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(index));
  shown.reset();
  pending.reset();
  listEntry = FirstGroupNamed(name);
}

NameVerdict JudgeGroupName(const QString& name) {
  if (name == QStringLiteral("New")) return NameVerdict::Unchanged;
  const bool unsafe = std::any_of(name.begin(), name.end(), RefusedInWholeId);
  if (unsafe) return NameVerdict::UnsafeCharacter;
  return name.size() > kLongestGroupName ? NameVerdict::TooLong : NameVerdict::Accepted;
}

bool RefusedInWholeId(QChar character) { return character.unicode() > 0xFF || ControlCharacter(character.unicode()); }

bool RefusedInId(QChar character) {
  const char16_t code = character.unicode();
  return code > 0xFF || ControlCharacter(code) || IsRefusedTypedCharacter(static_cast<unsigned char>(code));
}

std::string IdTextKept(const QString& text, bool (*refused)(QChar)) {
  QString kept;
  for (const QChar character : text) {
    if (!refused(character)) kept += character;
  }
  return EightBit(kept);
}

std::string EightBit(const QString& text) { return text.toLatin1().toStdString(); }

bool FitsEightBit(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar character) { return character.unicode() <= 0xFF; });
}

}  // namespace orvel::testing
