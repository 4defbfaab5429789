// The two command lines handed to the system's printer set-up entry point (printui.dll's
// PrintUIEntry, run by rundll32): install the printer from the INF file beside this tool on the
// chosen port, or remove its driver.
#pragma once

#include <string>
#include <string_view>

namespace portsetup {

// The driver model (/m), and the name of the printer's queue (/b) unless /name gives another.
inline constexpr std::wstring_view PrinterModelName = L"Tarvik(Cut Mode)";

// programFolder is used as the system reports it; a drive root keeps its trailing backslash, so
// the INF path then holds two backslashes, which Windows' path handling treats as one when the
// file is opened.
std::wstring BuildInstallCommand(std::wstring_view queue, std::wstring_view portName,
                                 std::wstring_view programFolder);
std::wstring BuildRemoveCommand();
// Removes the printer's queue, which an unattended removal does before removing the driver.
std::wstring BuildRemovePrinterCommand(std::wstring_view queue);
// Installs, or updates, the model's driver from the INF file alone, without touching a queue.
std::wstring BuildInstallDriverCommand(std::wstring_view programFolder);
// The same command with the entry point's quiet switch: it then shows no message of its own.
std::wstring Quiet(std::wstring command);

}  // namespace portsetup
