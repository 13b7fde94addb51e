#pragma once

#include <string>

class QWidget;

namespace orvel {

// Results of the modal boxes, as the callers compare them.
enum class BoxResult { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

enum class ConfirmButtons { YesNoCancel, OkCancel };

// Information box: title "Information", information icon, one OK button.
void ShowInformation(const std::string& text);

// Information box that does not wait: the caller goes on while it is shown, and it
// goes away when the operator closes it. It can be closed while a modal window is open,
// and that window stays usable.
void ShowNotice(const std::string& text);

// Confirmation box: title "Confirm", question icon. Enter presses OK when shown, else
// Yes; Esc presses Cancel; closing the box from its title bar gives Cancel.
BoxResult AskConfirmation(const std::string& text, ConfirmButtons buttons);

// Error box: titled with the application title, stop icon, one OK button.
void ShowError(const std::string& text);

// The system's default alert sound; queued, the caller does not wait for it. Each host
// has its own (MessageBeep_posix.cpp, MessageBeep_win32.cpp).
void MessageBeep();

}  // namespace orvel
