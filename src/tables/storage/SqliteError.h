#pragma once

#include <string>

#include "tables/EDatabaseError.h"

namespace orvel {

// A failed SQLite call, with SQLite's (extended) result code and message. The table file
// turns it into a message that names the table before it reaches the caller.
class SqliteError : public EDatabaseError {
 public:
  SqliteError(int code, const std::string& message) : EDatabaseError(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

}  // namespace orvel
