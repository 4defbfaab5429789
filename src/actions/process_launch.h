// Starting the printer set-up command, and the folder it finds the driver's INF file in.
#pragma once

#include <string>

namespace portsetup {

// The folder holding the running program, as the system reports it.
std::wstring ProgramFolder();

// Starts commandLine, whose program is rundll32, with the system folder's rundll32.exe, its first
// window minimised with the focus. Does not wait for it. Throws std::system_error carrying the
// system's error code when the process cannot be started.
void LaunchCommand(const std::wstring& commandLine);

}  // namespace portsetup
