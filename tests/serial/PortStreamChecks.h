#pragma once

#include "PortTesting.h"

#include "serial/TSerialPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

// Checks of an open port's byte stream that hold whatever the line's far end is: a
// pseudo-terminal on Linux, a second COM port on Windows. The far end has Send(bytes)
// and Receive(count).

namespace orvel::testing {

inline constexpr std::size_t kPortInputBufferSize = 8192;

inline std::string ReadAll(TSerialPort& port) {
  std::string bytes(port.InputCount(), '\0');
  port.ReadBlock(bytes);
  return bytes;
}

template <typename FarEnd>
void CheckSuccessiveWritesLeaveAsOneStream(TSerialPort& port, const FarEnd& farEnd) {
  std::string expected;
  for (std::size_t piece = 0; piece < 200; ++piece) {
    const std::string text = Pattern(5, piece * 5);
    port.WriteText(text);
    expected += text;
  }

  EXPECT_EQ(farEnd.Receive(expected.size()), expected);
}

// The far end keeps sending while the port discards: what the port delivers afterwards
// is the stream's tail, whole and in order, and nothing from before the discard.
template <typename FarEnd>
void CheckDiscardInputDropsTheStreamSoFar(TSerialPort& port, const FarEnd& farEnd) {
  constexpr std::size_t kPiece = 10;
  constexpr std::size_t kPiecesAfterDiscard = 20;
  constexpr char kEnd = '\xFF';  // beyond the pattern's byte values
  std::atomic<bool> discarded{false};
  std::string sent;
  std::thread remote([&] {
    std::size_t piecesAfterDiscard = 0;
    while (piecesAfterDiscard < kPiecesAfterDiscard) {
      piecesAfterDiscard += discarded.load() ? 1 : 0;
      const std::string piece = Pattern(kPiece, sent.size());
      farEnd.Send(piece);
      sent += piece;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    farEnd.Send(std::string(1, kEnd));
  });

  EXPECT_TRUE(Eventually([&] { return port.InputCount() >= 100; }));
  const std::size_t droppedAtLeast = port.InputCount();
  port.DiscardInput();
  discarded.store(true);

  std::string received;
  EXPECT_TRUE(Eventually([&] {
    received += ReadAll(port);
    return received.ends_with(kEnd);
  }));
  remote.join();

  received.pop_back();
  ASSERT_LE(received.size(), sent.size() - droppedAtLeast);
  EXPECT_EQ(received, sent.substr(sent.size() - received.size()));
  EXPECT_GE(received.size(), kPiece);
}

// More than the input buffer holds: the rest waits in the driver (pendingInDriver tells
// how much, where the host can) and follows once room is made, without the worker spinning.
template <typename FarEnd>
void CheckInputBeyondAFullBufferWaitsInTheDriver(TSerialPort& port, const FarEnd& farEnd,
                                                 const std::function<std::size_t()>& pendingInDriver = {}) {
  using namespace std::chrono_literals;
  constexpr std::size_t kBeyond = 100;
  const std::string stream = Pattern(kPortInputBufferSize + kBeyond);
  const auto pending = [&] { return pendingInDriver ? pendingInDriver() : kBeyond; };

  farEnd.Send(stream);

  ASSERT_TRUE(Eventually([&] { return port.InputCount() == kPortInputBufferSize && pending() == kBeyond; }));
  EXPECT_LT(IdleCpuTimeOver(300ms), 30ms) << "the worker spins on the full buffer";
  EXPECT_EQ(port.InputCount(), kPortInputBufferSize);
  std::string first(kBeyond, '\0');
  port.ReadBlock(first);
  EXPECT_EQ(first, stream.substr(0, kBeyond));
  EXPECT_TRUE(Eventually([&] {
    return port.InputCount() == kPortInputBufferSize && (!pendingInDriver || pendingInDriver() == 0);
  }));
  EXPECT_EQ(ReadAll(port), stream.substr(kBeyond));
}

}  // namespace orvel::testing
