#include "model/setting_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/settings_string.h"

namespace portsetup {
namespace {

enum { kBits, kData, kParity, kStop, kFlow };

// The list item text of the entry of list `list` whose display text is `display`.
std::wstring Item(int list, std::wstring_view display) {
    for (const SettingEntry& entry : SettingLists()[list].entries) {
        if (entry.display == display) {
            return ListItemText(entry);
        }
    }
    ADD_FAILURE() << "no entry shown as this text in list " << list;
    return {};
}

SettingListTexts Picks(std::wstring_view bits, std::wstring_view data, std::wstring_view parity,
                       std::wstring_view stop, std::wstring_view flow) {
    return {Item(kBits, bits), Item(kData, data), Item(kParity, parity), Item(kStop, stop),
            Item(kFlow, flow)};
}

SettingListTexts Defaults() {
    SettingListTexts texts;
    for (int i = 0; i < static_cast<int>(kSettingListCount); ++i) {
        const SettingList& list = SettingLists()[i];
        texts[i] = ListItemText(list.entries[list.defaultIndex]);
    }
    return texts;
}

TEST(SettingsString, ComposesFieldsInLineSettingOrder) {
    EXPECT_EQ(ComposeSettingsString(Defaults()), L"9600,n,8,1");
    EXPECT_EQ(ComposeSettingsString(Picks(L"115200", L"7", L"Even", L"2", L"Xon/Xoff")),
              L"115200,e,7,2,x");
    EXPECT_EQ(ComposeSettingsString(Picks(L"19200", L"8", L"None", L"1.5", L"Hardware")),
              L"19200,n,8,1.5,p");
}

TEST(SettingsString, FlowControlBringsItsOwnComma) {
    EXPECT_EQ(ComposeSettingsString(Picks(L"9600", L"8", L"None", L"1", L"Xon/Xoff")),
              L"9600,n,8,1,x");
    EXPECT_EQ(ComposeSettingsString(Picks(L"9600", L"8", L"None", L"1", L"Hardware")),
              L"9600,n,8,1,p");
    EXPECT_EQ(ComposeSettingsString(Picks(L"9600", L"8", L"None", L"1", L"None")), L"9600,n,8,1");
}

TEST(SettingsString, ListWithNoPickedEntryLeavesItsFieldEmptyButKeepsItsComma) {
    SettingListTexts texts = Defaults();
    texts[kParity].clear();
    EXPECT_EQ(ComposeSettingsString(texts), L"9600,,8,1");
    texts = Defaults();
    texts[kBits].clear();
    texts[kStop].clear();
    EXPECT_EQ(ComposeSettingsString(texts), L",n,8,");
}

TEST(SettingsString, NothingPickedAnywhereGivesTheBareCommas) {
    EXPECT_EQ(ComposeSettingsString(SettingListTexts{}), L",,,");
}

// The numbers the serial line is set to, as the system's DCB numbers parity and stop bits.
TEST(LineSettings, EachFieldBecomesItsNumber) {
    const std::pair<SettingListTexts, std::vector<unsigned long>> cases[] = {
        {Picks(L"128000", L"4", L"Even", L"1.5", L"Hardware"), {128000, 4, 2, 1}},
        {Picks(L"1200", L"8", L"None", L"2", L"None"), {1200, 8, 0, 2}},
        {Picks(L"19200", L"7", L"Odd", L"1", L"Xon/Xoff"), {19200, 7, 1, 0}},
        {Picks(L"9600", L"5", L"Mark", L"1", L"None"), {9600, 5, 3, 0}},
        {Picks(L"9600", L"6", L"Space", L"1", L"None"), {9600, 6, 4, 0}},
    };
    for (const auto& [texts, numbers] : cases) {
        const LineSettings line = ReadLineSettings(texts);
        EXPECT_EQ((std::vector<unsigned long>{line.bitsPerSecond, line.dataBits, line.parity,
                                              line.stopBits}),
                  numbers);
    }
}

TEST(SettingLists, HoldTheEntriesAndDefaultsTheOperatorIsOffered) {
    const auto& lists = SettingLists();
    auto shown = [&](int list) {
        std::vector<std::wstring> texts;
        for (const SettingEntry& entry : lists[list].entries) {
            texts.emplace_back(entry.display);
        }
        return texts;
    };
    using V = std::vector<std::wstring>;
    EXPECT_EQ(shown(kBits), (V{L"1200", L"1800", L"2400", L"4800", L"7200", L"9600", L"14400",
                               L"19200", L"38400", L"57600", L"115200", L"128000"}));
    EXPECT_EQ(shown(kData), (V{L"4", L"5", L"6", L"7", L"8"}));
    EXPECT_EQ(shown(kParity), (V{L"Even", L"Odd", L"None", L"Mark", L"Space"}));
    EXPECT_EQ(shown(kStop), (V{L"1", L"1.5", L"2"}));
    EXPECT_EQ(shown(kFlow), (V{L"Xon/Xoff", L"Hardware", L"None"}));

    const std::wstring_view defaults[] = {L"9600", L"8", L"None", L"1", L"None"};
    for (int i = 0; i < static_cast<int>(kSettingListCount); ++i) {
        EXPECT_EQ(lists[i].entries[lists[i].defaultIndex].display, defaults[i]) << "list " << i;
    }
}

TEST(ListItemText, HidesTheCodeBehindExactlyOneHundredBlanks) {
    EXPECT_EQ(ListItemText({L"Odd", L"o"}), L"Odd" + std::wstring(100, L' ') + L"o");
    EXPECT_EQ(ListItemText({L"None", L""}), L"None" + std::wstring(100, L' '));
}

TEST(SettingCode, ReadsEveryCodeBackFromItsListItemText) {
    for (const SettingList& list : SettingLists()) {
        for (const SettingEntry& entry : list.entries) {
            EXPECT_EQ(SettingCode(ListItemText(entry)), entry.code)
                << std::string(entry.display.begin(), entry.display.end());
        }
    }
}

TEST(SettingCode, TrimsShortAndBlankTexts) {
    EXPECT_EQ(SettingCode(L""), L"");
    EXPECT_EQ(SettingCode(L" 7 "), L"7");
    EXPECT_EQ(SettingCode(std::wstring(10, L' ')), L"");
    // Only the last ten characters count: a code longer than that is cut.
    EXPECT_EQ(SettingCode(L"x 12345678901"), L"2345678901");
}

// A stand-in for a drop-down list: what the window's list does with the same three calls.
struct RecordingList {
    std::vector<std::wstring> items;
    std::ptrdiff_t picked = -1;
    void Clear() {
        items.clear();
        picked = -1;
    }
    void Add(std::wstring text) { items.push_back(std::move(text)); }
    void Select(std::size_t index) { picked = static_cast<std::ptrdiff_t>(index); }
    std::wstring CurrentText() const { return picked < 0 ? L"" : items.at(picked); }
};

TEST(FillSettingList, ReplacesOldEntriesAndPicksTheDefault) {
    RecordingList list;
    list.items = {L"stale", L"entries"};
    list.picked = 1;
    FillSettingList(list, SettingLists()[kData]);
    ASSERT_EQ(list.items.size(), 5u);
    for (int bits = 4; bits <= 8; ++bits) {
        EXPECT_EQ(list.items[bits - 4],
                  ListItemText({std::to_wstring(bits), std::to_wstring(bits)}));
    }
    EXPECT_EQ(SettingCode(list.CurrentText()), L"8");

    FillSettingList(list, SettingLists()[kData]);  // a refill does not append a second copy
    EXPECT_EQ(list.items.size(), 5u);
}

TEST(FillSettingList, FilledListsComposeTheDefaultSettings) {
    SettingListTexts texts;
    for (std::size_t i = 0; i < kSettingListCount; ++i) {
        RecordingList list;
        FillSettingList(list, SettingLists()[i]);
        texts[i] = list.CurrentText();
    }
    EXPECT_EQ(ComposeSettingsString(texts), L"9600,n,8,1");
}

}  // namespace
}  // namespace portsetup
