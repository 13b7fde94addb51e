#include "app/ErrorReport.h"

#include "app/MessageBoxes.h"

namespace orvel {

std::string ErrorBoxText(const std::string& message) {
  if (message.empty() || static_cast<unsigned char>(message.back()) <= '.') return message;
  return message + ".";
}

void ReportUnhandledError(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error) != nullptr) return;
  ShowError(ErrorBoxText(error.what()));
}

}  // namespace orvel
