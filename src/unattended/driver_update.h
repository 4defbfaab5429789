// The model's driver: the version the package declares, and the update an install makes ahead of
// the printer where the install command alone would not bring the package's driver.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "actions/spooler.h"
#include "unattended/run_context.h"

namespace portsetup {

// The driver version the package's INF file declares; an INF that cannot be read ends the run
// (1603), since neither the update nor its confirmation could be decided. The INF is only read:
// the set-up entry point installs from it.
std::optional<std::uint64_t> ReadPackageVersion(SetupLog& log, const std::wstring& folder);

// Installs the model's driver ahead of the printer where the install command would not: for a
// queue that has another driver, and when the installed driver's version is not the package's. A
// newer installed driver, or one of version 0, is left as it is. An update the spooler does not
// confirm ends the run (1603).
void SetUpDriver(RunContext& run, const Spooler& spooler, const std::wstring& folder,
                 std::optional<std::uint64_t> packageVersion, bool queueExists);

}  // namespace portsetup
