#include "unattended/unattended_setup.h"

#include <cstdint>
#include <optional>

#include "actions/driver_package.h"
#include "actions/error_text.h"
#include "actions/installed_printer.h"
#include "actions/last_error.h"
#include "actions/printer_commands.h"
#include "actions/protected_print.h"
#include "actions/spooler.h"
#include "model/exit_codes.h"
#include "model/text.h"
#include "unattended/detection_record.h"
#include "unattended/driver_update.h"
#include "unattended/ports_value.h"
#include "unattended/printer_port.h"
#include "unattended/printer_query.h"
#include "unattended/queue_setup.h"
#include "unattended/run_context.h"
#include "unattended/run_lock.h"
#include "unattended/run_start.h"
#include "unattended/setup_command.h"

namespace portsetup {
namespace {

// The queue /name gives, or the one named after the model.
std::wstring_view QueueOf(const CommandLine& commandLine) {
    return commandLine.queue.empty() ? PrinterModelName : std::wstring_view(commandLine.queue);
}

// The package's driver and the printer on the port, confirmed by the spooler, then the port's
// settings, the printer's answer when asked for, and the detection value, in that order.
int Install(RunContext& run, const CommandLine& commandLine) {
    SetupLog& log = run.log;
    const std::wstring folder = ProgramFolder();
    if (!DriverInfPresent(folder)) {
        log.Write(Concat({L"The driver package is missing: ", DriverInfFileName, L" is not in ",
                          Quoted(folder),
                          L". In a deployment, make the package's content the whole driver "
                          L"package folder (portsetup.exe, ",
                          DriverInfFileName,
                          L" and the driver files); by hand, copy or extract that folder "
                          L"and run portsetup.exe from it."}));
        return kExitPackageMissing;
    }
    if (ProtectedPrintIsOn()) {
        log.Write(kProtectedPrintMessage);
        return kExitForbiddenByPolicy;
    }
    const std::optional<std::uint64_t> packageVersion = ReadPackageVersion(log, folder);

    const std::wstring port = PortOf(run, commandLine);
    const Spooler spooler;
    const std::optional<InstalledPrinter> before = spooler.FindPrinter(run.queue);
    log.Write(Concat({L"Before: ", DescribePrinter(run.queue, before), L"."}));
    RefuseOtherModelsQueue(run, before, false);
    // From here on the install goes as with the settings found.
    CommandLine install = commandLine;
    if (commandLine.detectSettings) {
        const Detection found = DetectPrinter(log, port, QueryCommandsFor(commandLine));
        if (!found.settings) {
            log.Write(L"Nothing is set up or stored.");
            return found.exitCode;
        }
        install.settings = SettingsForInstall(log, commandLine, port, found);
    }
    // A port found through its present device needs no other sign that the device is there.
    if (commandLine.device.empty()) {
        WarnWithoutDevice(log, port);
    }
    MakePortAvailable(run, spooler, port);
    SetUpDriver(run, spooler, folder, packageVersion, before.has_value());
    if (!before) {
        BeforeFirstChange(run);
        RunSetupCommand(run, Quiet(BuildInstallCommand(run.queue, port, folder)));
    } else if (IsSetUpOn(*before, port)) {
        log.Write(
            Concat({L"The printer is already set up on ", port, L"; it is not set up again."}));
    } else {
        MoveInPlace(run, spooler, *before, port);
    }

    const std::optional<InstalledPrinter> after = spooler.FindPrinter(run.queue);
    const bool driver = spooler.DriverVersion(PrinterModelName).has_value();
    if (!after || !IsSetUpOn(*after, port) || !driver) {
        return NotConfirmed(
            log, Concat({L"the spooler shows ", DescribePrinter(run.queue, after),
                         L", and the driver ", Quoted(PrinterModelName),
                         driver ? L" is" : L" is not", L" installed. Expected the printer on ",
                         port, L". The port settings are not stored."}));
    }
    log.Write(Concat({L"Confirmed by the spooler: ", DescribePrinter(run.queue, after),
                      L", driver installed."}));

    const int stored = StoreSettings(run, port, install.settings);
    if (stored != kExitDone) {
        return stored;
    }
    if (commandLine.checkAfterInstall) {
        // The outcome now rests on the check: a value an earlier run wrote must not outlive one
        // that fails.
        BeforeFirstChange(run);
        const int checked =
            CheckPrinter(log, port, install.settings, QueryCommandsFor(commandLine));
        if (checked != kExitDone) {
            // No detection value: the deployment tool then runs the install again later.
            log.Write(
                L"The printer stays set up and its settings stored; the detection value "
                L"is not written.");
            return checked;
        }
    }
    return RecordForDetection(run, install, port, packageVersion);
}

// /check and /detect.
int AskPrinter(RunContext& run, const CommandLine& commandLine) {
    const std::wstring port = PortOf(run, commandLine);
    if (commandLine.mode == RunMode::Detect) {
        const Detection found = DetectPrinter(run.log, port, QueryCommandsFor(commandLine));
        if (found.settings) {
            run.log.Write(InstallAdvice(*found.settings));
        }
        return found.exitCode;
    }
    return CheckPrinter(run.log, port, SettingsToCheck(commandLine, port, run.log),
                        QueryCommandsFor(commandLine));
}

// Only what the spooler shows is removed: a command for what is not there would fail, and leave a
// failure in the log of a run that succeeds. The driver goes with the last printer that uses it,
// whoever set that printer up.
int Remove(RunContext& run) {
    SetupLog& log = run.log;
    const Spooler spooler;
    const std::optional<InstalledPrinter> before = spooler.FindPrinter(run.queue);
    const bool installed = spooler.DriverVersion(PrinterModelName).has_value();
    log.Write(Concat({L"Before: ", DescribePrinter(run.queue, before), L"; driver ",
                      Quoted(PrinterModelName), installed ? L" installed." : L" not installed."}));
    RefuseOtherModelsQueue(run, before, true);
    // Before the first change, so that a removal that fails half-way is not detected as an
    // install.
    if (!BeforeFirstChange(run)) {
        log.Write(
            Concat({L"No detection value ", DetectionValueName(run), L" was there to delete."}));
    }
    if (before) {
        RunSetupCommand(run, Quiet(BuildRemovePrinterCommand(run.queue)));
    }
    const std::wstring users = installed ? spooler.PrintersUsing(PrinterModelName) : L"";
    if (!users.empty()) {
        log.Write(Concat({L"The driver ", Quoted(PrinterModelName),
                          L" is kept: these printers use it: ", users, L"."}));
    } else if (installed) {
        RunSetupCommand(run, Quiet(BuildRemoveCommand()));
    } else if (!before) {
        log.Write(L"Nothing to remove.");
        return kExitDone;
    }
    const std::optional<InstalledPrinter> after = spooler.FindPrinter(run.queue);
    const bool driver = users.empty() && spooler.DriverVersion(PrinterModelName).has_value();
    if (after || driver) {
        return NotConfirmed(log, Concat({L"the spooler still shows ",
                                         after ? DescribePrinter(run.queue, after)
                                               : Concat({L"the driver ", Quoted(PrinterModelName)}),
                                         L"."}));
    }
    log.Write(users.empty()
                  ? L"Confirmed by the spooler: neither the printer nor its driver remains."
                  : L"Confirmed by the spooler: the printer is gone; its driver stays for the "
                    L"printers that use it.");
    return kExitDone;
}

std::wstring ExitText(const RunEnds& ends) {
    const std::wstring code = DecimalText(static_cast<unsigned long>(ends.exitCode));
    if (!ends.meaning.empty()) {
        return Concat({L"Exit code ", code, L": ", ends.meaning, L"."});
    }
    for (const ExitCodeMeaning& exit : kExitCodeMeanings) {
        if (exit.code == ends.exitCode) {
            return Concat({L"Exit code ", code, L": ", exit.unattended, L"."});
        }
    }
    return Concat({L"Exit code ", code, L"."});
}

RunEnds CarryOut(const CommandLine& commandLine, std::span<const std::wstring> args,
                 std::wstring_view version, SetupLog& log) {
    if (const std::optional<RunEnds> refused = OpenRunLog(commandLine, args, version, log)) {
        return *refused;
    }
    const RunLock runLock;
    if (const std::optional<RunEnds> held = CheckRunLock(runLock, log)) {
        return *held;
    }
    RunContext run{log, commandLine.timeout, std::wstring(QueueOf(commandLine))};
    try {
        switch (commandLine.mode) {
            case RunMode::Check:
            case RunMode::Detect:
                return {AskPrinter(run, commandLine)};
            case RunMode::Install:
                return {Install(run, commandLine)};
            default:
                return {Remove(run)};
        }
    } catch (const RunEnds& ends) {
        return ends;
    } catch (const SystemCallFailed& error) {
        // The spooler, or the program's own folder, could not be read: nothing can be confirmed.
        log.Write(Concat({L"The run stopped: ", SystemErrorText(error.code())}));
        return {kExitInstallFailed};
    }
}

}  // namespace

int RunUnattended(const CommandLine& commandLine, std::span<const std::wstring> args,
                  std::wstring_view version, bool desktopVisible) noexcept {
    try {
        SetupLog log;
        RunEnds ends = CarryOut(commandLine, args, version, log);
        if (ends.exitCode == kExitDeviceNotConnected && commandLine.device.empty()) {
            ends.meaning = kNotAnsweredMeaning;  // no /device, so no device matching
        }
        log.Write(ExitText(ends));
        // A person who asked from a shortcut or the Run box sees the answer; never with /log,
        // which a deployment tool reads.
        const bool asked =
            commandLine.mode == RunMode::Check || commandLine.mode == RunMode::Detect;
        if (asked && desktopVisible && commandLine.logPath.empty() && !log.ReachesStarter()) {
            ShowCheckResult(log.Written(), ends.exitCode);
        }
        return ends.exitCode;
    } catch (...) {
        return kExitInstallFailed;  // out of memory: nothing more can be said
    }
}

}  // namespace portsetup
