#pragma once

#include "serial/PortSettings.h"

#include <termios.h>

namespace orvel {

// The terminal settings of a serial line with the given port settings, made
// from the device's current ones. Raises EInOutError for a setting that the
// terminal interface cannot express.
termios LineSettingsFor(termios line, const TSerialPortSettings& settings);

// Whether the device runs at the bit rate, character format and handshake it
// was asked for. tcsetattr reports success when only some of a request took
// effect, and some devices (a pseudo-terminal, for one) quietly keep 8 bits
// without parity whatever they are told.
bool SameLineFormat(const termios& applied, const termios& wanted) noexcept;

// Raises the EInOutError for a device that did not take its line format.
[[noreturn]] void RaiseRefusedLineFormat();

}  // namespace orvel
