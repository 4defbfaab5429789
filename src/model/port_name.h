// Port names as the tool writes them, "COM7:", "LPT1:" and "USB001", and the checks every part
// makes of them: the dialog, the command line, the device match, the stored settings and the lines
// to the printer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace portsetup {

// The highest port numbers Windows gives: an unattended run takes any of them, beyond the dialog's
// options, since USB serial adapters are numbered from COM5 on.
inline constexpr unsigned long kLastComPort = 256;
inline constexpr unsigned long kLastLptPort = 3;
// The USB port monitor numbers a printer's port in three digits: USB001 to USB999.
inline constexpr unsigned long kLastUsbPort = 999;

// The port name for port ("com7", "LPT1:", "usb001" ...): the numbers Windows gives serial and
// parallel ports, in any letter case, with or without the colon, as "COM7:"; a USB printer's port
// as the spooler names it, "USB001"; nothing for any other text.
std::optional<std::wstring> ReadPortName(std::wstring_view port);

// Whether portName ("COM7:") names a serial port, whose line settings are stored under its name.
bool IsComPortName(std::wstring_view portName);

// Whether portName ("USB001") names a USB printer's port, which has no line settings.
bool IsUsbPortName(std::wstring_view portName);

// The port a USB printer's interface key names with its "Base Name" and "Port Number" values, as
// the USB port monitor offers it to the spooler: "USB" and 1 give "USB001"; empty for another base
// name or a number beyond USB001 to USB999.
std::wstring UsbPortName(std::wstring_view baseName, unsigned long portNumber);

// portName without its colon ("COM7"), as the device namespace and SERIALCOMM name the port.
inline std::wstring_view WithoutColon(std::wstring_view portName) {
    return portName.ends_with(L':') ? portName.substr(0, portName.size() - 1) : portName;
}

}  // namespace portsetup
