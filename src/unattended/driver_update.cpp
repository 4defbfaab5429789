#include "unattended/driver_update.h"

#include "actions/driver_package.h"
#include "actions/error_text.h"
#include "actions/last_error.h"
#include "actions/printer_commands.h"
#include "model/driver_version.h"
#include "model/exit_codes.h"
#include "model/text.h"
#include "unattended/detection_record.h"
#include "unattended/setup_command.h"

namespace portsetup {

std::optional<std::uint64_t> ReadPackageVersion(SetupLog& log, const std::wstring& folder) {
    const std::wstring inf = DriverInfPath(folder);
    try {
        const std::optional<std::uint64_t> version = InfDriverVersion(inf);
        log.Write(Concat({L"Driver package: ", inf, L", driver version ",
                          version ? DriverVersionText(*version) : L"not given", L"."}));
        return version;
    } catch (const SystemCallFailed& error) {
        log.Write(Concat({L"Driver package: ", inf, L"; its driver version cannot be read: ",
                          SystemErrorText(error.code()), L" Nothing was changed."}));
        throw RunEnds{kExitInstallFailed};
    }
}

void SetUpDriver(RunContext& run, const Spooler& spooler, const std::wstring& folder,
                 std::optional<std::uint64_t> packageVersion, bool queueExists) {
    const std::optional<std::uint64_t> installed = spooler.DriverVersion(PrinterModelName);
    if (installed && InstalledDriverNewer(*installed, packageVersion)) {
        run.log.Write(Concat({L"The installed driver has version ", DriverVersionText(*installed),
                              L", newer than the package's ", DriverVersionText(*packageVersion),
                              L": it is left as it is."}));
    } else if (installed && *installed == 0) {
        // The detection value still names the package's version: say that nothing was updated.
        run.log.Write(
            Concat({L"The installed driver ", Quoted(PrinterModelName),
                    L" has no version the system can tell (the spooler shows 0), so it "
                    L"cannot be compared with the package's",
                    packageVersion ? Concat({L" ", DriverVersionText(*packageVersion)}) : L"",
                    L": it is left as it is, not updated."}));
    }
    if (installed && !DriverUpdateNeeded(*installed, packageVersion)) {
        return;
    }
    if (installed) {
        run.log.Write(Concat({L"The installed driver has version ", DriverVersionText(*installed),
                              L", the package ", DriverVersionText(*packageVersion),
                              L": the driver is updated."}));
    } else if (!queueExists) {
        return;  // the install command brings the driver with the printer
    }
    BeforeFirstChange(run);
    RunSetupCommand(run, Quiet(BuildInstallDriverCommand(folder)));
    const std::optional<std::uint64_t> now = spooler.DriverVersion(PrinterModelName);
    if (!DriverInstallConfirmed(now, installed ? packageVersion : std::nullopt)) {
        throw RunEnds{NotConfirmed(
            run.log, Concat({L"the spooler shows ",
                             now ? Concat({L"driver version ", DriverVersionText(*now)})
                                 : Concat({L"no driver ", Quoted(PrinterModelName)}),
                             L". The printer stays as it was."}))};
    }
    run.log.Write(Concat({L"Confirmed by the spooler: driver ", Quoted(PrinterModelName),
                          *now ? Concat({L" version ", DriverVersionText(*now)})
                               : L" installed (the system keeps no version for it)",
                          L"."}));
}

}  // namespace portsetup
