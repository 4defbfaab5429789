// The scenarios kept in files of their own, by theme. Each returns its number of failed checks.
#pragma once

#include "scenario_support.h"

namespace e2e {

// Faults around the tool: scenarios_faults.cpp.
int LaunchFails(const Options& options);
int PortsKeyMissing(const Options& options);
int ValueReplaced(const Options& options);
int NoHang(const Options& options);

// Where the tool lies: scenarios_folders.cpp.
int FolderNames(const Options& options);
int DriveRoot(const Options& options);

// Keyboard: scenarios_keyboard.cpp.
int KeysTabOrder(const Options& options);
int KeysArrowRules(const Options& options);
int KeysEscape(const Options& options);

// The window at a display's DPI, and what assistive technology reads: scenarios_screen.cpp.
int LayoutAt96(const Options& options);
int LayoutAt144(const Options& options);

// What a planted file next to the tool or in its current folder can do: scenarios_security.cpp.
int PlantedRundll32(const Options& options);
int DllPlanting(const Options& options);

// Unattended runs and the driver package: scenarios_unattended.cpp.
int UnattendedInstall(const Options& options);
int UnattendedRemove(const Options& options);
int UnattendedUnconfirmed(const Options& options);
int UnattendedRefusals(const Options& options);
int UnattendedNewPort(const Options& options);
int UnattendedDevice(const Options& options);
int UnattendedQueues(const Options& options);
int ProtectedPrint(const Options& options);
int PrinterCheck(const Options& options);
int PackageMissing(const Options& options);
int PackageOsVersion(const Options& options);

}  // namespace e2e
