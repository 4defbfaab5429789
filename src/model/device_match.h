// The devices a receipt printer hangs on, and which of them an unattended run means by /device ID:
// a USB serial adapter gets another COM number on every PC, and a USB printer another USBnnn port
// on every socket, while the device's hardware ID (vendor and product) and instance ID (which can
// hold its serial number) do not.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/exit_codes.h"

namespace portsetup {

// A present device a printer's port belongs to, as the system describes it: a serial port device
// of the Ports class, or a USB printer behind the USB printing interface.
struct PortDevice {
    std::wstring friendlyName;              // "USB Serial Port (COM7)"
    std::vector<std::wstring> hardwareIds;  // "FTDIBUS\\COMPORT&VID_0403&PID_6001", ...
    std::wstring instanceId;                // "FTDIBUS\\VID_0403+PID_6001+A1B2C3D4A\\0000"
    // A serial port device's PortName ("COM7"), or the USB printer's port from its interface key
    // ("USB001", see UsbPortName); empty if none.
    std::wstring portName;
    // A USB printer's interface, which opens the printer: "\\\\?\\usb#vid_04b8&pid_0202#...";
    // empty for a serial port device.
    std::wstring interfacePath = {};
};

// Whether id occurs, in any letter case, in one of the device's hardware IDs or in its instance
// ID.
bool DeviceMatches(const PortDevice& device, std::wstring_view id);

// The port a printer on the device is set up on: "COM1:" to "COM256:", or "USB001" to "USB999";
// empty when it has no such port (a parallel port, or none).
std::wstring PrinterPortOf(const PortDevice& device);

// The devices id matches that have such a port, pointing into devices: an install goes ahead only
// when there is exactly one.
std::vector<const PortDevice*> MatchingDevices(std::span<const PortDevice> devices,
                                               std::wstring_view id);

// The device whose printer port is port ("USB001"), or null when none has it.
const PortDevice* DeviceOnPort(std::span<const PortDevice> devices, std::wstring_view port);

// What /device ID found among the present devices, worded for the log.
struct DeviceLookup {
    ExitCode code;      // done; no match (ERROR_DEVICE_NOT_CONNECTED); several (the command line)
    std::wstring port;  // the one match's port; empty otherwise
    std::wstring said;  // the match, or the devices the run could have meant
};
DeviceLookup LookUpDevice(std::span<const PortDevice> devices, std::wstring_view id);

}  // namespace portsetup
