#include "serial/ByteRing.h"

#include <algorithm>

namespace orvel {

ByteRing::ByteRing(std::size_t capacity)
    : bytes_(std::make_unique_for_overwrite<char[]>(capacity)), capacity_(capacity) {}

std::size_t ByteRing::Wrap(std::size_t index) const noexcept { return index >= capacity_ ? index - capacity_ : index; }

void ByteRing::Append(std::string_view bytes) noexcept {
  while (!bytes.empty()) {
    const std::span<char> room = WritableRun();
    const std::size_t count = std::min(room.size(), bytes.size());
    std::copy_n(bytes.data(), count, room.data());
    CommitWrite(count);
    bytes.remove_prefix(count);
  }
}

void ByteRing::Take(std::span<char> destination) noexcept {
  while (!destination.empty()) {
    const std::span<const char> run = ReadableRun();
    const std::size_t count = std::min(run.size(), destination.size());
    std::copy_n(run.data(), count, destination.data());
    Consume(count);
    destination = destination.subspan(count);
  }
}

void ByteRing::Clear() noexcept {
  oldest_ = 0;
  size_ = 0;
}

std::span<char> ByteRing::WritableRun() noexcept {
  const std::size_t next = Wrap(oldest_ + size_);
  const std::size_t untilEnd = next < oldest_ ? oldest_ - next : capacity_ - next;
  return {bytes_.get() + next, std::min(untilEnd, Free())};
}

void ByteRing::CommitWrite(std::size_t count) noexcept { size_ += count; }

std::span<const char> ByteRing::ReadableRun() const noexcept {
  return {bytes_.get() + oldest_, std::min(size_, capacity_ - oldest_)};
}

void ByteRing::Consume(std::size_t count) noexcept {
  // An emptied ring starts over at the front, so the next fill lies in one piece.
  oldest_ = size_ == count ? 0 : Wrap(oldest_ + count);
  size_ -= count;
}

}  // namespace orvel
