#pragma once

#include <stdexcept>
#include <string>

namespace orvel::cli {

// What a run of orvel-ids ended with, as its exit status: a script can tell each apart.
enum class ExitStatus : int {
  Success = 0,
  // Anything the other statuses do not cover: a fault of the program or the system.
  Failure = 1,
  // diff: the two lists differ, as diff(1) says it.
  ListsDiffer = 1,
  // The command line, a CSV file, a name or an ID was refused; nothing was changed.
  BadInput = 2,
  // The ID store is missing, damaged, or held by another writer.
  StoreError = 3,
  // No port answered as the tester within the search time.
  NotFound = 4,
  // The tester was found but stopped answering, or its line failed, during the transfer.
  NoReply = 5,
  // Ctrl+C, or a question answered No.
  Cancelled = 6,
  // The serial device named with --device is missing, held by another program, or not a
  // serial device.
  DeviceUnusable = 7,
};

// A command that cannot go on; its message says what failed and what to do.
class ECommandFailed : public std::runtime_error {
 public:
  ECommandFailed(ExitStatus status, const std::string& message) : std::runtime_error(message), status_(status) {}
  ExitStatus Status() const { return status_; }

 private:
  ExitStatus status_;
};

}  // namespace orvel::cli
