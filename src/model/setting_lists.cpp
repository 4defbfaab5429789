#include "model/setting_lists.h"

namespace portsetup {
namespace {

constexpr SettingEntry kBitsPerSecond[] = {
    {L"1200", L"1200"},   {L"1800", L"1800"},   {L"2400", L"2400"},     {L"4800", L"4800"},
    {L"7200", L"7200"},   {L"9600", L"9600"},   {L"14400", L"14400"},   {L"19200", L"19200"},
    {L"38400", L"38400"}, {L"57600", L"57600"}, {L"115200", L"115200"}, {L"128000", L"128000"},
};
constexpr SettingEntry kDataBits[] = {
    {L"4", L"4"}, {L"5", L"5"}, {L"6", L"6"}, {L"7", L"7"}, {L"8", L"8"},
};
constexpr SettingEntry kParity[] = {
    {L"Even", L"e"}, {L"Odd", L"o"}, {L"None", L"n"}, {L"Mark", L"m"}, {L"Space", L"s"},
};
constexpr SettingEntry kStopBits[] = {
    {L"1", L"1"},
    {L"1.5", L"1.5"},
    {L"2", L"2"},
};
constexpr SettingEntry kFlowControl[] = {
    {L"Xon/Xoff", L",x"},
    {L"Hardware", L",p"},
    {L"None", L""},
};

constexpr std::size_t kCodeField = 10;  // the code is read from this many trailing characters

constexpr std::wstring_view Trim(std::wstring_view text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

}  // namespace

const std::array<SettingList, kSettingListCount>& SettingLists() {
    static constexpr std::array<SettingList, kSettingListCount> lists{{
        {kBitsPerSecond, 5},
        {kDataBits, 4},
        {kParity, 2},
        {kStopBits, 0},
        {kFlowControl, 2},
    }};
    return lists;
}

SettingListTexts DefaultListTexts() {
    SettingListTexts texts;
    for (std::size_t i = 0; i < kSettingListCount; ++i) {
        const SettingList& list = SettingLists()[i];
        texts[i] = ListItemText(list.entries[list.defaultIndex]);
    }
    return texts;
}

std::wstring ListItemText(const SettingEntry& entry) {
    std::wstring text;
    text.reserve(entry.display.size() + kCodePadding + entry.code.size());
    text.append(entry.display).append(kCodePadding, L' ').append(entry.code);
    return text;
}

std::wstring SettingCode(std::wstring_view listText) {
    const std::size_t tail = listText.size() < kCodeField ? listText.size() : kCodeField;
    return std::wstring(Trim(listText.substr(listText.size() - tail)));
}

}  // namespace portsetup
