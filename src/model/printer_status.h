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

// One exchange as the log shows it: "DLE EOT 4 (roll paper sensor): 12".
std::wstring DescribeExchange(const StatusExchange& exchange);

// /detect at one speed: DLE EOT 1, then DLE EOT 1 again to confirm, then the check's requests.
// The request that follows, or nothing when this speed is done with.
std::optional<StatusRequest> NextDetectionRequest(std::span<const StatusExchange> exchanges);
// Whether the printer answers at this speed: two alike answers to DLE EOT 1, and a check that
// does not end in 13 (answers that are no status bytes are another speed's).
bool FoundAtThisSpeed(std::span<const StatusExchange> exchanges);
// The check part of a speed's exchanges, once found: without the confirming request.
std::span<const StatusExchange> CheckedAtThisSpeed(std::span<const StatusExchange> exchanges);

// The line settings /detect tries, one a speed, in the order receipt printers are most often set
// to: 9600, 19200, 38400, 115200, 57600, 4800, 2400, 1200, then the dialog's other speeds. Each
// with 8 data bits, no parity, 1 stop bit and no flow control, as printers leave the factory.
std::vector<SettingListTexts> DetectionSettings();

// /install ... /settings detect: the speed found, with the flow control given as
// /settings detect,FLOW, or else the one of the port's stored value, or else none (the dialog's
// default). Detection finds the speed and never the handshake.
SettingListTexts DetectedSettings(const SettingListTexts& found, std::wstring_view givenFlow,
                                  const std::optional<std::wstring>& storedValue);

// What to give the install command after /detect found settings.
std::wstring InstallAdvice(const SettingListTexts& found);

// The outcome when call (the system function's name) failed on port with systemError. The open,
// CreateFileW: held by another program (ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION) gives
// ERROR_BUSY; not there (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND) gives ERROR_BAD_UNIT. Any call
// after the open that fails as a USB adapter does once pulled out (5, 22, 31, 433, 1167) gives
// ERROR_DEVICE_NOT_CONNECTED, saying so, as does a USB port with no printer plugged in on it
// (1167); anything else, a printer that cannot be reached.
CheckResult LineFailure(std::string_view call, unsigned long systemError, std::wstring_view port,
                        const QueryCommands& commands);

// Whether /detect goes on to the next speed after call failed with systemError: only when
// SetCommState refuses the speed (ERROR_INVALID_PARAMETER).
bool SpeedRefused(std::string_view call, unsigned long systemError);

// The last line of a detection that found no speed; lateAnswers: answers came after their wait.
std::wstring NoSpeedFound(bool lateAnswers);

// How long the whole exchange with the port may take, the open included, for the number of
// speeds tried: each request's wait and its second wait, and a margin for the open.
std::chrono::milliseconds ExchangeDeadline(std::size_t speeds);

// The outcome when call had not returned on port by the deadline: ERROR_TIMEOUT.
CheckResult DeadlinePassed(std::string_view call, std::chrono::milliseconds deadline,
                           std::wstring_view port, const QueryCommands& commands);

}  // namespace portsetup
