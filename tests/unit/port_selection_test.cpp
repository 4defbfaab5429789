#include "model/port_selection.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace portsetup {
namespace {

// The six options in test order: COM1..COM4, LPT1, LPT2.
constexpr std::size_t kOptionCount = kComOptionCount + kLptOptionCount;
const wchar_t* const kPortNames[kOptionCount] = {L"COM1:", L"COM2:", L"COM3:",
                                                 L"COM4:", L"LPT1:", L"LPT2:"};

void Click(PortSelection& selection, std::size_t option) {
    if (option < kComOptionCount) {
        selection.ClickComOption(option);
    } else {
        selection.ClickLptOption(option - kComOptionCount);
    }
}

std::vector<std::size_t> Chosen(const PortSelection& selection) {
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < kComOptionCount; ++i) {
        if (selection.IsComChosen(i))
            chosen.push_back(i);
    }
    for (std::size_t i = 0; i < kLptOptionCount; ++i) {
        if (selection.IsLptChosen(i))
            chosen.push_back(kComOptionCount + i);
    }
    return chosen;
}

TEST(PortSelection, StartsWithComOneAndTheProperties) {
    const PortSelection selection;
    EXPECT_EQ(Chosen(selection), std::vector<std::size_t>{0});
    EXPECT_TRUE(selection.PropertiesEnabled());
    EXPECT_EQ(selection.PortNameFromSelection(), L"COM1:");
    EXPECT_EQ(selection.ComPortName(), L"COM1:");
}

TEST(PortSelection, ParallelPortAfterSerialClearsTheSerialGroup) {
    PortSelection selection;
    selection.ClickComOption(2);
    selection.ClickLptOption(1);
    EXPECT_EQ(Chosen(selection), std::vector<std::size_t>{5});
    EXPECT_FALSE(selection.PropertiesEnabled());
    EXPECT_EQ(selection.PortNameFromSelection(), L"LPT2:");
    EXPECT_EQ(selection.ComPortName(), L"");
}

TEST(PortSelection, SerialPortAfterParallelClearsTheParallelGroup) {
    PortSelection selection;
    selection.ClickLptOption(0);
    selection.ClickComOption(3);
    EXPECT_EQ(Chosen(selection), std::vector<std::size_t>{3});
    EXPECT_TRUE(selection.PropertiesEnabled());
    EXPECT_EQ(selection.PortNameFromSelection(), L"COM4:");
}

TEST(PortSelection, ClickingTheChosenOptionChangesNothing) {
    PortSelection selection;
    selection.ClickLptOption(0);
    selection.ClickLptOption(0);
    EXPECT_EQ(Chosen(selection), std::vector<std::size_t>{4});
    EXPECT_FALSE(selection.PropertiesEnabled());
}

TEST(PortSelection, RejectsAnOptionThatDoesNotExistWithoutChangingTheChoice) {
    PortSelection selection;
    selection.ClickLptOption(1);
    EXPECT_THROW(selection.ClickComOption(kComOptionCount), std::out_of_range);
    EXPECT_THROW(selection.ClickLptOption(kLptOptionCount), std::out_of_range);
    EXPECT_EQ(Chosen(selection), std::vector<std::size_t>{5});
    EXPECT_FALSE(selection.PropertiesEnabled());
}

// Every sequence of up to four clicks: after each click exactly the clicked option is chosen, the
// properties group is enabled exactly for a serial port, and the names follow.
TEST(PortSelection, EveryClickSequenceKeepsExactlyOneOptionChosen) {
    std::vector<std::size_t> sequence;
    std::function<void(int)> walk = [&](int depth) {
        PortSelection selection;
        for (std::size_t step = 0; step < sequence.size(); ++step) {
            const std::size_t option = sequence[step];
            Click(selection, option);
            const bool serial = option < kComOptionCount;
            SCOPED_TRACE(testing::Message() << "click " << step << " of a sequence of "
                                            << sequence.size() << ", option " << option);
            ASSERT_EQ(Chosen(selection), std::vector<std::size_t>{option});
            EXPECT_EQ(selection.PropertiesEnabled(), serial);
            EXPECT_EQ(selection.PortNameFromSelection(), kPortNames[option]);
            EXPECT_EQ(selection.ComPortName(), serial ? kPortNames[option] : L"");
        }
        if (depth == 0)
            return;
        for (std::size_t option = 0; option < kOptionCount; ++option) {
            sequence.push_back(option);
            walk(depth - 1);
            sequence.pop_back();
        }
    };
    walk(4);
}

}  // namespace
}  // namespace portsetup
