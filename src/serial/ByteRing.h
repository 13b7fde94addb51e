#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

namespace orvel {

// A fixed-size ring of bytes, allocated once. Not synchronised: the owner
// guards it with its own lock.
class ByteRing {
 public:
  explicit ByteRing(std::size_t capacity);

  std::size_t Capacity() const noexcept { return capacity_; }
  std::size_t Size() const noexcept { return size_; }
  std::size_t Free() const noexcept { return capacity_ - size_; }
  bool Empty() const noexcept { return size_ == 0; }
  bool Full() const noexcept { return size_ == capacity_; }

  // Appends all of bytes; the caller has checked that Free() suffices.
  void Append(std::string_view bytes) noexcept;
  // Moves the destination.size() oldest bytes out; the caller has checked
  // that Size() suffices.
  void Take(std::span<char> destination) noexcept;
  void Clear() noexcept;

  // The free room that follows the newest byte without wrapping, for filling
  // in place; CommitWrite then counts what was put there.
  std::span<char> WritableRun() noexcept;
  void CommitWrite(std::size_t count) noexcept;

  // The oldest bytes that lie in one piece, for handing out in place;
  // Consume then drops what was used.
  std::span<const char> ReadableRun() const noexcept;
  void Consume(std::size_t count) noexcept;

 private:
  std::size_t Wrap(std::size_t index) const noexcept;

  std::unique_ptr<char[]> bytes_;
  std::size_t capacity_;
  std::size_t oldest_ = 0;
  std::size_t size_ = 0;
};

}  // namespace orvel
