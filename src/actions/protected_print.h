// Whether Windows protected print mode is on, which rules out installing this printer's driver.
#pragma once

namespace portsetup {

// Windows protected print mode (Windows 11 24H2 and later) allows only Microsoft's inbox printer
// drivers, so this printer's driver cannot be installed while it is on.
//
// On when the "Configure Windows protected print" policy (Group Policy or Intune) turns it on, or
// else when Windows says so, which also covers the switch in Settings. False when Windows cannot
// tell (before 24H2, or on any failure). Loads combase.dll from the system folder for the call.
bool ProtectedPrintIsOn() noexcept;

}  // namespace portsetup
