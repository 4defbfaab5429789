#include "model/protected_print_answer.h"

#include <gtest/gtest.h>

namespace portsetup {
namespace {

// Only a successful call that says "enabled" stops an install; Windows' own S_FALSE is a success.
TEST(ProtectedPrintAnswer, OnOnlyWhenTheCallSucceededAndSaidSo) {
    constexpr std::int32_t kFailed = static_cast<std::int32_t>(0x80004005);  // E_FAIL
    const struct {
        std::int32_t result;
        bool enabled;
        bool on;
    } cases[] = {
        {0, true, true},   {1, true, true},         {0, false, false},
        {1, false, false}, {kFailed, false, false}, {kFailed, true, false},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(ProtectedPrintAnswerIsOn(test.result, test.enabled), test.on)
            << test.result << " " << test.enabled;
    }
}

}  // namespace
}  // namespace portsetup
