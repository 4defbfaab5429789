#include "unattended/run_start.h"

#include "actions/error_text.h"
#include "model/exit_codes.h"
#include "model/text.h"

namespace portsetup {
namespace {

std::wstring ArgumentsText(std::span<const std::wstring> args) {
    std::wstring text;
    for (const std::wstring& arg : args) {
        const bool quote = arg.empty() || arg.find_first_of(L" \t") != std::wstring::npos;
        text = Concat({text, text.empty() ? L"" : L" ", quote ? Quoted(arg) : arg});
    }
    return text;
}

// Returns whether the log file is open; when it is not, the log says why.
bool OpenLogFile(SetupLog& log, const std::wstring& path, std::wstring_view firstLine) {
    try {
        log.OpenFile(path, firstLine);
        return true;
    } catch (const LogFileRefused& refused) {
        log.Write(Concat({L"The log ", Quoted(path), L" cannot be written: ", refused.reason}));
        return false;
    }
}

}  // namespace

std::optional<RunEnds> OpenRunLog(const CommandLine& commandLine,
                                  std::span<const std::wstring> args, std::wstring_view version,
                                  SetupLog& log) {
    const std::wstring started =
        Concat({L"portsetup ", version, L" started with: ", ArgumentsText(args)});
    if (!commandLine.error.empty()) {
        // The reason goes wherever it can; a log that cannot be written changes nothing here.
        if (!commandLine.logPath.empty()) {
            OpenLogFile(log, commandLine.logPath, started);
        }
        log.Write(Concat({L"Invalid command line: ", commandLine.error,
                          L" Correct the command line (in a deployment, the install or uninstall "
                          L"command): portsetup.exe /? lists the switches, and \"Deploying to "
                          L"many PCs\" in the guide \"portsetup for Windows administrators\" "
                          L"shows how to call the tool."}));
        return RunEnds{kExitInvalidCommandLine};
    }
    if (!commandLine.logPath.empty() && !OpenLogFile(log, commandLine.logPath, started)) {
        return RunEnds{kExitLogFailed};
    }
    return std::nullopt;
}

std::optional<RunEnds> CheckRunLock(const RunLock& runLock, SetupLog& log) {
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
        return RunEnds{kExitAlreadyRunning};
    }
    return std::nullopt;
}

}  // namespace portsetup
