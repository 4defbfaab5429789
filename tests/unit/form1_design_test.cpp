#include "ui/form1_design.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace portsetup {
namespace {

std::vector<Control> FocusOrder() {
    std::vector<Control> order;
    for (const Control control : CreationOrder()) {
        if (TakesFocus(Form1Design()[control].kind))
            order.push_back(control);
    }
    return order;
}

TEST(CreationOrder, VisitsFocusableControlsInTabIndexOrder) {
    EXPECT_EQ(FocusOrder(),
              (std::vector<Control>{Command1, cmdDelete, Option1_0, Option1_1, Option1_2, Option1_3,
                                    Option2_0, Option2_1, Combo1_0, Combo1_1, Combo1_2, Combo1_3,
                                    Combo1_4}));
}

TEST(CreationOrder, PutsEachLabelRightBeforeItsList) {
    const auto order = CreationOrder();
    for (std::size_t i = 0; i < 5; ++i) {
        const auto list = std::find(order.begin(), order.end(), Combo1(i));
        ASSERT_NE(list, order.begin());
        EXPECT_EQ(*(list - 1), Label1(i)) << "list " << i;
    }
}

TEST(CreationOrder, CreatesEveryControlOnceAndFramesBeneathTheirContents) {
    auto order = CreationOrder();
    const auto position = [&](Control c) { return std::find(order.begin(), order.end(), c); };
    for (int i = 0; i < kControlCount; ++i) {
        const int container = Form1Design()[i].container;
        if (container != kNoContainer) {
            // Created later means lower in the z-order: a frame must not paint over its contents.
            EXPECT_LT(position(Control(i)), position(Control(container))) << "control " << i;
        }
    }
    std::sort(order.begin(), order.end());
    EXPECT_EQ(std::adjacent_find(order.begin(), order.end()), order.end());
}

TEST(Layout, TwipsBecomeExactPixelsAtNinetySixDpi) {
    EXPECT_EQ(TwipsToPixels(kClientWidthTwips, 96), 335);
    EXPECT_EQ(TwipsToPixels(kClientHeightTwips, 96), 235);
    const PixelRect next = ControlRect(Command1, 96);
    EXPECT_EQ((std::vector<int>{next.left, next.top, next.width, next.height}),
              (std::vector<int>{250, 207, 81, 25}));
    // Inside a frame a control is placed relative to the frame: 30+165, 45+685 twips.
    const PixelRect com2 = ControlRect(Option1_1, 96);
    EXPECT_EQ((std::vector<int>{com2.left, com2.top, com2.width, com2.height}),
              (std::vector<int>{13, 49, 62, 18}));
    const PixelRect stopBits = ControlRect(Combo1_3, 96);
    EXPECT_EQ((std::vector<int>{stopBits.left, stopBits.top, stopBits.width, stopBits.height}),
              (std::vector<int>{227, 79, 102, 20}));
}

TEST(Layout, ScalesByOneAndAHalfAtOneHundredFortyFourDpi) {
    EXPECT_EQ(TwipsToPixels(kClientWidthTwips, 144), 503);  // 502.5 rounds up
    EXPECT_EQ(TwipsToPixels(kClientHeightTwips, 144), 353);
    for (int i = 0; i < kControlCount; ++i) {
        const PixelRect small = ControlRect(Control(i), 96);
        const PixelRect large = ControlRect(Control(i), 144);
        EXPECT_NEAR(large.left, small.left * 1.5, 1) << "control " << i;
        EXPECT_NEAR(large.top, small.top * 1.5, 1) << "control " << i;
        EXPECT_NEAR(large.width, small.width * 1.5, 1) << "control " << i;
        EXPECT_NEAR(large.height, small.height * 1.5, 1) << "control " << i;
    }
}

TEST(Layout, NeighboursStillMeetAfterRounding) {
    // The lists are stacked edge to edge in the design; rounding must not open gaps or overlaps.
    for (unsigned dpi : {96u, 120u, 144u, 168u, 192u}) {
        for (std::size_t i = 0; i + 1 < 5; ++i) {
            const PixelRect upper = ControlRect(Combo1(i), dpi);
            EXPECT_EQ(upper.top + upper.height, ControlRect(Combo1(i + 1), dpi).top)
                << "dpi " << dpi << ", list " << i;
        }
    }
}

TEST(Layout, LabelEndsAtItsListAndKeepsTheDesignTop) {
    for (unsigned dpi : {96u, 144u}) {
        for (std::size_t i = 0; i < 5; ++i) {
            const PixelRect list = ControlRect(Combo1(i), dpi);
            const PixelRect label = LabelRect(Label1(i), dpi, 57, 13);
            EXPECT_EQ(label.left + label.width, list.left) << "dpi " << dpi << ", label " << i;
            EXPECT_EQ(label.width, 57);
            EXPECT_EQ(label.height, 13);
            EXPECT_EQ(label.top, ControlRect(Label1(i), dpi).top);
        }
    }
    EXPECT_EQ(LabelRect(Label1_0, 96, 90, 13).top, ControlRect(Combo1_0, 96).top + 4);
}

}  // namespace
}  // namespace portsetup
