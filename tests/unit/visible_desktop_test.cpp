#include "model/visible_desktop.h"

#include <gtest/gtest.h>

#include <optional>

namespace portsetup {
namespace {

TEST(VisibleDesktop, SessionZeroIsSeenByNobody) {
    const struct {
        std::optional<unsigned long> session;
        std::optional<bool> stationVisible;
        bool seen;
    } cases[] = {
        {1, true, true},
        {0, true, false},
        {0, std::nullopt, false},
        {2, false, false},
        {std::nullopt, false, false},
        {std::nullopt, std::nullopt, true},
        {1, std::nullopt, true},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(WindowsCanBeSeen(test.session, test.stationVisible), test.seen)
            << test.session.value_or(99) << " " << test.stationVisible.value_or(true);
    }
}

}  // namespace
}  // namespace portsetup
