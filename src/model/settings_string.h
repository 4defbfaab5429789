// The settings string, the one text a serial port's line settings are stored as under the Ports
// key: composed from the lists' picked entries, read back into them, and as numbers for the line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/setting_lists.h"

namespace portsetup {

// Bits per second, parity, data bits, stop bits joined by commas, then the flow-control code,
// which brings its own comma: "9600,n,8,1", "19200,n,8,1.5,p". Takes the lists' current texts.
std::wstring ComposeSettingsString(const SettingListTexts& listTexts);

// Reads "19200,n,8,1,p" back into the texts the lists would hold with those entries picked, in
// any letter case. Returns why it cannot, or nothing.
std::optional<std::wstring> ReadSettings(std::wstring_view text, SettingListTexts& texts);

// A line for each field of the settings string and the codes it takes, each after indent, as /?
// lists them.
std::wstring SettingsFieldsText(std::wstring_view indent);

// A serial line's settings as numbers, numbered as the system's DCB structure numbers them.
struct LineSettings {
    unsigned long bitsPerSecond = 0;
    unsigned char dataBits = 0;
    unsigned char parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    unsigned char stopBits = 0;  // 0 one, 1 one and a half, 2 two
};
// The lists' current texts as numbers; the flow control is left to the caller.
LineSettings ReadLineSettings(const SettingListTexts& listTexts);

}  // namespace portsetup
