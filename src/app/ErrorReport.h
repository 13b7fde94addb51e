#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace orvel {

// Stops an operation without any message: the error report shows nothing for it.
class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};

// The error box text for a message: a full stop is added unless the message is empty
// or already ends in '.' or a character whose code is below it ('!', ')', ',', '-', ' ').
std::string ErrorBoxText(const std::string& message);

// The general error report for every error that a handler or a window's creation does
// not handle itself. The event loop goes on afterwards.
void ReportUnhandledError(const std::exception& error);

// Runs work and sends any exception it raises to the general error report; returns
// whether it completed. Used where no event handler stands between the work and the
// event loop, such as the creation of a window.
template <typename Work>
bool RunReportingErrors(Work&& work) {
  try {
    work();
    return true;
  } catch (const std::exception& error) {
    ReportUnhandledError(error);
  } catch (...) {
    ReportUnhandledError(std::runtime_error("An unknown error occurred"));
  }
  return false;
}

}  // namespace orvel
