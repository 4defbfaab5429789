// The driver package: the folder it shares with the program, its INF file's path there, whether
// the file is there, and its driver version as the system's INF reader sees it, which an
// unattended install compares with the driver the spooler has.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace portsetup {

inline constexpr std::wstring_view DriverInfFileName = L"Velmoset.INF";

// The folder holding the running program, as the system reports it: the package's folder.
std::wstring ProgramFolder();

// The folder part of the running program's full path: "C:\Setup\portsetup.exe" gives
// "C:\Setup", and a program in a drive root gives the root with its backslash, "C:\".
std::wstring FolderOfModulePath(std::wstring_view modulePath);

// The INF file's path as the install command passes it.
std::wstring DriverInfPath(std::wstring_view programFolder);

// Whether the driver's INF file is in programFolder. The file is not opened: it is the set-up
// entry point's to read.
bool DriverInfPresent(std::wstring_view programFolder);

// The version of DriverVer = mm/dd/yyyy,w.x.y.z in the INF file at infPath, %strings% resolved, as
// ParseDriverVersion reads it: from the model's install section, which [Manufacturer] and its
// models section name for this platform and the running Windows version (ChosenModelsDecoration),
// else from [Version]; nothing when neither has a DriverVer or its version is missing or not
// valid. Loads setupapi.dll from the system folder for the call: only an unattended install needs
// it, so it is not imported (see Spooler). Throws SystemCallFailed when it cannot be loaded, the
// file cannot be opened as an INF file, or the running version cannot be read.
std::optional<std::uint64_t> InfDriverVersion(const std::wstring& infPath);

}  // namespace portsetup
