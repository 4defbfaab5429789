// What the tool asks a receipt printer over its serial line, and what it makes of the answers.
// It asks with the ESC/POS real-time status request DLE EOT n (bytes 10 04 n), which the command
// references of Epson's TM series, Citizen, Bixolon and Partner define alike: the printer answers
// each request with one byte of the form 0xx1xx10b, also while it is offline or out of paper, on a
// serial line (not on a parallel one). Nothing else ever goes down the line, so that a device
// that is not such a printer receives only these few bytes.
#pragma once

#include <array>
#include <chrono>
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

struct StatusExchange {
    StatusRequest request;
    std::vector<unsigned char> answer;  // what came back within the wait; empty: nothing did
};

// Whether answer is one status byte, 0xx1xx10b.
bool IsStatusAnswer(const std::vector<unsigned char>& answer);

// The request that follows the exchanges so far, or nothing when the check is complete. Nothing
// follows bytes that are not a status answer, nor silence to the first request.
std::optional<StatusRequest> NextStatusRequest(std::span<const StatusExchange> exchanges);

struct CheckResult {
    ExitCode code;
    std::wstring finding;  // what came back, as a sentence
    std::wstring warning;  // worth a word with exit code 0 too; empty when nothing is
    std::wstring advice;   // what to do next; empty when nothing
};

// What the exchanges of a check mean. detectCommand is the /detect command for the same port,
// which the advice names where the printer may be set to another speed; empty for a USB printer,
// which has no speed to find.
CheckResult JudgeStatus(std::span<const StatusExchange> exchanges, std::wstring_view detectCommand);

// One exchange as the log shows it: "DLE EOT 4 (roll paper sensor): 12".
std::wstring DescribeExchange(const StatusExchange& exchange);

// The line settings /detect tries, one a speed, in the order receipt printers are most often set
// to: 9600, 19200, 38400, 115200, 57600, 4800, 2400, 1200, then the dialog's other speeds. Each
// with 8 data bits, no parity, 1 stop bit and no flow control, as printers leave the factory.
std::vector<SettingListTexts> DetectionSettings();

// The outcome when port cannot be opened or set up, from the system's error code: held by
// another program (ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION) gives ERROR_BUSY; not there
// (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND) gives ERROR_BAD_UNIT; no USB printer on that port
// (ERROR_DEVICE_NOT_CONNECTED), and anything else, a printer that cannot be reached.
CheckResult PortFailure(unsigned long systemError, std::wstring_view port);

}  // namespace portsetup
