#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "TesterLinkFixture.h"

namespace orvel::testing {

inline constexpr std::size_t kModelSlots = 32;

// One group as the operator expects it stored: its name, the ID list table its row names
// (learnt when the group is made) and its pairs.
struct ModelGroup {
  std::string name;
  std::string table;
  std::vector<IdPair> rows;
};

// A cell typed into whose change the grid still holds, not yet stored.
struct PendingEdit {
  int row = 0;
  int column = 0;
  std::string text;
};

// What an operator expects of the Configure IDs window, its store and the tester after
// each step. Texts are 8-bit, as the store and the tester hold them.
struct OperatorModel {
  std::vector<ModelGroup> groups;
  // The group whose rows the grid shows, and the list entry the closed list shows.
  std::optional<std::size_t> shown;
  std::optional<std::size_t> listEntry;
  std::optional<PendingEdit> pending;
  std::array<IdPair, kModelSlots> tester;
  std::string testerCompany;
  QString companyEdit;

  // Whether the list shows another entry than the group in the grid (or shows one while
  // the grid is empty): only a drop-down close may bring the two together.
  std::optional<std::size_t> FirstGroupNamed(const std::string& name) const;
  // Removes a deleted group; the list then shows the first other group of that name, if any.
  void ForgetGroup(std::size_t index);
};

// How a group name typed into New is taken.
enum class NameVerdict {
  Unchanged,  // "New" or a cancelled box: nothing happens
  Accepted,
  TooLong,          // refused with the 30-character message
  UnsafeCharacter,  // refused with a message naming the character; nothing stored
};
NameVerdict JudgeGroupName(const QString& name);

// A character no ID may hold, whichever way it enters a cell: punctuation and symbols
// refused by the grid, control characters, and characters outside the 8-bit set.
bool RefusedInId(QChar character);
// Refused in an ID that comes in whole (pasted): only what the tester cannot hold.
bool RefusedInWholeId(QChar character);
// text without the characters refused names, as 8-bit text.
std::string IdTextKept(const QString& text, bool (*refused)(QChar) = RefusedInId);

// The 8-bit text of text whose characters all lie in that set.
std::string EightBit(const QString& text);
bool FitsEightBit(const QString& text);

}  // namespace orvel::testing
