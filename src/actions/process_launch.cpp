#include "actions/process_launch.h"

#include <vector>

#include "actions/last_error.h"
#include "actions/system_text.h"
#include "actions/win32_handles.h"

namespace portsetup {
namespace {

std::wstring SystemFolder() {
    std::optional<std::wstring> folder = TextFromSystem(
        [](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); });
    if (!folder) {
        ThrowLastError("GetSystemDirectoryW");
    }
    return std::move(*folder);
}

struct Started {
    UniqueKernelHandle process;
    UniqueKernelHandle thread;
};

// Returns false, with the system's error as the last error, when the process cannot be started.
bool TryStartRundll32(const std::wstring& commandLine, WORD showWindow, DWORD flags,
                      Started& started) {
    // Named by its full path: a bare "rundll32" would be looked for in this program's folder and
    // the current folder first, where anybody may have put one.
    const std::wstring rundll32 = SystemFolder() + L"\\rundll32.exe";
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');  // CreateProcessW may write into its command line

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showWindow;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(rundll32.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, flags,
                        nullptr, nullptr, &startup, &process)) {
        return false;
    }
    started = {UniqueKernelHandle(process.hProcess), UniqueKernelHandle(process.hThread)};
    return true;
}

static_assert(kCreateSuspended == CREATE_SUSPENDED &&
              kCreateBreakawayFromJob == CREATE_BREAKAWAY_FROM_JOB);

// Starts the command in the way given, then puts it into the job. Returns 0, or the error that
// refused this way; a process that could not join the job is ended.
DWORD StartInJob(const std::wstring& commandLine, CommandJob way, HANDLE job, Started& started) {
    if (!TryStartRundll32(commandLine, SW_HIDE, CommandCreationFlags(way), started)) {
        return GetLastError();
    }
    if (way != CommandJob::AgentsOnly && !AssignProcessToJobObject(job, started.process.get())) {
        const DWORD error = GetLastError();
        TerminateProcess(started.process.get(), error);
        return error;
    }
    return ERROR_SUCCESS;
}

}  // namespace

void LaunchCommand(const std::wstring& commandLine) {
    Started started;
    if (!TryStartRundll32(commandLine, SW_SHOWMINIMIZED, 0, started)) {
        ThrowLastError("CreateProcessW");
    }
}

CommandRun RunCommand(const std::wstring& commandLine, std::chrono::milliseconds timeout) {
    // Everything the command starts joins its job; closing the job's last handle ends them all,
    // however this function is left.
    const UniqueKernelHandle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                         sizeof limits)) {
        ThrowLastError("CreateJobObjectW");
    }
    Started started;
    CommandJob way = CommandJob::Own;
    for (DWORD error; (error = StartInJob(commandLine, way, job.get(), started)) != 0;) {
        const std::optional<CommandJob> next = NextCommandJob(way, error);
        if (!next) {
            ThrowSystemError(error, "starting the set-up command");
        }
        way = *next;
    }
    ResumeThread(started.thread.get());
    const DWORD waited =
        WaitForSingleObject(started.process.get(), static_cast<DWORD>(timeout.count()));
    if (waited == WAIT_TIMEOUT) {
        if (way == CommandJob::AgentsOnly) {
            TerminateProcess(started.process.get(), ERROR_TIMEOUT);
        } else {
            TerminateJobObject(job.get(), ERROR_TIMEOUT);
        }
        return {std::nullopt, way};
    }
    DWORD exitCode = 0;
    if (waited != WAIT_OBJECT_0 || !GetExitCodeProcess(started.process.get(), &exitCode)) {
        ThrowLastError("WaitForSingleObject");
    }
    return {exitCode, way};
}

}  // namespace portsetup
