#pragma once

#include <QString>
#include <optional>

#include "store/TesterCharacters.h"

namespace orvel {

// The tester's character rules for text typed into the window.
bool FitsTesterCharacters(const QString& text);
std::optional<UnfitCharacter> FirstUnfitCharacter(const QString& text);

}  // namespace orvel
