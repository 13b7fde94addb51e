#pragma once

#include <QString>
#include <string>

namespace orvel {

// Modal input box: the prompt above a one-line edit box (at most 255 characters) that
// starts with the default text all selected, then OK and Cancel. OK returns the edit
// box's text, which may be empty; Cancel, Esc and the title-bar close return the
// default unchanged, so a caller cannot tell Cancel from an unchanged OK. The text comes
// back as typed, characters outside the 8-bit set included, so that the caller can refuse
// what it cannot keep instead of finding '?' in its place.
QString PromptForText(const std::string& title, const std::string& prompt, const std::string& defaultText);

}  // namespace orvel
