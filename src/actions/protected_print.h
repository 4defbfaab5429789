// Whether Windows protected print mode is on, which rules out installing this printer's driver.
#pragma once

#include <string_view>

namespace portsetup {

// What both front ends say when the mode stops an install: why, and how to turn it off.
inline constexpr std::wstring_view kProtectedPrintMessage =
    L"Windows protected print mode is on. It allows only Microsoft's inbox printer drivers, so "
    L"the driver of the printer \"Tarvik(Cut Mode)\" cannot be installed. To install it, turn the "
    L"mode off: in the \"Configure Windows protected print\" policy (Group Policy or Intune), or "
    L"in Settings > Bluetooth & devices > Printers & scanners.";

// Windows protected print mode (Windows 11 24H2 and later) allows only Microsoft's inbox printer
// drivers, so this printer's driver cannot be installed while it is on.
//
// On when the "Configure Windows protected print" policy (Group Policy or Intune) turns it on, or
// else when Windows says so, which also covers the switch in Settings. False when Windows cannot
// tell (before 24H2, or on any failure). Loads combase.dll from the system folder for the call.
bool ProtectedPrintIsOn() noexcept;

}  // namespace portsetup
