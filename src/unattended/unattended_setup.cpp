#include "unattended/unattended_setup.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <system_error>

#include "actions/error_text.h"
#include "actions/mod_register.h"
#include "actions/mod_register_win32.h"
#include "actions/port_settings.h"
#include "actions/printer_commands.h"
#include "actions/process_launch.h"
#include "unattended/setup_log.h"
#include "actions/spooler.h"
#include "actions/win32_handles.h"
#include "model/exit_codes.h"
#include "model/text.h"

namespace portsetup {
namespace {

using namespace std::chrono_literals;

// A set-up command that has not ended by then is taken to hang, waiting for an answer nobody can
// give, and the run gives up on it.
constexpr auto kCommandTimeout = 10min;

// One unattended run at a time on the machine, whichever session started it.
constexpr wchar_t kRunMutexName[] = L"Global\\PortSetup.Unattended";

// A step that ends the run with its own exit code, after saying why.
struct RunEnds {
    int exitCode;
};

std::wstring SystemReason(const std::system_error& error) {
    return SystemErrorText(static_cast<unsigned long>(error.code().value()));
}

std::wstring Describe(const std::optional<InstalledPrinter>& printer) {
    if (!printer) {
        return Concat({L"no printer named ", Quoted(PrinterModelName)});
    }
    return Concat({L"printer ", Quoted(PrinterModelName), L" on port ", Quoted(printer->port),
                   L" with driver ", Quoted(printer->driver)});
}

class UnattendedRun {
  public:
    explicit UnattendedRun(SetupLog& log) : log_(log) {}

    int Install(const CommandLine& commandLine) {
        const std::wstring folder = ProgramFolder();
        if (!DriverInfPresent(folder)) {
            log_.Write(Concat({L"The driver package is missing: ", DriverInfFileName,
                               L" is not in ", Quoted(folder),
                               L". Copy or extract the whole driver package and run "
                               L"portsetup.exe from that folder."}));
            return kExitPackageMissing;
        }
        log_.Write(Concat({L"Driver package: ", DriverInfPath(folder)}));

        const std::wstring& port = commandLine.port;
        const Spooler spooler;
        const std::optional<InstalledPrinter> before = spooler.FindPrinter(PrinterModelName);
        log_.Write(Concat({L"Before: ", Describe(before), L"."}));
        if (before && IsSetUpOn(*before, port)) {
            log_.Write(
                Concat({L"The printer is already set up on ", port, L"; it is not set up again."}));
        } else {
            // The entry point would add a second queue beside one of the same name, so one on
            // another port, or with another driver, goes first.
            if (before) {
                RunSetupCommand(Quiet(BuildRemovePrinterCommand()));
                if (spooler.FindPrinter(PrinterModelName)) {
                    log_.Write(L"The printer's queue on the other port is still there.");
                    return kExitInstallFailed;
                }
            }
            RunSetupCommand(Quiet(BuildInstallCommand(port, folder)));
        }

        const std::optional<InstalledPrinter> after = spooler.FindPrinter(PrinterModelName);
        const bool driver = spooler.HasDriver(PrinterModelName);
        if (!after || !IsSetUpOn(*after, port) || !driver) {
            log_.Write(
                Concat({L"Not confirmed: the spooler shows ", Describe(after), L", and the driver ",
                        Quoted(PrinterModelName), driver ? L" is" : L" is not",
                        L" installed. Expected the printer on ", port,
                        L". The port settings are not stored."}));
            return kExitInstallFailed;
        }
        log_.Write(
            Concat({L"Confirmed by the spooler: ", Describe(after), L", driver installed."}));

        if (const auto value = PortSettingsToSave(commandLine.port, commandLine.settings)) {
            const long status = Mod_Register::WriteRegString(
                HKEY_LOCAL_MACHINE, std::wstring(Mod_Register::PortsKeyPath), value->name,
                value->data);
            if (status != ERROR_SUCCESS) {
                log_.Write(Concat({L"The settings of port ", value->name, L" (", value->data,
                                   L") were not stored: ",
                                   SystemErrorText(static_cast<unsigned long>(status))}));
                return kExitSettingsNotSaved;
            }
            log_.Write(Concat({L"Stored ", value->name, L" = ", value->data,
                               L" under HKEY_LOCAL_MACHINE\\", Mod_Register::PortsKeyPath, L"."}));
        }
        return kExitDone;
    }

    int Remove() {
        RunSetupCommand(Quiet(BuildRemovePrinterCommand()));
        RunSetupCommand(Quiet(BuildRemoveCommand()));
        const Spooler spooler;
        const std::optional<InstalledPrinter> printer = spooler.FindPrinter(PrinterModelName);
        const bool driver = spooler.HasDriver(PrinterModelName);
        if (printer || driver) {
            log_.Write(Concat(
                {L"Not confirmed: the spooler still shows ",
                 printer ? Describe(printer) : Concat({L"the driver ", Quoted(PrinterModelName)}),
                 L"."}));
            return kExitInstallFailed;
        }
        log_.Write(L"Confirmed by the spooler: neither the printer nor its driver remains.");
        return kExitDone;
    }

  private:
    // Runs one set-up command to its end; a command that cannot start, or does not end in time,
    // ends the run.
    void RunSetupCommand(const std::wstring& command) {
        log_.Write(Concat({L"Starting: ", command}));
        std::optional<unsigned long> exitCode;
        try {
            exitCode = RunCommand(command, kCommandTimeout);
        } catch (const std::system_error& error) {
            log_.Write(Concat({L"The command could not be started: ", SystemReason(error)}));
            throw RunEnds{kExitFailed};
        }
        if (!exitCode) {
            log_.Write(L"The command has not ended after 10 minutes; it is left running.");
            throw RunEnds{kExitSetupTimedOut};
        }
        log_.Write(Concat({L"The command ended with exit code ", DecimalText(*exitCode), L"."}));
    }

    SetupLog& log_;
};

std::wstring ArgumentsText(std::span<const std::wstring> args) {
    std::wstring text;
    for (const std::wstring& arg : args) {
        const bool quote = arg.empty() || arg.find_first_of(L" \t") != std::wstring::npos;
        text = Concat({text, text.empty() ? L"" : L" ", quote ? Quoted(arg) : arg});
    }
    return text;
}

std::wstring ExitText(int exitCode) {
    for (const ExitCodeMeaning& exit : kExitCodeMeanings) {
        if (exit.code == exitCode) {
            return Concat({L"Exit code ", DecimalText(static_cast<unsigned long>(exitCode)), L": ",
                           exit.meaning, L"."});
        }
    }
    return Concat({L"Exit code ", DecimalText(static_cast<unsigned long>(exitCode)), L"."});
}

int CarryOut(const CommandLine& commandLine, std::span<const std::wstring> args,
             std::wstring_view version, SetupLog& log) {
    const std::wstring started =
        Concat({L"portsetup ", version, L" started with: ", ArgumentsText(args)});
    if (!commandLine.error.empty()) {
        // The reason goes wherever it can; a log that cannot be written changes nothing here.
        if (!commandLine.logPath.empty()) {
            try {
                log.OpenFile(commandLine.logPath, started);
            } catch (const LogFileRefused&) {
            }
        }
        log.Write(
            Concat({L"Invalid command line: ", commandLine.error, L" See portsetup.exe /?."}));
        return kExitInvalidCommandLine;
    }
    if (!commandLine.logPath.empty()) {
        try {
            log.OpenFile(commandLine.logPath, started);
        } catch (const LogFileRefused& refused) {
            log.Write(Concat({L"The log ", Quoted(commandLine.logPath), L" cannot be written: ",
                              refused.reason}));
            return kExitLogFailed;
        }
    }

    const UniqueKernelHandle runMutex(CreateMutexW(nullptr, FALSE, kRunMutexName));
    if (!runMutex || GetLastError() == ERROR_ALREADY_EXISTS) {
        log.Write(runMutex ? L"Another unattended run of portsetup is under way."
                           : L"Cannot tell whether another run of portsetup is under way.");
        return kExitAlreadyRunning;
    }
    UnattendedRun run(log);
    try {
        return commandLine.mode == RunMode::Install ? run.Install(commandLine) : run.Remove();
    } catch (const RunEnds& ends) {
        return ends.exitCode;
    } catch (const std::system_error& error) {
        // The spooler, or the program's own folder, could not be read: nothing can be confirmed.
        log.Write(Concat({L"The run stopped: ", SystemReason(error)}));
        return kExitInstallFailed;
    }
}

}  // namespace

int RunUnattended(const CommandLine& commandLine, std::span<const std::wstring> args,
                  std::wstring_view version) noexcept {
    try {
        SetupLog log;
        const int exitCode = CarryOut(commandLine, args, version, log);
        log.Write(ExitText(exitCode));
        return exitCode;
    } catch (...) {
        return kExitInstallFailed;  // out of memory: nothing more can be said
    }
}

}  // namespace portsetup
