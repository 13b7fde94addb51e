#pragma once

#include "serial/PortSettings.h"

#include <windows.h>

namespace orvel {

// The device control block for the port's bit rate and character format, made from
// the device's current one. Bytes pass unchanged in both directions (binary, no
// parity check, NULs kept), DSR does not gate reception, transmission goes on after
// an XOFF, and DTR and RTS follow the port's settings without taking part in
// handshaking. Fields the port has no setting for keep the driver's values. Raises
// EInOutError for a format the block cannot express.
DCB LineStateFor(DCB current, const TSerialPortSettings& settings);

// The device control block for the port's flow control, made from the device's
// current one: the hardware and software handshakes asked for (none for the tester),
// the XON and XOFF characters, and the receive-queue thresholds at which the driver
// would hold and release the remote side.
DCB FlowControlStateFor(DCB current, const TSerialPortSettings& settings);

}  // namespace orvel
