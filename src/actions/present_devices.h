// The devices a receipt printer hangs on that are present on the PC, as the system's device
// installer lists them: what /device ID is matched against, and where a USB printer's port opens.
#pragma once

#include <vector>

#include "model/device_match.h"

namespace portsetup {

// Every present device of the Ports class (serial and parallel ports), with its hardware IDs,
// instance ID, friendly name and the PortName of its device key. Loads setupapi.dll from the
// system folder for the call, as InfDriverVersion does. Throws SystemCallFailed when the list
// cannot be had.
std::vector<PortDevice> PresentPortDevices();

// Every USB printer plugged in now: each present interface of the USB printing class
// (GUID_DEVINTERFACE_USBPRINT), with its device's hardware IDs, instance ID and name, the port
// its interface key's "Base Name" and "Port Number" give, and its device path. Throws
// SystemCallFailed when the list cannot be had.
std::vector<PortDevice> PresentUsbPrinters();

}  // namespace portsetup
