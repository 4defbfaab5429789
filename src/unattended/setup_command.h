// The system's printer set-up commands as an unattended run starts them: one at a time, each
// waited for within the run's time limit; and what the log says when the spooler does not show a
// step as done.
#pragma once

#include <string>
#include <string_view>

#include "unattended/run_context.h"

namespace portsetup {

// For the spooler's 1603s: the tool sees only the outcome, Windows logs the cause.
inline constexpr std::wstring_view kWhereToLookNext =
    L"Where to look next: %WINDIR%\\INF\\setupapi.dev.log (the driver's installation), the "
    L"PrintService event log (Event Viewer > Applications and Services Logs > Microsoft > "
    L"Windows > PrintService), and whether the PC trusts the driver package's publisher (see "
    L"\"Driver signatures\" in the guide \"portsetup for Windows administrators\").";

// Runs one set-up command to its end; a command that cannot start (1), or does not end in time
// (1460), ends the run.
void RunSetupCommand(RunContext& run, const std::wstring& command);

// A step the spooler does not show as done: the reason, then where Windows says more. Returns the
// run's exit code, 1603.
int NotConfirmed(SetupLog& log, std::wstring_view reason);

}  // namespace portsetup
