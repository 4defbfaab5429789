// The five serial line setting lists of the "COM Port Properties" group, how the settings string
// is made from the entries the operator picked, and how it is read back.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace portsetup {

struct SettingEntry {
    std::wstring_view display;  // what the operator sees
    std::wstring_view code;     // what goes into the settings string
};

struct SettingList {
    std::span<const SettingEntry> entries;
    std::size_t defaultIndex;
};

// Combo1(0) to Combo1(4): bits per second, data bits, parity, stop bits, flow control.
inline constexpr std::size_t kSettingListCount = 5;
using SettingListTexts = std::array<std::wstring, kSettingListCount>;
const std::array<SettingList, kSettingListCount>& SettingLists();
// The lists' texts with every list at its default entry.
SettingListTexts DefaultListTexts();

// An entry is stored as display text, 100 blanks, code: the blanks push the code out of the
// visible width of the list, and the code is read back from the end of the text.
inline constexpr std::size_t kCodePadding = 100;
std::wstring ListItemText(const SettingEntry& entry);
std::wstring SettingCode(std::wstring_view listText);

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

// Clears a list and fills it with its entries, then picks the default. The list is anything with
// Clear(), Add(text) and Select(index), so the window's drop-down lists and the tests share it.
template <class List>
void FillSettingList(List& list, const SettingList& setting) {
    list.Clear();
    for (const SettingEntry& entry : setting.entries) {
        list.Add(ListItemText(entry));
    }
    list.Select(setting.defaultIndex);
}

}  // namespace portsetup
