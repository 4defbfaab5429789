#include "actions/port_settings.h"

#include <gtest/gtest.h>

namespace portsetup {
namespace {

SettingListTexts DefaultTexts() {
    SettingListTexts texts;
    for (std::size_t i = 0; i < kSettingListCount; ++i) {
        const SettingList& list = SettingLists()[i];
        texts[i] = ListItemText(list.entries[list.defaultIndex]);
    }
    return texts;
}

TEST(PortSettingsToSave, SerialPortStoresTheSettingsUnderItsName) {
    PortSelection selection;
    const auto value = PortSettingsToSave(selection, DefaultTexts());
    ASSERT_TRUE(value);
    EXPECT_EQ(value->name, L"COM1:");
    EXPECT_EQ(value->data, L"9600,n,8,1");

    selection.ClickComOption(2);
    EXPECT_EQ(PortSettingsToSave(selection, DefaultTexts())->name, L"COM3:");
}

TEST(PortSettingsToSave, ParallelPortStoresNothing) {
    PortSelection selection;
    selection.ClickLptOption(0);
    EXPECT_FALSE(PortSettingsToSave(selection, DefaultTexts()));
    selection.ClickLptOption(1);
    EXPECT_FALSE(PortSettingsToSave(selection, DefaultTexts()));
}

TEST(PortSettingsToSave, SerialPortChosenAgainAfterParallelStoresAgain) {
    PortSelection selection;
    selection.ClickLptOption(1);
    selection.ClickComOption(1);
    const auto value = PortSettingsToSave(selection, DefaultTexts());
    ASSERT_TRUE(value);
    EXPECT_EQ(value->name, L"COM2:");
}

}  // namespace
}  // namespace portsetup
