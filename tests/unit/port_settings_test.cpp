#include "actions/port_settings.h"

#include <gtest/gtest.h>

namespace portsetup {
namespace {

TEST(PortSettingsToSave, SerialPortStoresTheSettingsUnderItsName) {
    PortSelection selection;
    const auto value = PortSettingsToSave(selection, DefaultListTexts());
    ASSERT_TRUE(value);
    EXPECT_EQ(value->name, L"COM1:");
    EXPECT_EQ(value->data, L"9600,n,8,1");

    selection.ClickComOption(2);
    EXPECT_EQ(PortSettingsToSave(selection, DefaultListTexts())->name, L"COM3:");
}

TEST(PortSettingsToSave, ParallelPortStoresNothing) {
    PortSelection selection;
    selection.ClickLptOption(0);
    EXPECT_FALSE(PortSettingsToSave(selection, DefaultListTexts()));
    selection.ClickLptOption(1);
    EXPECT_FALSE(PortSettingsToSave(selection, DefaultListTexts()));
}

TEST(PortSettingsToSave, SerialPortChosenAgainAfterParallelStoresAgain) {
    PortSelection selection;
    selection.ClickLptOption(1);
    selection.ClickComOption(1);
    const auto value = PortSettingsToSave(selection, DefaultListTexts());
    ASSERT_TRUE(value);
    EXPECT_EQ(value->name, L"COM2:");
}

}  // namespace
}  // namespace portsetup
