#include "actions/job_fallback.h"

namespace portsetup {

namespace {

constexpr unsigned long kErrorAccessDenied = 5;  // ERROR_ACCESS_DENIED

}  // namespace

std::optional<CommandJob> NextCommandJob(CommandJob failed, unsigned long error) {
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
