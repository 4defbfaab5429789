#include "model/driver_version.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace portsetup {
namespace {

TEST(DriverVersion, ParsesOneToFourPartsWithTheFirstInTheHighWord) {
    const struct {
        std::wstring text;
        std::optional<std::uint64_t> version;
    } cases[] = {
        {L"1.2.3.4", 0x0001'0002'0003'0004},
        {L" \t65535.0.65535.007 ", 0xFFFF'0000'FFFF'0007},
        {L"6.1", 0x0006'0001'0000'0000},
        {L"10", 0x000A'0000'0000'0000},
        {L"0.0.0.0", 0},
        {L"", std::nullopt},
        {L"  ", std::nullopt},
        {L"1.2.3.4.5", std::nullopt},
        {L"1..3", std::nullopt},
        {L"1.2.", std::nullopt},
        {L".1", std::nullopt},
        {L"1.65536", std::nullopt},
        {L"99999999999999999999", std::nullopt},
        {L"1.-2", std::nullopt},
        {L"1.2 .3", std::nullopt},
        {L"12/08/2026,1.0.0.0", std::nullopt},
        {L"v1.0", std::nullopt},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.text.begin(), test.text.end()));
        EXPECT_EQ(ParseDriverVersion(test.text), test.version);
    }
}

TEST(DriverVersion, TextShowsAllFourPartsOfWhatWasRead) {
    const struct {
        std::wstring text;
        std::wstring shown;
    } cases[] = {
        {L"1.2.3.4", L"1.2.3.4"},
        {L"65535.0.65535.7", L"65535.0.65535.7"},
        {L" 007.10 ", L"7.10.0.0"},
        {L"0", L"0.0.0.0"},
    };
    for (const auto& test : cases) {
        const std::optional<std::uint64_t> version = ParseDriverVersion(test.text);
        ASSERT_TRUE(version.has_value()) << std::string(test.text.begin(), test.text.end());
        EXPECT_EQ(DriverVersionText(*version), test.shown);
    }
}

TEST(DriverVersion, UpdateOnlyWhenTheKnownInstalledVersionIsLowerThanTheInfs) {
    const struct {
        std::uint64_t installed;
        std::optional<std::uint64_t> inInf;
        bool needed;
        bool installedNewer = false;
    } cases[] = {
        {0x0001'0000'0000'0000, 0x0001'0000'0000'0001, true},
        {0x0001'FFFF'0000'0000, 0x0002'0000'0000'0000, true},
        {0x0002'0000'0000'0000, 0x0001'0000'0000'0000, false, true},
        {0x0001'0000'0000'0001, 0x0001'0000'0000'0000, false, true},
        {0x0001'0000'0000'0000, 0, false},
        {0x0001'0000'0000'0000, 0x0001'0000'0000'0000, false},
        {0x0001'0000'0000'0000, std::nullopt, false},
        {0, 0x0001'0000'0000'0000, false},
        {0, std::nullopt, false},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(DriverUpdateNeeded(test.installed, test.inInf), test.needed)
            << test.installed << " " << test.inInf.value_or(~0ULL);
        EXPECT_EQ(InstalledDriverNewer(test.installed, test.inInf), test.installedNewer)
            << test.installed << " " << test.inInf.value_or(~0ULL);
    }
}

// An update that did not take leaves the old version; one that meets a newer driver (installed
// meanwhile) is confirmed; an install for a queue with another driver asks only that the driver
// is there.
TEST(DriverVersion, ConfirmedWhenTheSpoolerShowsTheDriverAtTheVersionAskedForOrNewer) {
    constexpr std::uint64_t kOld = 0x0001'0000'0000'0000;
    constexpr std::uint64_t kPackage = 0x0001'0002'0000'0000;
    const struct {
        std::optional<std::uint64_t> shown;
        std::optional<std::uint64_t> expected;
        bool confirmed;
    } cases[] = {
        {kOld, kPackage, false},
        {kPackage, kPackage, true},
        {kPackage + 1, kPackage, true},
        {kPackage - 1, kPackage, false},
        {std::nullopt, kPackage, false},
        {0, std::nullopt, true},
        {std::nullopt, std::nullopt, false},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(DriverInstallConfirmed(test.shown, test.expected), test.confirmed)
            << test.shown.value_or(~0ULL) << " " << test.expected.value_or(~0ULL);
    }
}

}  // namespace
}  // namespace portsetup
