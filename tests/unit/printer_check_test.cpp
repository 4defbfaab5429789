#include "model/printer_check.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace portsetup {
namespace {

using Bytes = std::vector<unsigned char>;
using Answers = std::map<int, Bytes>;  // by n; a request left out gets no answer

// The check as the tool runs it against a printer that gives these answers.
std::vector<StatusExchange> Ask(const Answers& answers) {
    std::vector<StatusExchange> exchanges;
    while (const auto request = NextStatusRequest(exchanges)) {
        const auto n = static_cast<unsigned char>(*request);
        EXPECT_EQ(RequestBytes(*request), (std::array<unsigned char, 3>{0x10, 0x04, n}));
        const auto answer = answers.find(n);
        exchanges.push_back({*request, answer == answers.end() ? Bytes{} : answer->second});
    }
    return exchanges;
}

TEST(PrinterCheck, AnswersDecideTheRequestsAndTheOutcome) {
    const struct {
        const char* printer;
        Answers answers;
        std::vector<int> asked;
        int code;
        std::wstring finding;  // a part of it
        std::wstring warning;  // a part of it; empty: none
    } cases[] = {
        {"ready", {{1, {0x16}}, {4, {0x12}}}, {1, 4}, 0, L"ready", L""},
        {"near end", {{1, {0x12}}, {4, {0x1E}}}, {1, 4}, 0, L"ready", L"near its end"},
        {"cover open",
         {{1, {0x1E}}, {2, {0x16}}, {4, {0x12}}},
         {1, 2, 4},
         21,
         L"cover is open",
         L""},
        {"feed button",
         {{1, {0x1A}}, {2, {0x1A}}, {4, {0x12}}},
         {1, 2, 4},
         21,
         L"feed button",
         L""},
        {"autocutter",
         {{1, {0x1E}}, {2, {0x52}}, {3, {0x1A}}, {4, {0x12}}},
         {1, 2, 3, 4},
         21,
         L"autocutter",
         L""},
        {"head too hot",
         {{1, {0x1E}}, {2, {0x52}}, {3, {0x52}}, {4, {0x12}}},
         {1, 2, 3, 4},
         21,
         L"overheated head",
         L""},
        {"paper end", {{1, {0x1E}}, {2, {0x32}}, {4, {0x72}}}, {1, 2, 4}, 28, L"run out", L""},
        {"paper end on bit 6 alone", {{1, {0x16}}, {4, {0x52}}}, {1, 4}, 28, L"run out", L""},
        {"offline, cause not told",
         {{1, {0x1E}}},
         {1, 2, 4},
         21,
         L"did not say why",
         L"did not answer DLE EOT 2"},
        {"a clone that answers DLE EOT 1 only",
         {{1, {0x16}}},
         {1, 4},
         0,
         L"ready",
         L"did not answer DLE EOT 4"},
        {"switched off", {}, {1}, 1167, L"Nothing came back", L""},
        {"two bytes", {{1, {0x16, 0x16}}}, {1}, 13, L"16 16, which is not a status byte", L""},
        {"bit 7 on", {{1, {0x96}}}, {1}, 13, L"96", L""},
        {"bit 0 on", {{1, {0x17}}}, {1}, 13, L"17", L""},
        {"bit 4 off", {{1, {0x06}}}, {1}, 13, L"06", L""},
        {"garbage after a status byte",
         {{1, {0x16}}, {4, {0xFF}}},
         {1, 4},
         13,
         L"answer to DLE EOT 4 was FF",
         L""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.printer);
        const std::vector<StatusExchange> exchanges = Ask(test.answers);
        std::vector<int> asked;
        for (const StatusExchange& exchange : exchanges) {
            asked.push_back(static_cast<int>(exchange.request));
        }
        EXPECT_EQ(asked, test.asked);
        const CheckResult result = JudgeStatus(exchanges, L"portsetup.exe /detect COM7");
        EXPECT_EQ(result.code, test.code);
        EXPECT_NE(result.finding.find(test.finding), std::wstring::npos);
        EXPECT_EQ(result.warning.empty(), test.warning.empty()) << result.warning.size();
        EXPECT_NE(result.warning.find(test.warning), std::wstring::npos);
        EXPECT_EQ(result.advice.find(L"/detect COM7") != std::wstring::npos,
                  test.code == 13 || test.code == 1167);
    }
}

TEST(PrinterCheck, DetectionTriesTheCommonestSpeedsFirstThenTheRest) {
    std::vector<std::wstring> tried;
    for (const SettingListTexts& settings : DetectionSettings()) {
        tried.push_back(ComposeSettingsString(settings));
    }
    EXPECT_EQ(tried, (std::vector<std::wstring>{L"9600,n,8,1", L"19200,n,8,1", L"38400,n,8,1",
                                                L"115200,n,8,1", L"57600,n,8,1", L"4800,n,8,1",
                                                L"2400,n,8,1", L"1200,n,8,1", L"1800,n,8,1",
                                                L"7200,n,8,1", L"14400,n,8,1", L"128000,n,8,1"}));
}

TEST(PrinterCheck, APortThatCannotBeOpenedGivesItsOwnCode) {
    const struct {
        unsigned long systemError;
        int code;
    } cases[] = {
        {5, 170},     // ERROR_ACCESS_DENIED: another program holds the port
        {32, 170},    // ERROR_SHARING_VIOLATION
        {2, 20},      // ERROR_FILE_NOT_FOUND: no such port
        {3, 20},      // ERROR_PATH_NOT_FOUND
        {121, 1167},  // ERROR_SEM_TIMEOUT, as a Bluetooth port out of reach gives
        {31, 1167},   // ERROR_GEN_FAILURE
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.systemError);
        const CheckResult result = PortFailure(test.systemError, L"COM7:");
        EXPECT_EQ(result.code, test.code);
        EXPECT_NE(result.finding.find(L"COM7:"), std::wstring::npos);
    }
}

}  // namespace
}  // namespace portsetup
