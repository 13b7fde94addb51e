#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvel::test {

// An input buffer that behaves like the serial port's: exact count, whole-block reads,
// and a refused read leaves everything in place.
class BufferedInput {
 public:
  void Receive(std::string_view bytes) { m_bytes.append(bytes); }

  std::uint16_t InputCount() const { return static_cast<std::uint16_t>(m_bytes.size()); }

  std::uint16_t ReadBlock(std::span<char> destination) {
    if (destination.size() > m_bytes.size()) {
      throw std::runtime_error("Buffer is empty");
    }
    m_bytes.copy(destination.data(), destination.size());
    m_bytes.erase(0, destination.size());
    return static_cast<std::uint16_t>(destination.size());
  }

  const std::string& Bytes() const { return m_bytes; }

 private:
  std::string m_bytes;
};

}  // namespace orvel::test
