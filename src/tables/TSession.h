#pragma once

#include <string>

namespace orvel {

// The engine's session. Each table is a single file that needs no shared control folder,
// so NetFileDir is only recorded for the callers that set it.
class TSession {
 public:
  const std::string& NetFileDir() const { return netFileDir_; }
  void SetNetFileDir(std::string folder) { netFileDir_ = std::move(folder); }

 private:
  std::string netFileDir_;
};

// The engine's default session, shared by every table of the process.
TSession& Session();

}  // namespace orvel
