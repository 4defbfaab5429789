// What an unattended run does before its first step: the line that names it, the reason a
// command line is refused, the log file opened, and the run lock that keeps a second run out.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/command_line.h"
#include "unattended/run_context.h"
#include "unattended/run_lock.h"

namespace portsetup {

// Opens /log's file, starting it with the run's first line. A command line that is not valid ends
// the run (1639), its reason logged wherever it can be; a log file that cannot be written ends it
// (1622).
std::optional<RunEnds> OpenRunLog(const CommandLine& commandLine,
                                  std::span<const std::wstring> args, std::wstring_view version,
                                  SetupLog& log);

// Says what the lock is, and ends the run (1618) unless this run took it.
std::optional<RunEnds> CheckRunLock(const RunLock& runLock, SetupLog& log);

}  // namespace portsetup
