#include "HeldPort.h"

#include <optional>

namespace orvel::testing {

HeldPort::HeldPort()
    : holder_([path = line_.SlavePath()](std::uint16_t port) -> std::optional<std::string> {
        return port == 1 ? std::optional<std::string>(path) : std::nullopt;
      }) {
  holder_.SetComNumber(1);
  holder_.SetOpen(true);
}

}  // namespace orvel::testing
