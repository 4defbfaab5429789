#include "model/printer_status.h"

#include <algorithm>

#include "model/port_name.h"
#include "model/settings_string.h"
#include "model/text.h"

namespace portsetup {
namespace {

constexpr unsigned char kDle = 0x10;
constexpr unsigned char kEot = 0x04;

std::wstring_view RequestName(StatusRequest request) {
    switch (request) {
        case StatusRequest::Printer:
            return L"printer status";
        case StatusRequest::OfflineCause:
            return L"offline cause";
        case StatusRequest::ErrorCause:
            return L"error cause";
        case StatusRequest::RollSensor:
            return L"roll paper sensor";
    }
    return L"";
}

std::wstring RequestText(StatusRequest request) {
    return Concat({L"DLE EOT ", DecimalText(static_cast<unsigned long>(request))});
}

std::wstring HexBytes(const std::vector<unsigned char>& bytes) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    for (const unsigned char byte : bytes) {
        if (!text.empty()) {
            text += L' ';
        }
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::wstring Milliseconds(std::chrono::milliseconds wait) {
    return Concat({DecimalText(static_cast<unsigned long>(wait.count())), L" ms"});
}

// What a status bit says, and what it makes of the printer. A bit counts only while the bits of
// unless are off.
enum class Effect { Offline, NotReady, OutOfPaper, Warning };
struct StatusBit {
    StatusRequest request;
    unsigned char mask;
    Effect effect;
    std::wstring_view words;
    std::wstring_view action = {};  // what to do at the printer
    unsigned char unless = 0;
};
constexpr StatusBit kStatusBits[] = {
    {StatusRequest::Printer, 0x08, Effect::Offline, L"it is offline"},
    {StatusRequest::OfflineCause, 0x04, Effect::NotReady, L"the cover is open", L"close its cover"},
    {StatusRequest::OfflineCause, 0x08, Effect::NotReady,
     L"paper is being fed with the feed button", L"let go of the feed button"},
    {StatusRequest::OfflineCause, 0x20, Effect::OutOfPaper, L"printing stopped at the paper end"},
    {StatusRequest::OfflineCause, 0x40, Effect::NotReady, L"an error occurred",
     L"switch it off and on"},
    {StatusRequest::ErrorCause, 0x08, Effect::NotReady, L"the autocutter failed",
     L"clear the cutter's paper jam"},
    {StatusRequest::ErrorCause, 0x20, Effect::NotReady, L"an unrecoverable error occurred",
     L"have it repaired"},
    {StatusRequest::ErrorCause, 0x40, Effect::NotReady,
     L"the head is too hot, or another error that clears by itself", L"let it cool down"},
    {StatusRequest::RollSensor, 0x0C, Effect::Warning,
     L"the paper roll is near its end: have a new roll ready"},
    // Paper end is bit 5; Epson sets bit 6 with it, while on Citizen's presenter printers bit 6
    // alone is the presenter sensor, empty whenever no receipt waits to be taken (PPU-231II
    // manual, DLE EOT 4).
    {StatusRequest::RollSensor, 0x20, Effect::OutOfPaper, L"the paper roll has run out"},
    {StatusRequest::RollSensor, 0x40, Effect::Warning,
     L"DLE EOT 4 bit 6: no paper at the presenter, on printers with one", L"", 0x20},
};

// What an offline printer that gives no cause may be waiting for.
constexpr std::wstring_view kOfflineAction = L"look at its cover, its paper and its error light";

constexpr unsigned char kXon = 0x11;
constexpr unsigned char kXoff = 0x13;
constexpr std::size_t kAsbGroup = 4;

void Append(std::wstring& list, std::wstring_view item) {
    list = list.empty() ? std::wstring(item) : Concat({list, L"; ", item});
}

}  // namespace

std::wstring CheckAgain(const QueryCommands& commands) {
    return Concat({L"then check again: ", commands.check, L"."});
}

std::array<unsigned char, 3> RequestBytes(StatusRequest request) {
    return {kDle, kEot, static_cast<unsigned char>(request)};
}

SortedAnswer SortReceived(const std::vector<unsigned char>& received) {
    SortedAnswer sorted;
    for (std::size_t at = 0; at < received.size(); ++at) {
        const unsigned char byte = received[at];
        if (byte == kXon || byte == kXoff) {
            sorted.setAside.push_back(byte);
        } else if ((byte & 0x93) == 0x10 && received.size() - at >= kAsbGroup) {
            sorted.setAside.insert(sorted.setAside.end(), received.begin() + at,
                                   received.begin() + at + kAsbGroup);
            at += kAsbGroup - 1;
        } else {
            sorted.answer.push_back(byte);
        }
    }
    return sorted;
}

bool IsStatusAnswer(const StatusExchange& exchange) {
    const std::vector<unsigned char> answer = SortReceived(exchange.received).answer;
    // Bits 0 and 7 off, bits 1 and 4 on.
    return answer.size() == 1 && (answer[0] & 0x93) == 0x12;
}

bool NeedsSettling(const StatusExchange& exchange) {
    return SortReceived(exchange.received).answer.empty();
}

std::optional<StatusRequest> NextStatusRequest(std::span<const StatusExchange> exchanges) {
    if (exchanges.empty()) {
        return StatusRequest::Printer;
    }
    const StatusExchange& last = exchanges.back();
    const std::vector<unsigned char> answer = SortReceived(last.received).answer;
    if (last.sent < kRequestSize || (!answer.empty() && !IsStatusAnswer(last))) {
        return std::nullopt;
    }
    // A printer that answers only the first request is still asked for its paper.
    const bool answered = !answer.empty();
    switch (last.request) {
        case StatusRequest::Printer:
            if (!answered) {
                return std::nullopt;
            }
            return (answer[0] & 0x08) ? StatusRequest::OfflineCause : StatusRequest::RollSensor;
        case StatusRequest::OfflineCause:
            return answered && (answer[0] & 0x40) ? StatusRequest::ErrorCause
                                                  : StatusRequest::RollSensor;
        case StatusRequest::ErrorCause:
            return StatusRequest::RollSensor;
        case StatusRequest::RollSensor:
            return std::nullopt;
    }
    return std::nullopt;
}

CheckResult JudgeStatus(std::span<const StatusExchange> exchanges, const QueryCommands& commands) {
    const bool usb = commands.detect.empty();
    CheckResult result{kExitDeviceNotConnected, {}, {}, {}};
    std::wstring todo;  // what to do before checking again
    const auto unsent = std::ranges::find_if(
        exchanges, [](const StatusExchange& exchange) { return exchange.sent < kRequestSize; });
    const auto invalid = std::ranges::find_if(exchanges, [](const StatusExchange& exchange) {
        return !NeedsSettling(exchange) && !IsStatusAnswer(exchange);
    });
    if (unsent != exchanges.end()) {
        result.finding = Concat({L"The request ", RequestText(unsent->request),
                                 L" could not be sent within ", Milliseconds(kAnswerWait), L" (",
                                 DecimalText(static_cast<unsigned long>(unsent->sent)),
                                 L" of 3 bytes went out)."});
        todo = usb ? L"The printer does not take data: check that it is switched on and its "
                     L"cover closed"
                   : L"A handshake most likely holds the line: check the printer's handshake "
                     L"setting (DTR/DSR, Xon/Xoff) and its cable";
    } else if (invalid != exchanges.end()) {
        result.code = kExitInvalidData;
        result.finding = Concat({L"The answer to ", RequestText(invalid->request), L" was ",
                                 HexBytes(SortReceived(invalid->received).answer),
                                 usb ? L", not a status byte: another device."
                                     : L", not a status byte: another speed or data format, or "
                                       L"another device."});
        result.advice = usb ? L"Check that the device on this port is the receipt printer."
                            : Concat({L"Run ", commands.detect, L" to find the printer's speed."});
    } else if (exchanges.empty() || NeedsSettling(exchanges.front())) {
        result.finding = Concat({L"Nothing came back within ", Milliseconds(kAnswerWait), L"."});
        if (!exchanges.empty() && !exchanges.front().late.empty()) {
            result.finding +=
                Concat({L" Later came ", HexBytes(exchanges.front().late), L", too late."});
            todo = kLateAnswerAdvice;
        } else if (usb) {
            result.advice =
                L"Check that the printer is switched on. Some USB printers do not pass status "
                L"back through the USB printing class; such a printer cannot be checked this way, "
                L"though it prints.";
        } else {
            result.advice = Concat({L"Check the printer's power, cable and settings; ",
                                    commands.detect, L" finds its speed."});
        }
    } else {
        bool offline = false;
        bool notReady = false;
        bool outOfPaper = false;
        std::wstring said;
        std::wstring actions;
        for (const StatusExchange& exchange : exchanges) {
            const std::vector<unsigned char> answer = SortReceived(exchange.received).answer;
            if (answer.empty()) {
                Append(result.warning, Concat({L"it did not answer ", RequestText(exchange.request),
                                               L" (", RequestName(exchange.request),
                                               L"), as some printers answer only DLE EOT 1"}));
                continue;
            }
            for (const StatusBit& bit : kStatusBits) {
                if (bit.request != exchange.request || !(answer[0] & bit.mask) ||
                    (answer[0] & bit.unless)) {
                    continue;
                }
                offline = offline || bit.effect == Effect::Offline;
                notReady = notReady || bit.effect == Effect::NotReady;
                outOfPaper = outOfPaper || bit.effect == Effect::OutOfPaper;
                Append(bit.effect == Effect::Warning ? result.warning : said, bit.words);
                if (!bit.action.empty()) {
                    Append(actions, bit.action);
                }
            }
        }
        if (outOfPaper) {
            result.code = kExitOutOfPaper;
            result.finding = Concat({L"The printer answered: ", said, L"."});
            todo = L"Load a new paper roll";
        } else if (offline || notReady) {
            if (!notReady) {
                Append(said, L"it did not say why");
                actions = kOfflineAction;
            }
            result.code = kExitNotReady;
            result.finding = Concat({L"The printer answered, but is not ready: ", said, L"."});
            todo = Concat({L"At the printer, ", actions});
        } else {
            result.code = kExitDone;
            result.finding = L"The printer answered and is ready.";
        }
    }
    if (!todo.empty()) {
        result.advice = Concat({todo, L"; ", CheckAgain(commands)});
    }
    return result;
}

std::wstring DescribeExchange(const StatusExchange& exchange) {
    const SortedAnswer sorted = SortReceived(exchange.received);
    std::wstring text =
        Concat({RequestText(exchange.request), L" (", RequestName(exchange.request), L"): ",
                sorted.answer.empty() ? L"no answer" : HexBytes(sorted.answer)});
    if (exchange.sent < kRequestSize) {
        text += Concat({L", ", DecimalText(static_cast<unsigned long>(exchange.sent)), L" of ",
                        DecimalText(static_cast<unsigned long>(kRequestSize)), L" bytes sent"});
    }
    if (!sorted.setAside.empty()) {
        text += Concat({L", set aside: ", HexBytes(sorted.setAside)});
    }
    if (!exchange.late.empty()) {
        text += Concat({L", too late: ", HexBytes(exchange.late)});
    }
    return text;
}

}  // namespace portsetup
