// What /detect makes of each speed it tries: the requests it asks there, whether the printer
// answers at it, the speeds in their order, and the settings an install then takes from it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/printer_status.h"
#include "model/setting_lists.h"

namespace portsetup {

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

// The last line of a detection that found no speed; lateAnswers: answers came after their wait.
std::wstring NoSpeedFound(bool lateAnswers);

}  // namespace portsetup
