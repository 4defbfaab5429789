// A printer driver's version as the spooler keeps it (DRIVER_INFO_6::dwlDriverVersion) and as an
// INF file's DriverVer gives it: four 16-bit parts w.x.y.z, w in the high word. An unattended
// install compares the two to tell whether the installed driver is the package's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace portsetup {

// The version part of DriverVer = mm/dd/yyyy,w.x.y.z: one to four decimal parts of 0 to 65535,
// missing trailing parts taken as 0, blanks around it ignored. Nothing for any other text.
std::optional<std::uint64_t> ParseDriverVersion(std::wstring_view text);

// "1.2.3.4".
std::wstring DriverVersionText(std::uint64_t version);

// Whether the installed driver must be replaced by the INF's: only when the installed version is
// known (the spooler gives 0 when the driver states none) and the INF has one, not 0.0.0.0, that
// is greater. A repeat install never rolls a driver back.
bool DriverUpdateNeeded(std::uint64_t installed, std::optional<std::uint64_t> inInf);

// Whether the installed driver is newer than the INF's, both known: it is then left as it is.
bool InstalledDriverNewer(std::uint64_t installed, std::optional<std::uint64_t> inInf);

// Whether the spooler's driver after an install shows that it took: the driver must be there and,
// for an update, at the version asked for (expected) or a newer one, which a repeat install would
// leave as it is too. Windows alone keeps driver versions, so only a unit test can show an update
// that did not take.
bool DriverInstallConfirmed(std::optional<std::uint64_t> shown,
                            std::optional<std::uint64_t> expected);

}  // namespace portsetup
