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

// What a status bit says, and what it makes of the printer. Two bits in one mask stand for one
// sensor that some models report on either bit.
enum class Effect { Offline, NotReady, OutOfPaper, NearEnd };
struct StatusBit {
    StatusRequest request;
    unsigned char mask;
    Effect effect;
    std::wstring_view words;
};
constexpr StatusBit kStatusBits[] = {
    {StatusRequest::Printer, 0x08, Effect::Offline, L"it is offline"},
    {StatusRequest::OfflineCause, 0x04, Effect::NotReady, L"the cover is open"},
    {StatusRequest::OfflineCause, 0x08, Effect::NotReady,
     L"paper is being fed with the feed button"},
    {StatusRequest::OfflineCause, 0x20, Effect::OutOfPaper, L"printing stopped at the paper end"},
    {StatusRequest::OfflineCause, 0x40, Effect::NotReady, L"an error occurred"},
    {StatusRequest::ErrorCause, 0x08, Effect::NotReady, L"the autocutter failed"},
    {StatusRequest::ErrorCause, 0x20, Effect::NotReady, L"an unrecoverable error occurred"},
    {StatusRequest::ErrorCause, 0x40, Effect::NotReady,
     L"the head is too hot, or another error that clears by itself"},
    {StatusRequest::RollSensor, 0x0C, Effect::NearEnd, L"the paper roll is near its end"},
    {StatusRequest::RollSensor, 0x60, Effect::OutOfPaper, L"the paper roll has run out"},
};

void Append(std::wstring& list, std::wstring_view item) {
    list = list.empty() ? std::wstring(item) : Concat({list, L"; ", item});
}

}  // namespace

std::array<unsigned char, 3> RequestBytes(StatusRequest request) {
    return {kDle, kEot, static_cast<unsigned char>(request)};
}

bool IsStatusAnswer(const std::vector<unsigned char>& answer) {
    // Bits 0 and 7 off, bits 1 and 4 on.
    return answer.size() == 1 && (answer[0] & 0x93) == 0x12;
}

std::optional<StatusRequest> NextStatusRequest(std::span<const StatusExchange> exchanges) {
    if (exchanges.empty()) {
        return StatusRequest::Printer;
    }
    const StatusExchange& last = exchanges.back();
    if (!last.answer.empty() && !IsStatusAnswer(last.answer)) {
        return std::nullopt;
    }
    // A printer that answers only the first request is still asked for its paper.
    const bool answered = !last.answer.empty();
    switch (last.request) {
        case StatusRequest::Printer:
            if (!answered) {
                return std::nullopt;
            }
            return (last.answer[0] & 0x08) ? StatusRequest::OfflineCause
                                           : StatusRequest::RollSensor;
        case StatusRequest::OfflineCause:
            return answered && (last.answer[0] & 0x40) ? StatusRequest::ErrorCause
                                                       : StatusRequest::RollSensor;
        case StatusRequest::ErrorCause:
            return StatusRequest::RollSensor;
        case StatusRequest::RollSensor:
            return std::nullopt;
    }
    return std::nullopt;
}

CheckResult JudgeStatus(std::span<const StatusExchange> exchanges,
                        std::wstring_view detectCommand) {
    const auto invalid = std::ranges::find_if(exchanges, [](const StatusExchange& exchange) {
        return !exchange.answer.empty() && !IsStatusAnswer(exchange.answer);
    });
    const bool usb = detectCommand.empty();
    if (invalid != exchanges.end()) {
        return {kExitInvalidData,
                Concat({L"The answer to ", RequestText(invalid->request), L" was ",
                        HexBytes(invalid->answer), L", which is not a status byte: ",
                        usb ? L"another device than a receipt printer may be on this port."
                            : L"the printer may be set to another speed or data format, or "
                              L"another device is on this port."}),
                L"",
                usb ? L"Check that the device on this port is the receipt printer."
                    : Concat({L"Run ", detectCommand, L" to find the printer's speed."})};
    }
    if (exchanges.empty() || exchanges.front().answer.empty()) {
        return {kExitDeviceNotConnected,
                Concat({L"Nothing came back within ",
                        DecimalText(static_cast<unsigned long>(kAnswerWait.count())), L" ms."}),
                L"",
                usb ? L"Check that the printer is switched on. Some USB printers do not pass "
                      L"status back through the USB printing class; such a printer cannot be "
                      L"checked this way, though it prints."
                    : Concat({L"Check that the printer is switched on, that its cable is plugged "
                              L"in on this port, and that it is set to these settings; ",
                              detectCommand, L" finds its speed."})};
    }
    bool offline = false;
    bool notReady = false;
    bool outOfPaper = false;
    std::wstring said;
    std::wstring warning;
    for (const StatusExchange& exchange : exchanges) {
        if (exchange.answer.empty()) {
            Append(warning, Concat({L"it did not answer ", RequestText(exchange.request), L" (",
                                    RequestName(exchange.request),
                                    L"), as some printers answer only DLE EOT 1"}));
            continue;
        }
        for (const StatusBit& bit : kStatusBits) {
            if (bit.request != exchange.request || !(exchange.answer[0] & bit.mask)) {
                continue;
            }
            offline = offline || bit.effect == Effect::Offline;
            notReady = notReady || bit.effect == Effect::NotReady;
            outOfPaper = outOfPaper || bit.effect == Effect::OutOfPaper;
            if (bit.effect == Effect::NearEnd) {
                Append(warning, bit.words);
            } else {
                Append(said, bit.words);
            }
        }
    }
    if (outOfPaper) {
        return {kExitOutOfPaper, Concat({L"The printer answered: ", said, L"."}), warning,
                L"Load a new paper roll, then check again."};
    }
    if (offline || notReady) {
        if (!notReady) {
            Append(said, L"it did not say why");
        }
        return {kExitNotReady, Concat({L"The printer answered, but is not ready: ", said, L"."}),
                warning, L"Put it right at the printer, then check again."};
    }
    return {kExitDone, L"The printer answered and is ready.", warning, L""};
}

std::wstring DescribeExchange(const StatusExchange& exchange) {
    return Concat({RequestText(exchange.request), L" (", RequestName(exchange.request), L"): ",
                   exchange.answer.empty() ? L"no answer" : HexBytes(exchange.answer)});
}

std::vector<SettingListTexts> DetectionSettings() {
    std::vector<std::wstring_view> speeds{L"9600",  L"19200", L"38400", L"115200",
                                          L"57600", L"4800",  L"2400",  L"1200"};
    for (const SettingEntry& entry : SettingLists()[kBitsList].entries) {
        if (std::ranges::find(speeds, entry.code) == speeds.end()) {
            speeds.push_back(entry.code);
        }
    }
    std::vector<SettingListTexts> tries(speeds.size());
    for (std::size_t i = 0; i < speeds.size(); ++i) {
        ReadSettings(Concat({speeds[i], L",n,8,1"}), tries[i]);
    }
    return tries;
}

CheckResult PortFailure(unsigned long systemError, std::wstring_view port) {
    constexpr unsigned long kFileNotFound = 2;
    constexpr unsigned long kPathNotFound = 3;
    constexpr unsigned long kAccessDenied = 5;
    constexpr unsigned long kSharingViolation = 32;
    constexpr unsigned long kDeviceNotConnected = 1167;
    if (systemError == kDeviceNotConnected && IsUsbPortName(port)) {
        return {kExitDeviceNotConnected, Concat({L"No USB printer is plugged in on ", port, L"."}),
                L"", L"Plug the printer in, or find its port in the log of its install."};
    }
    switch (systemError) {
        case kAccessDenied:
        case kSharingViolation:
            return {kExitBusy,
                    Concat({L"Another program holds ", port,
                            L", for example the spooler while it prints. The port is left alone."}),
                    L"", L"Check again when the printer is idle."};
        case kFileNotFound:
        case kPathNotFound:
            return {kExitBadUnit, Concat({L"This PC has no port ", port, L"."}), L"",
                    L"Check the port's number in Device Manager, under Ports (COM & LPT), and "
                    L"that a USB adapter is plugged in."};
        default:
            return {kExitDeviceNotConnected, Concat({port, L" cannot be used."}), L"",
                    L"Check that the printer and its adapter are switched on and in reach."};
    }
}

}  // namespace portsetup
