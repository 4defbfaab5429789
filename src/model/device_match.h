// The serial port devices present on the PC, and which of them an unattended install means by
// /device ID: the printer's USB serial adapter gets another COM number on every PC, while its
// hardware ID (vendor and product) and instance ID (which can hold its serial number) do not.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace portsetup {

// A present device of the system's Ports class, as the system describes it.
struct PortDevice {
    std::wstring friendlyName;              // "USB Serial Port (COM7)"
    std::vector<std::wstring> hardwareIds;  // "FTDIBUS\\COMPORT&VID_0403&PID_6001", ...
    std::wstring instanceId;                // "FTDIBUS\\VID_0403+PID_6001+A1B2C3D4A\\0000"
    std::wstring portName;                  // PortName of its device key: "COM7"; empty if none
};

// Whether id occurs, in any letter case, in one of the device's hardware IDs or in its instance
// ID.
bool DeviceMatches(const PortDevice& device, std::wstring_view id);

// The port a printer on the device is set up on: "COM1:" to "COM256:" from its PortName, or empty
// when that is no such port (a parallel port, or none).
std::wstring DeviceComPort(const PortDevice& device);

// The devices id matches that have a COM port: an install goes ahead only when there is exactly
// one.
std::vector<PortDevice> MatchingDevices(std::span<const PortDevice> devices, std::wstring_view id);

}  // namespace portsetup
