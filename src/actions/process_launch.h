// Starting the printer set-up command: shown for the dialog, or hidden and waited for.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "actions/job_fallback.h"

namespace portsetup {

// Starts commandLine, whose program is rundll32, with the system folder's rundll32.exe, its first
// window minimised with the focus. Does not wait for it. Throws SystemCallFailed carrying the
// system's error code when the process cannot be started.
void LaunchCommand(const std::wstring& commandLine);

struct CommandRun {
    // Nothing when it still ran at the time limit, and was ended.
    std::optional<unsigned long> exitCode;
    // How it was kept in hand.
    CommandJob job = CommandJob::Own;
};

// Starts commandLine as LaunchCommand does, but with its window hidden, and waits up to timeout
// for it to end. In a job of its own, a command still running at the timeout is ended with every
// process it started, so that no half-done set-up outlives the run; where the tool's own job is
// refused, it is started outside the agent's job, or else without a job of the tool's own and
// then only it is ended. Throws SystemCallFailed when it cannot be started in any of these ways.
CommandRun RunCommand(const std::wstring& commandLine, std::chrono::milliseconds timeout);

}  // namespace portsetup
