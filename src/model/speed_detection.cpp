#include "model/speed_detection.h"

#include <algorithm>

#include "model/settings_string.h"
#include "model/text.h"

namespace portsetup {
namespace {

// Whether the first two exchanges at a speed brought the same status answer to DLE EOT 1.
bool ConfirmedAlike(std::span<const StatusExchange> exchanges) {
    return exchanges.size() >= 2 && IsStatusAnswer(exchanges[1]) &&
           SortReceived(exchanges[0].received).answer == SortReceived(exchanges[1].received).answer;
}

}  // namespace

std::optional<StatusRequest> NextDetectionRequest(std::span<const StatusExchange> exchanges) {
    if (exchanges.size() < 2) {
        return exchanges.empty() || IsStatusAnswer(exchanges.front())
                   ? std::optional(StatusRequest::Printer)
                   : std::nullopt;
    }
    return ConfirmedAlike(exchanges) ? NextStatusRequest(exchanges.subspan(1)) : std::nullopt;
}

bool FoundAtThisSpeed(std::span<const StatusExchange> exchanges) {
    return ConfirmedAlike(exchanges) &&
           JudgeStatus(CheckedAtThisSpeed(exchanges), {}).code != kExitInvalidData;
}

std::span<const StatusExchange> CheckedAtThisSpeed(std::span<const StatusExchange> exchanges) {
    return exchanges.empty() ? exchanges : exchanges.subspan(1);
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

SettingListTexts DetectedSettings(const SettingListTexts& found, std::wstring_view givenFlow,
                                  const std::optional<std::wstring>& storedValue) {
    SettingListTexts stored;
    const std::wstring flow = !givenFlow.empty() ? std::wstring(givenFlow)
                              : storedValue && !ReadSettings(*storedValue, stored)
                                  ? SettingCode(stored[kFlowList])
                                  : L"";
    SettingListTexts settings = found;
    for (const SettingEntry& entry : SettingLists()[kFlowList].entries) {
        if (entry.code == flow) {
            settings[kFlowList] = ListItemText(entry);
        }
    }
    return settings;
}

std::wstring InstallAdvice(const SettingListTexts& found) {
    return Concat({L"For the install command: /settings ", ComposeSettingsString(found),
                   L", with the printer's handshake (,p or ,x) if it has one, or /settings "
                   L"detect."});
}

std::wstring NoSpeedFound(bool lateAnswers) {
    return Concat({L"No speed brought a status answer. ",
                   lateAnswers
                       ? Concat({kLateAnswerAdvice, L"."})
                       : L"Check the printer's power, cable and port; a printer at 7 data bits, "
                         L"parity or 2 stop bits is not found this way: give its settings."});
}

}  // namespace portsetup
