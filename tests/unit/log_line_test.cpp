#include "unattended/log_line.h"

#include <gtest/gtest.h>

namespace portsetup {
namespace {

TEST(LogLine, StampsLocalTimeWithItsOffsetAndKeepsOneLine) {
    EXPECT_EQ(LogLine({2026, 12, 8, 21, 5, 3, 60}, L"Started."),
              L"2026-12-08T21:05:03+01:00 Started.\r\n");
    EXPECT_EQ(LogLine({2027, 1, 2, 3, 4, 5, -570}, L"a"), L"2027-01-02T03:04:05-09:30 a\r\n");
    EXPECT_EQ(LogLine({999, 10, 31, 0, 0, 0, 0}, L"x\r\ny\nz"),
              L"0999-10-31T00:00:00+00:00 x  y z\r\n");
}

}  // namespace
}  // namespace portsetup
