// The value an install that ended with 0 leaves for deployment tools' detection rules: what it was
// asked and confirmed, in one line an administrator can write down from the install command
// alone, so that a registry rule "string equals" detects it. Fields, separated by one blank:
//
//   port=COM7: settings=19200,n,8,1,p driver=1.2.0.0
//   device=VID_0403&PID_6001 settings=9600,n,8,1 driver=1.2.0.0
//   port=LPT1: settings=none driver=none
//   device=VID_04B8&PID_0202 settings=none driver=1.2.0.0
//
// port is the port as "COM7:" (upper case, with its colon) or "USB001"; device the /device ID
// exactly as given; settings the settings string stored under the port (the defaults when
// /settings is not given), "none" for a parallel port and a USB printer; driver the version of the
// package's DriverVer, "none" when the INF gives none (or 0.0.0.0).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/command_line.h"

namespace portsetup {

// port is the port the printer was set up on: install's own, or the one its /device was found on.
std::wstring DetectionValueText(const CommandLine& install, std::wstring_view port,
                                std::optional<std::uint64_t> driverVersion);

}  // namespace portsetup
