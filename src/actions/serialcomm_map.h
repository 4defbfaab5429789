// Which serial ports have a device behind them right now, as the system's device map lists them.
#pragma once

#include <string_view>

namespace portsetup {

// Whether a serial device answers to portName ("COM7:") now: a USB serial adapter that is
// unplugged is not there, though its port number stays reserved for it. When the device map cannot
// be read, false.
bool SerialDevicePresent(std::wstring_view portName);

}  // namespace portsetup
