#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvel {

// Root of the serial port's own errors. Each carries the port's result code
// (negative) next to its message so callers can tell the failures apart
// without parsing text.
class EPortError : public std::runtime_error {
 public:
  int ErrorCode() const noexcept { return errorCode_; }

 protected:
  EPortError(int errorCode, const std::string& message);

 private:
  int errorCode_;
};

// The port cannot be opened, or is not open. The port search catches this
// branch and moves on to the next port number.
class EOpenComm : public EPortError {
 protected:
  using EPortError::EPortError;
};

class EBadId final : public EOpenComm {
 public:
  EBadId();
};

class EAlreadyOpen final : public EOpenComm {
 public:
  EAlreadyOpen();
};

class ECommNotOpen final : public EOpenComm {
 public:
  ECommNotOpen();
};

// Failures of the port's own buffers.
class ESerialIO : public EPortError {
 protected:
  using EPortError::EPortError;
};

class EBufferIsEmpty final : public ESerialIO {
 public:
  EBufferIsEmpty();
};

class EOutputBufferTooSmall final : public ESerialIO {
 public:
  EOutputBufferTooSmall();
};

// A system failure with no port meaning. Deliberately not an EPortError, so a
// handler for EOpenComm lets it through.
//
// ErrorCode is the port's system error number: where the host's error has the
// same meaning as an entry of the port message table it is that entry's number,
// otherwise it is the host's own error number (errno on POSIX). HostError always
// keeps the host's number, so nothing is lost by the translation.
class EInOutError final : public std::runtime_error {
 public:
  EInOutError(int errorCode, const std::string& message, int hostError);

  int ErrorCode() const noexcept { return errorCode_; }
  int HostError() const noexcept { return hostError_; }

 private:
  int errorCode_;
  int hostError_;
};

// The port message table's text for a system error number, if it has one.
std::optional<std::string_view> PortSystemErrorText(int systemErrorNumber) noexcept;

// An operating system message as one line: control characters become spaces
// and runs of spaces shrink to one, so it reads well in a message box.
std::string OneLineMessage(std::string_view text);

}  // namespace orvel
