#pragma once

#include <QString>
#include <string>

namespace orvel {

// The tester keeps 8-bit characters (Latin-1 here); a character outside that set could
// be neither stored nor sent, and would otherwise turn into '?' unseen.
bool FitsTesterCharacters(const QString& text);

// What the operator is told when a text does not fit; subject names the text, e.g.
// "The company name".
std::string TesterCharactersRefusal(const std::string& subject);

}  // namespace orvel
