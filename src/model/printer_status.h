// What the tool asks a receipt printer over its serial line, and what it makes of the answers.
// It asks with the ESC/POS real-time status request DLE EOT n (bytes 10 04 n), which the command
// references of Epson's TM series, Citizen, Bixolon and Partner define alike: the printer answers
// each request with one byte of the form 0xx1xx10b, also while it is offline or out of paper, on a
// serial line (not on a parallel one). Nothing else ever goes down the line, so that a device
// that is not such a printer receives only these few bytes.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/exit_codes.h"
#include "model/setting_lists.h"

namespace portsetup {

enum class StatusRequest : unsigned char {
    Printer = 1,       // asked first; bit 3: offline
    OfflineCause = 2,  // asked of a printer that says it is offline
    ErrorCause = 3,    // asked when the offline cause is an error
    RollSensor = 4,    // asked in any case
};

// DLE EOT n.
std::array<unsigned char, 3> RequestBytes(StatusRequest request);

// How long an answer may take: a USB adapter holds received bytes for up to 16 ms, and at 1200
// bits per second the request and its answer take 33 ms on the line; short enough that /detect
// tries all its speeds within a few seconds.
inline constexpr std::chrono::milliseconds kAnswerWait{250};

inline constexpr std::size_t kRequestSize = 3;

struct StatusExchange {
    StatusRequest request;
    std::vector<unsigned char> received;  // what came back within the wait; empty: nothing did
    std::size_t sent = kRequestSize;      // of the request's bytes, those the line took in time
    // What came in a second wait after silence, before the line was cleared again: an answer too
    // late to be told from the next request's, so it is nobody's.
    std::vector<unsigned char> late = {};
};

// What came back, with what is no status answer set aside: XON (11) and XOFF (13), which a busy
// or offline printer sends on its own, and four-byte automatic status back groups (first byte
// 0xx1xx00b), which printers set to send them do unasked (Epson's DLE EOT page: they "must be
// differentiated").
struct SortedAnswer {
    std::vector<unsigned char> answer;
    std::vector<unsigned char> setAside;
};
SortedAnswer SortReceived(const std::vector<unsigned char>& received);

// Whether the exchange brought one status byte, 0xx1xx10b, once the rest is set aside.
bool IsStatusAnswer(const StatusExchange& exchange);

// Whether the line must be given a second wait and cleared before anything else is sent: after
// silence, or after what was no answer, a late answer may still be on its way.
bool NeedsSettling(const StatusExchange& exchange);

// The request that follows the exchanges so far, or nothing when the check is complete. Nothing
// follows bytes that are not a status answer, a request not sent, nor silence to the first
// request.
std::optional<StatusRequest> NextStatusRequest(std::span<const StatusExchange> exchanges);

// The commands the advice names: the /check and the /detect for the same port.
struct QueryCommands {
    std::wstring check;
    std::wstring detect;
};

struct CheckResult {
    ExitCode code;
    std::wstring finding;  // what came back, as a sentence
    std::wstring warning;  // worth a word with exit code 0 too; empty when nothing is
    std::wstring advice;   // what to do next; empty when nothing
};

// What the exchanges of a check mean. commands.detect is empty for a USB printer, which has no
// speed to find: the advice then says what holds there.
CheckResult JudgeStatus(std::span<const StatusExchange> exchanges, const QueryCommands& commands);

// "then check again: portsetup.exe /check COM7.", the end of the advice after any fault.
std::wstring CheckAgain(const QueryCommands& commands);

// What to do about answers that come after their wait: a USB serial adapter's latency timer.
inline constexpr std::wstring_view kLateAnswerAdvice =
    L"Set the USB adapter's latency timer to 16 ms or less (Device Manager, the port, Port "
    L"Settings, Advanced)";

// One exchange as the log shows it: "DLE EOT 4 (roll paper sensor): 12".
std::wstring DescribeExchange(const StatusExchange& exchange);

}  // namespace portsetup
