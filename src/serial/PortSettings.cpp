#include "serial/PortSettings.h"

namespace orvel {

TSerialPortSettings TesterPortSettings() {
  TSerialPortSettings settings;
  settings.Baud = 9600;
  settings.BufferFull = 1000;
  settings.BufferResume = 1000;
  settings.AutoOpen = false;
  return settings;
}

}  // namespace orvel
