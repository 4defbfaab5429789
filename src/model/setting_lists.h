// The five serial line setting lists of the "COM Port Properties" group: their entries, defaults
// and the list item texts that carry each entry's code.
#pragma once

#include <array>
#include <cstddef>
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
// Where each list stands in SettingLists() and in SettingListTexts.
enum SettingListIndex : std::size_t { kBitsList, kDataList, kParityList, kStopList, kFlowList };
const std::array<SettingList, kSettingListCount>& SettingLists();
// The lists' texts with every list at its default entry.
SettingListTexts DefaultListTexts();

// An entry is stored as display text, 100 blanks, code: the blanks push the code out of the
// visible width of the list, and the code is read back from the end of the text.
inline constexpr std::size_t kCodePadding = 100;
std::wstring ListItemText(const SettingEntry& entry);
std::wstring SettingCode(std::wstring_view listText);

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
