// How a set-up command is kept in hand when the tool itself runs inside a deployment agent's job.
// Jobs nest only where neither sets user-interface limits; otherwise the agent's job refuses the
// tool's own ("Nested Jobs", learn.microsoft.com).
#pragma once

#include <optional>

namespace portsetup {

enum class CommandJob {
    Own,         // in a job of the tool's own, which ends it and all it started at the time limit
    BrokenAway,  // started outside the agent's job, then in a job of the tool's own
    AgentsOnly,  // in the agent's job only: at the time limit only the command itself is ended
};

// The process creation flags of a set-up command started in that way: suspended, so that nothing
// it starts can escape the job it is then put into, and for BrokenAway outside the agent's job.
inline constexpr unsigned long kCreateSuspended = 0x00000004;         // CREATE_SUSPENDED
inline constexpr unsigned long kCreateBreakawayFromJob = 0x01000000;  // CREATE_BREAKAWAY_FROM_JOB
inline unsigned long CommandCreationFlags(CommandJob way) {
    return kCreateSuspended | (way == CommandJob::BrokenAway ? kCreateBreakawayFromJob : 0);
}

// The way to try after starting the command in the way failed with the system's error code;
// nothing when that failure ends the attempt. Only a refusal (access denied) is worth another way:
// any other error would meet the next way too.
inline std::optional<CommandJob> NextCommandJob(CommandJob failed, unsigned long error) {
    constexpr unsigned long kErrorAccessDenied = 5;  // ERROR_ACCESS_DENIED
    if (error != kErrorAccessDenied) {
        return std::nullopt;
    }
    switch (failed) {
        case CommandJob::Own:
            return CommandJob::BrokenAway;
        case CommandJob::BrokenAway:
            return CommandJob::AgentsOnly;
        case CommandJob::AgentsOnly:
            break;
    }
    return std::nullopt;
}

}  // namespace portsetup
