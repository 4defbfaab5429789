#include "model/line_failure.h"

#include <string>

#include "model/port_name.h"
#include "model/text.h"

namespace portsetup {
namespace {

// Each request at one speed, as /detect may ask them: DLE EOT 1 twice, then 2, 3 and 4.
constexpr std::size_t kMostRequestsAtOneSpeed = 5;
// The open and the line's set-up, which take well under a second on a port that works.
constexpr std::chrono::milliseconds kOpenMargin{3000};

constexpr std::wstring_view kInReach =
    L"Check that the printer and its adapter are switched on and in reach";

}  // namespace

CheckResult LineFailure(std::string_view call, unsigned long systemError, std::wstring_view port,
                        const QueryCommands& commands) {
    constexpr unsigned long kFileNotFound = 2;
    constexpr unsigned long kPathNotFound = 3;
    constexpr unsigned long kAccessDenied = 5;
    constexpr unsigned long kBadCommand = 22;
    constexpr unsigned long kGenFailure = 31;
    constexpr unsigned long kSharingViolation = 32;
    constexpr unsigned long kNoSuchDevice = 433;
    constexpr unsigned long kDeviceNotConnected = 1167;
    const std::wstring failed(call.begin(), call.end());
    const bool open = call == "CreateFileW";
    CheckResult result{kExitDeviceNotConnected, {}, {}, {}};
    std::wstring_view todo = kInReach;
    if (open && (systemError == kAccessDenied || systemError == kSharingViolation)) {
        result.code = kExitBusy;
        result.finding =
            Concat({L"Another program holds ", port,
                    L", for example the spooler while it prints. The port is left alone."});
        todo = L"The spooler opens the port for each job: clear the printer's queue";
    } else if (open && (systemError == kFileNotFound || systemError == kPathNotFound)) {
        result.code = kExitBadUnit;
        result.finding = Concat({L"This PC has no port ", port, L"."});
        todo =
            L"Check the port's number in Device Manager (Ports), and that its adapter is plugged "
            L"in";
    } else if (systemError == kDeviceNotConnected && IsUsbPortName(port)) {
        result.finding = Concat({L"No USB printer is plugged in on ", port, L"."});
        todo = L"Plug the printer in, or find its port in the log of its install";
    } else if (open) {
        result.finding = Concat({port, L" cannot be opened."});
    } else if (systemError == kAccessDenied || systemError == kBadCommand ||
               systemError == kGenFailure || systemError == kNoSuchDevice ||
               systemError == kDeviceNotConnected) {
        result.finding = Concat(
            {port, L" went away while in use (", failed, L" failed): its adapter was pulled out."});
        todo = L"Plug the adapter in again";
    } else {
        result.finding = Concat({failed, L" failed on ", port, L"."});
    }
    result.advice = Concat({todo, L"; ", CheckAgain(commands)});
    return result;
}

bool SpeedRefused(std::string_view call, unsigned long systemError) {
    constexpr unsigned long kInvalidParameter = 87;
    return call == "SetCommState" && systemError == kInvalidParameter;
}

std::chrono::milliseconds ExchangeDeadline(std::size_t speeds) {
    // Per request: the write's limit, the answer's wait and the second wait after silence.
    return kOpenMargin + static_cast<long long>(speeds * kMostRequestsAtOneSpeed * 3) * kAnswerWait;
}

CheckResult DeadlinePassed(std::string_view call, std::chrono::milliseconds deadline,
                           std::wstring_view port, const QueryCommands& commands) {
    const std::wstring calls =
        call.empty() ? L"The exchange" : std::wstring(call.begin(), call.end());
    return {
        kExitSetupTimedOut,
        Concat({calls, L" on ", port, L" did not return within ",
                DecimalText(static_cast<unsigned long>((deadline.count() + 999) / 1000)), L" s."}),
        L"",
        Concat({L"Plug the adapter out and in, or switch the Bluetooth printer off and on; ",
                CheckAgain(commands)})};
}

}  // namespace portsetup
