// The serial port devices present on the PC, as the system's device installer lists them: what
// /device ID is matched against.
#pragma once

#include <vector>

#include "model/device_match.h"

namespace portsetup {

// Every present device of the Ports class (serial and parallel ports), with its hardware IDs,
// instance ID, friendly name and the PortName of its device key. Loads setupapi.dll from the
// system folder for the call, as InfDriverVersion does. Throws SystemCallFailed when the list
// cannot be had.
std::vector<PortDevice> PresentPortDevices();

}  // namespace portsetup
