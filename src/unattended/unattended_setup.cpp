#include "unattended/unattended_setup.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "actions/detection_registry.h"
#include "actions/driver_package.h"
#include "actions/error_text.h"
#include "actions/installed_printer.h"
#include "actions/last_error.h"
#include "actions/mod_register.h"
#include "actions/mod_register_win32.h"
#include "actions/present_devices.h"
#include "actions/port_settings.h"
#include "actions/printer_commands.h"
#include "actions/process_launch.h"
#include "actions/protected_print.h"
#include "actions/serialcomm_map.h"
#include "actions/spooler.h"
#include "actions/stored_port_settings.h"
#include "actions/win32_handles.h"
#include "model/detection_value.h"
#include "model/driver_version.h"
#include "model/exit_codes.h"
#include "model/port_name.h"
#include "model/text.h"
#include "unattended/printer_query.h"
#include "unattended/run_lock.h"
#include "unattended/setup_log.h"

namespace portsetup {
namespace {

// A step that ends the run with its own exit code, after saying why.
struct RunEnds {
    int exitCode;
    std::wstring_view meaning = {};  // for the last line, in place of the code's usual meaning
};

// For the spooler's 1603s: the tool sees only the outcome, Windows logs the cause.
constexpr std::wstring_view kWhereToLookNext =
    L"Where to look next: %WINDIR%\\INF\\setupapi.dev.log (the driver's installation), the "
    L"PrintService event log (Event Viewer > Applications and Services Logs > Microsoft > "
    L"Windows > PrintService), and whether the PC trusts the driver package's publisher (see "
    L"\"Driver signatures\" in the guide \"portsetup for Windows administrators\").";

std::wstring Describe(std::wstring_view queue, const std::optional<InstalledPrinter>& printer) {
    if (!printer) {
        return Concat({L"no printer named ", Quoted(queue)});
    }
    return Concat({L"printer ", Quoted(queue), L" on port ", Quoted(printer->port),
                   L" with driver ", Quoted(printer->driver)});
}

// The queue /name gives, or the one named after the model.
std::wstring_view QueueOf(const CommandLine& commandLine) {
    return commandLine.queue.empty() ? PrinterModelName : std::wstring_view(commandLine.queue);
}

class UnattendedRun {
  public:
    UnattendedRun(SetupLog& log, const CommandLine& commandLine)
        : log_(log), timeout_(commandLine.timeout), queue_(QueueOf(commandLine)) {}

    int Install(const CommandLine& commandLine) {
        const std::wstring folder = ProgramFolder();
        if (!DriverInfPresent(folder)) {
            log_.Write(Concat({L"The driver package is missing: ", DriverInfFileName,
                               L" is not in ", Quoted(folder),
                               L". In a deployment, make the package's content the whole driver "
                               L"package folder (portsetup.exe, ",
                               DriverInfFileName,
                               L" and the driver files); by hand, copy or extract that folder "
                               L"and run portsetup.exe from it."}));
            return kExitPackageMissing;
        }
        if (ProtectedPrintIsOn()) {
            log_.Write(kProtectedPrintMessage);
            return kExitForbiddenByPolicy;
        }
        const std::optional<std::uint64_t> packageVersion = ReadPackageVersion(folder);

        const std::wstring port = PortOf(commandLine);
        // From here on the install goes as with the settings found.
        CommandLine install = commandLine;
        if (commandLine.detectSettings) {
            const Detection found = DetectPrinter(log_, port, QueryCommandsFor(commandLine));
            if (!found.settings) {
                log_.Write(L"Nothing is set up or stored.");
                return found.exitCode;
            }
            install.settings = SettingsForInstall(log_, commandLine, port, found);
        }
        // A port found through its present device needs no other sign that the device is there.
        if (commandLine.device.empty()) {
            WarnWithoutSerialDevice(port);
        }
        const Spooler spooler;
        MakePortAvailable(spooler, port);
        const std::optional<InstalledPrinter> before = spooler.FindPrinter(queue_);
        log_.Write(Concat({L"Before: ", Describe(queue_, before), L"."}));
        SetUpDriver(spooler, folder, packageVersion, before.has_value());
        if (!before) {
            BeforeFirstChange();
            RunSetupCommand(Quiet(BuildInstallCommand(queue_, port, folder)));
        } else if (IsSetUpOn(*before, port)) {
            log_.Write(
                Concat({L"The printer is already set up on ", port, L"; it is not set up again."}));
        } else {
            MoveInPlace(spooler, *before, port);
        }

        const std::optional<InstalledPrinter> after = spooler.FindPrinter(queue_);
        const bool driver = spooler.DriverVersion(PrinterModelName).has_value();
        if (!after || !IsSetUpOn(*after, port) || !driver) {
            return NotConfirmed(
                Concat({L"the spooler shows ", Describe(queue_, after), L", and the driver ",
                        Quoted(PrinterModelName), driver ? L" is" : L" is not",
                        L" installed. Expected the printer on ", port,
                        L". The port settings are not stored."}));
        }
        log_.Write(Concat(
            {L"Confirmed by the spooler: ", Describe(queue_, after), L", driver installed."}));

        const int stored = StoreSettings(port, install.settings);
        if (stored != kExitDone) {
            return stored;
        }
        if (commandLine.checkAfterInstall) {
            const int checked =
                CheckPrinter(log_, port, install.settings, QueryCommandsFor(commandLine));
            if (checked != kExitDone) {
                // No detection value: the deployment tool then runs the install again later.
                log_.Write(
                    L"The printer stays set up and its settings stored; the detection value "
                    L"is not written.");
                return checked;
            }
        }
        return RecordForDetection(install, packageVersion);
    }

    // /check and /detect.
    int AskPrinter(const CommandLine& commandLine) {
        const std::wstring port = PortOf(commandLine);
        if (commandLine.mode == RunMode::Detect) {
            const Detection found = DetectPrinter(log_, port, QueryCommandsFor(commandLine));
            if (found.settings) {
                log_.Write(InstallAdvice(*found.settings));
            }
            return found.exitCode;
        }
        return CheckPrinter(log_, port, SettingsToCheck(commandLine, port, log_),
                            QueryCommandsFor(commandLine));
    }

    // Only what the spooler shows is removed: a command for what is not there would fail, and
    // leave a failure in the log of a run that succeeds. The driver goes with the last printer
    // that uses it, whoever set that printer up.
    int Remove() {
        // First, so that a removal that fails half-way is not detected as an install.
        if (!BeforeFirstChange()) {
            log_.Write(
                Concat({L"No detection value ", DetectionValueName(), L" was there to delete."}));
        }
        const Spooler spooler;
        const std::optional<InstalledPrinter> before = spooler.FindPrinter(queue_);
        const bool installed = spooler.DriverVersion(PrinterModelName).has_value();
        log_.Write(
            Concat({L"Before: ", Describe(queue_, before), L"; driver ", Quoted(PrinterModelName),
                    installed ? L" installed." : L" not installed."}));
        if (before) {
            RunSetupCommand(Quiet(BuildRemovePrinterCommand(queue_)));
        }
        const std::wstring users = installed ? spooler.PrintersUsing(PrinterModelName) : L"";
        if (!users.empty()) {
            log_.Write(Concat({L"The driver ", Quoted(PrinterModelName),
                               L" is kept: these printers use it: ", users, L"."}));
        } else if (installed) {
            RunSetupCommand(Quiet(BuildRemoveCommand()));
        } else if (!before) {
            log_.Write(L"Nothing to remove.");
            return kExitDone;
        }
        const std::optional<InstalledPrinter> after = spooler.FindPrinter(queue_);
        const bool driver = users.empty() && spooler.DriverVersion(PrinterModelName).has_value();
        if (after || driver) {
            return NotConfirmed(Concat({L"the spooler still shows ",
                                        after ? Describe(queue_, after)
                                              : Concat({L"the driver ", Quoted(PrinterModelName)}),
                                        L"."}));
        }
        log_.Write(users.empty()
                       ? L"Confirmed by the spooler: neither the printer nor its driver remains."
                       : L"Confirmed by the spooler: the printer is gone; its driver stays for "
                         L"the printers that use it.");
        return kExitDone;
    }

  private:
    // The detection value goes before the first change a run makes (and, for /remove, before
    // anything else), so that a run that fails half-way is not detected as the install it was
    // changing; a run that changes nothing leaves it, and only an install that ends with 0 writes
    // it again.
    // Returns whether this call found a value and deleted it.
    bool BeforeFirstChange() {
        if (detectionDeleted_) {
            return false;
        }
        const std::optional<std::wstring> detected = ReadDetectionValue(queue_);
        if (const long status = DeleteDetectionValue(queue_); status != ERROR_SUCCESS) {
            log_.Write(Concat({L"The detection value ", DetectionValueName(),
                               L" cannot be deleted, so nothing is changed: ",
                               SystemErrorText(static_cast<unsigned long>(status))}));
            throw RunEnds{kExitInstallFailed};
        }
        detectionDeleted_ = true;
        if (detected) {
            log_.Write(Concat({L"Deleted the detection value ", DetectionValueName(), L" = ",
                               Quoted(*detected), L"."}));
        }
        return detected.has_value();
    }

    // The port given, or that of /device.
    std::wstring PortOf(const CommandLine& commandLine) {
        return commandLine.device.empty() ? commandLine.port : DevicePort(commandLine.device);
    }

    // The port of the one present serial port device that id names; a device that is not there, or
    // an id that several devices hold, ends the run before anything is started.
    std::wstring DevicePort(const std::wstring& id) {
        std::vector<PortDevice> devices;
        try {
            devices = PresentPortDevices();
        } catch (const SystemCallFailed& error) {
            log_.Write(Concat(
                {L"The serial port devices cannot be listed: ", SystemErrorText(error.code())}));
            throw RunEnds{kExitInstallFailed};
        }
        const std::vector<PortDevice> matches = MatchingDevices(devices, id);
        if (matches.size() == 1) {
            log_.Write(Concat({L"Device ", Quoted(id), L" found: ", DescribeDevice(matches.front()),
                               L". Its port is ", DeviceComPort(matches.front()), L"."}));
            return DeviceComPort(matches.front());
        }
        const std::vector<PortDevice>& listed = matches.empty() ? devices : matches;
        std::wstring list;
        for (const PortDevice& device : listed) {
            list = Concat({list, list.empty() ? L" " : L"; ", DescribeDevice(device)});
        }
        if (matches.empty()) {
            log_.Write(Concat(
                {L"No present serial port device with a COM port matches ", Quoted(id),
                 L" (in its hardware IDs or instance ID). ",
                 devices.empty() ? L"No Ports device is present." : L"The Ports devices present:",
                 list, devices.empty() ? L"" : L"."}));
            throw RunEnds{kExitDeviceNotConnected};
        }
        log_.Write(Concat({DecimalText(static_cast<unsigned long>(matches.size())),
                           L" present serial port devices match ", Quoted(id),
                           L"; give an ID that only one of them holds, such as a part of its "
                           L"instance ID:",
                           list, L"."}));
        throw RunEnds{kExitInvalidCommandLine, L"/device matches several devices on this PC"};
    }

    static std::wstring DescribeDevice(const PortDevice& device) {
        std::wstring ids;
        for (const std::wstring& id : device.hardwareIds) {
            ids = ids.empty() ? id : Concat({ids, L", ", id});
        }
        return Concat({Quoted(device.friendlyName), L" on ",
                       device.portName.empty() ? L"no port" : device.portName, L", hardware IDs ",
                       ids.empty() ? L"none" : ids, L", instance ID ", device.instanceId});
    }

    // A step the spooler does not show as done: the reason, then where Windows says more.
    int NotConfirmed(std::wstring_view reason) {
        log_.Write(Concat({L"Not confirmed: ", reason}));
        log_.Write(kWhereToLookNext);
        return kExitInstallFailed;
    }

    std::wstring DetectionValueName() const {
        return Concat({L"HKEY_LOCAL_MACHINE\\", kDetectionKeyPath, L"\\", queue_});
    }

    // What deployment tools' detection rules compare, written only for an install that ends well.
    int RecordForDetection(const CommandLine& commandLine,
                           std::optional<std::uint64_t> packageVersion) {
        const std::wstring text = DetectionValueText(commandLine, packageVersion);
        if (const long status = WriteDetectionValue(queue_, text); status != ERROR_SUCCESS) {
            log_.Write(Concat({L"The detection value ", DetectionValueName(), L" was not written: ",
                               SystemErrorText(static_cast<unsigned long>(status))}));
            return kExitInstallFailed;
        }
        log_.Write(Concat(
            {L"Wrote the detection value ", DetectionValueName(), L" = ", Quoted(text), L"."}));
        return kExitDone;
    }

    // Never removed and made again: a failure then leaves the queue as it was, and a success keeps
    // all that belongs to it.
    void MoveInPlace(const Spooler& spooler, const InstalledPrinter& before,
                     const std::wstring& port) {
        BeforeFirstChange();
        try {
            spooler.ChangePrinter(queue_, port, PrinterModelName);
        } catch (const SystemCallFailed& error) {
            log_.Write(Concat({L"The printer could not be moved to ", port, L" with driver ",
                               Quoted(PrinterModelName), L": ", SystemErrorText(error.code()),
                               L" It stays as it was."}));
            log_.Write(kWhereToLookNext);
            throw RunEnds{kExitInstallFailed};
        }
        log_.Write(
            Concat({L"Moved the printer's queue_ ", Quoted(queue_), L" in place from port ",
                    Quoted(before.port), L" with driver ", Quoted(before.driver), L" to port ",
                    Quoted(port), L" with driver ", Quoted(PrinterModelName), L"."}));
    }

    // A serial port's line settings, as the dialog stores them.
    int StoreSettings(const std::wstring& port, const SettingListTexts& settings) {
        const auto value = PortSettingsToSave(port, settings);
        if (!value) {
            return kExitDone;
        }
        // Read for the log; the empty value that adding a port to the spooler leaves holds no
        // settings to speak of.
        const std::optional<std::wstring> held = StoredPortSettings(value->name);
        if (held != value->data) {
            BeforeFirstChange();
        }
        const long status = Mod_Register::WriteRegString(
            HKEY_LOCAL_MACHINE, std::wstring(Mod_Register::PortsKeyPath), value->name, value->data);
        if (status != ERROR_SUCCESS) {
            log_.Write(Concat({L"The settings of port ", value->name, L" (", value->data,
                               L") were not stored: ",
                               SystemErrorText(static_cast<unsigned long>(status))}));
            return kExitSettingsNotSaved;
        }
        log_.Write(Concat({L"Stored ", value->name, L" = ", value->data,
                           L" under HKEY_LOCAL_MACHINE\\", Mod_Register::PortsKeyPath, L".",
                           held && !held->empty() && *held != value->data
                               ? Concat({L" It replaced ", Quoted(*held), L"."})
                               : L""}));
        return kExitDone;
    }

    // The driver version the package's INF file declares; an INF that cannot be read ends the run,
    // since neither the update nor its confirmation could be decided. The INF is only read: the
    // set-up entry point installs from it.
    std::optional<std::uint64_t> ReadPackageVersion(const std::wstring& folder) {
        const std::wstring inf = DriverInfPath(folder);
        try {
            const std::optional<std::uint64_t> version = InfDriverVersion(inf);
            log_.Write(Concat({L"Driver package: ", inf, L", driver version ",
                               version ? DriverVersionText(*version) : L"not given", L"."}));
            return version;
        } catch (const SystemCallFailed& error) {
            log_.Write(Concat({L"Driver package: ", inf, L"; its driver version cannot be read: ",
                               SystemErrorText(error.code()), L" Nothing was changed."}));
            throw RunEnds{kExitInstallFailed};
        }
    }

    // A COM port with no serial device present now: worth a word, not a stop, since an adapter
    // may be unplugged while a fleet is set up.
    void WarnWithoutSerialDevice(const std::wstring& port) {
        if (IsComPortName(port) && !SerialDevicePresent(port)) {
            log_.Write(Concat({L"Warning: no serial device is present on ", port,
                               L" now (HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM). "
                               L"The printer is set up anyway and prints once the device is "
                               L"there."}));
        }
    }

    // The spooler's local port monitor knows only the ports it was given; a serial adapter's
    // COM5 and up must be added before a printer can be set up on it.
    void MakePortAvailable(const Spooler& spooler, const std::wstring& port) {
        try {
            if (spooler.HasPort(port)) {
                return;
            }
        } catch (const SystemCallFailed& error) {
            // The set-up then shows whether the spooler knows the port.
            log_.Write(Concat({L"Warning: the spooler's ports cannot be listed, so ", port,
                               L" is not added: ", SystemErrorText(error.code())}));
            return;
        }
        BeforeFirstChange();
        try {
            spooler.AddLocalPort(port);
        } catch (const SystemCallFailed& error) {
            log_.Write(Concat({L"The port ", port, L" could not be added to the spooler: ",
                               SystemErrorText(error.code())}));
            throw RunEnds{kExitInstallFailed};
        }
        if (!spooler.HasPort(port)) {
            log_.Write(
                Concat({L"The port ", port, L" was added, but the spooler does not list it."}));
            throw RunEnds{kExitInstallFailed};
        }
        log_.Write(Concat({L"Added the port ", port, L" to the spooler's local port monitor."}));
    }

    // Installs the model's driver ahead of the printer where the install command would not: for a
    // queue that has another driver, and when the installed driver's version is not the package's.
    void SetUpDriver(const Spooler& spooler, const std::wstring& folder,
                     std::optional<std::uint64_t> packageVersion, bool queueExists) {
        const std::optional<std::uint64_t> installed = spooler.DriverVersion(PrinterModelName);
        if (installed && InstalledDriverNewer(*installed, packageVersion)) {
            log_.Write(Concat({L"The installed driver has version ", DriverVersionText(*installed),
                               L", newer than the package's ", DriverVersionText(*packageVersion),
                               L": it is left as it is."}));
        } else if (installed && *installed == 0) {
            // The detection value still names the package's version: say that nothing was updated.
            log_.Write(
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
            log_.Write(Concat({L"The installed driver has version ", DriverVersionText(*installed),
                               L", the package ", DriverVersionText(*packageVersion),
                               L": the driver is updated."}));
        } else if (!queueExists) {
            return;  // the install command brings the driver with the printer
        }
        BeforeFirstChange();
        RunSetupCommand(Quiet(BuildInstallDriverCommand(folder)));
        const std::optional<std::uint64_t> now = spooler.DriverVersion(PrinterModelName);
        if (!DriverInstallConfirmed(now, installed ? packageVersion : std::nullopt)) {
            throw RunEnds{
                NotConfirmed(Concat({L"the spooler shows ",
                                     now ? Concat({L"driver version ", DriverVersionText(*now)})
                                         : Concat({L"no driver ", Quoted(PrinterModelName)}),
                                     L". The printer stays as it was."}))};
        }
        log_.Write(Concat({L"Confirmed by the spooler: driver ", Quoted(PrinterModelName),
                           *now ? Concat({L" version ", DriverVersionText(*now)})
                                : L" installed (the system keeps no version for it)",
                           L"."}));
    }

    // Runs one set-up command to its end; a command that cannot start, or does not end in time,
    // ends the run.
    void RunSetupCommand(const std::wstring& command) {
        log_.Write(Concat({L"Starting: ", command}));
        CommandRun ran;
        try {
            ran = RunCommand(command, timeout_);
        } catch (const SystemCallFailed& error) {
            log_.Write(
                Concat({L"The command could not be started: ", SystemErrorText(error.code())}));
            throw RunEnds{kExitFailed};
        }
        if (ran.job != CommandJob::Own) {
            log_.Write(Concat({L"The job this run is in refused the tool's own job",
                               ran.job == CommandJob::BrokenAway
                                   ? L"; the command was started outside it."
                                   : L" and a start outside it; the command ran without one."}));
        }
        if (!ran.exitCode) {
            log_.Write(
                Concat({L"The command had not ended after ",
                        DecimalText(static_cast<unsigned long>(timeout_.count())),
                        L" seconds: it was stopped",
                        ran.job == CommandJob::AgentsOnly ? L"; what it started may still run."
                                                          : L", with every process it started.",
                        L" Likely cause: a prompt nobody can answer under SYSTEM, such as a driver "
                        L"signature prompt (see \"Driver signatures\" in the guide \"portsetup for "
                        L"Windows administrators\")."}));
            throw RunEnds{kExitSetupTimedOut};
        }
        log_.Write(
            Concat({L"The command ended with exit code ", DecimalText(*ran.exitCode), L"."}));
    }

    SetupLog& log_;
    std::chrono::seconds timeout_;
    const std::wstring queue_;  // the queue /name gives, or the one named after the model
    bool detectionDeleted_ = false;
};

std::wstring ArgumentsText(std::span<const std::wstring> args) {
    std::wstring text;
    for (const std::wstring& arg : args) {
        const bool quote = arg.empty() || arg.find_first_of(L" \t") != std::wstring::npos;
        text = Concat({text, text.empty() ? L"" : L" ", quote ? Quoted(arg) : arg});
    }
    return text;
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
    const std::wstring started =
        Concat({L"portsetup ", version, L" started with: ", ArgumentsText(args)});
    if (!commandLine.error.empty()) {
        // The reason goes wherever it can; a log that cannot be written changes nothing here.
        if (!commandLine.logPath.empty()) {
            try {
                log.OpenFile(commandLine.logPath, started);
            } catch (const LogFileRefused& refused) {
                log.Write(Concat({L"The log ", Quoted(commandLine.logPath), L" cannot be written: ",
                                  refused.reason}));
            }
        }
        log.Write(Concat({L"Invalid command line: ", commandLine.error,
                          L" Correct the command line (in a deployment, the install or uninstall "
                          L"command): portsetup.exe /? lists the switches, and \"Deploying to "
                          L"many PCs\" in the guide \"portsetup for Windows administrators\" "
                          L"shows how to call the tool."}));
        return {kExitInvalidCommandLine};
    }
    if (!commandLine.logPath.empty()) {
        try {
            log.OpenFile(commandLine.logPath, started);
        } catch (const LogFileRefused& refused) {
            log.Write(Concat({L"The log ", Quoted(commandLine.logPath), L" cannot be written: ",
                              refused.reason}));
            return {kExitLogFailed};
        }
    }

    const RunLock runLock;
    if (runLock.global()) {
        log.Write(Concat({L"This system makes no private namespaces: the run lock is the mutex ",
                          kGlobalRunLockName, L", which any user could take first."}));
    }
    if (runLock.error()) {
        log.Write(Concat({L"The run lock cannot be made: ", SystemErrorText(runLock.error())}));
    }
    if (runLock.state() != RunLock::State::Taken) {
        log.Write(runLock.state() == RunLock::State::HeldElsewhere
                      ? L"Another unattended run of portsetup is under way."
                      : L"Cannot tell whether another run of portsetup is under way.");
        return {kExitAlreadyRunning};
    }
    UnattendedRun run(log, commandLine);
    try {
        if (commandLine.mode == RunMode::Check || commandLine.mode == RunMode::Detect) {
            return {run.AskPrinter(commandLine)};
        }
        return {commandLine.mode == RunMode::Install ? run.Install(commandLine) : run.Remove()};
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
