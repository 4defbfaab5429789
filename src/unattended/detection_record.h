// The detection value a deployment tool's rule reads: deleted before the first change a run
// makes, written only by an install that ends with 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/command_line.h"
#include "unattended/run_context.h"

namespace portsetup {

// The value's full name, as the log shows it.
std::wstring DetectionValueName(const RunContext& run);

// Deletes the queue's detection value once a run, before its first change (and, for /remove,
// before anything else; with /check, before the check at the latest), so that a run that fails
// half-way is not detected as the install it was changing; a run that changes nothing leaves it.
// Returns whether this call found a value and deleted it. A value that cannot be deleted ends the
// run (1603) with nothing changed.
bool BeforeFirstChange(RunContext& run);

// Writes what the install on port did, for the detection rule to compare. Returns the exit code.
int RecordForDetection(RunContext& run, const CommandLine& commandLine, const std::wstring& port,
                       std::optional<std::uint64_t> packageVersion);

}  // namespace portsetup
