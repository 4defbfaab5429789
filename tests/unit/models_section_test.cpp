#include "model/models_section.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace portsetup {
namespace {

constexpr RunningWindows kWindows7{6, 1, 7601, 1, 0x100};
constexpr RunningWindows kWindows10{10, 0, 19045, 1, 0x100};
constexpr RunningWindows kWindows11{10, 0, 22631, 1, 0x100};
constexpr RunningWindows kServer2022{10, 0, 20348, 3, 0x110};

TEST(ModelsSection, TheClosestDecorationNotAboveTheRunningSystem) {
    const struct {
        std::vector<std::wstring> decorations;
        RunningWindows running;
        std::optional<std::size_t> chosen;
    } cases[] = {
        // Microsoft's sample printer INFs: the bare name first, Windows takes 6.0.
        {{L"NTamd64", L"NTamd64.6.0"}, kWindows10, 1},
        {{L"ntAMD64.6.1", L"NTamd64.6.0", L"NTamd64.6.2"}, kWindows7, 0},
        {{L"NTamd64.10.0"}, kWindows7, std::nullopt},
        // Windows 11 only, by its build number.
        {{L"NTamd64.10.0...22000", L"NTamd64.10.0"}, kWindows10, 1},
        {{L"NTamd64.10.0", L"NTamd64.10.0...22000"}, kWindows11, 1},
        {{L"NTamd64.10.0", L"NTamd64.10.0...22631"}, kWindows11, 1},  // its very build
        // A product type, or a suite, the system does not have rules a decoration out.
        {{L"NTamd64.10.0.3", L"NTamd64.6.0"}, kWindows10, 1},
        {{L"NTamd64.6.0", L"NTamd64.10.0.0x0000003"}, kServer2022, 1},
        {{L"NTamd64.10.0", L"NTamd64.10.0.1"}, kWindows10, 1},
        {{L"NTamd64.10.0..0x10", L"NTamd64"}, kWindows10, 1},
        {{L"NTamd64", L"NTamd64.10.0..0x10"}, kServer2022, 1},
        {{L"NTamd64", L"NTamd64.10.0..0x110"}, kWindows10, 0},  // every bit of the mask
        {{}, kWindows10, std::nullopt},
        // Other platforms, and decorations that are not well formed, are not x64's.
        {{L"NTx86", L"NTarm64.10.0", L"NT", L"NTamd64x", L"NTamd64.a", L"NTamd64.1.0.0.0.0.0"},
         kWindows10,
         std::nullopt},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(ChosenModelsDecoration(test.decorations, test.running), test.chosen)
            << "row " << &test - cases;
    }
}

}  // namespace
}  // namespace portsetup
