#include "model/printer_status.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/settings_string.h"

namespace portsetup {
namespace {

using Bytes = std::vector<unsigned char>;

TEST(PrinterCheck, AnswersDecideTheRequestsAndTheOutcome) {
    const struct {
        std::map<int, Bytes> answers;  // by request; one left out gets no answer
        std::vector<int> asked;
        int code;
        std::wstring finding, warning;  // parts of them; an empty warning: none
    } cases[] = {
        {{{1, {0x16}}, {4, {0x12}}}, {1, 4}, 0, L"ready", L""},
        {{{1, {0x12}}, {4, {0x1E}}}, {1, 4}, 0, L"ready", L"near its end"},
        {{{1, {0x1E}}, {2, {0x16}}, {4, {0x12}}}, {1, 2, 4}, 21, L"cover is open", L""},
        {{{1, {0x1A}}, {2, {0x1A}}, {4, {0x12}}}, {1, 2, 4}, 21, L"feed button", L""},
        {{{1, {0x1E}}, {2, {0x52}}, {3, {0x1A}}, {4, {0x12}}},
         {1, 2, 3, 4},
         21,
         L"autocutter",
         L""},
        {{{1, {0x1E}}, {2, {0x32}}, {4, {0x72}}}, {1, 2, 4}, 28, L"run out", L""},
        {{{1, {0x16}}, {4, {0x52}}}, {1, 4}, 28, L"run out", L""},
        {{{1, {0x1E}}}, {1, 2, 4}, 21, L"did not say why", L"did not answer DLE EOT 2"},
        {{{1, {0x16}}}, {1, 4}, 0, L"ready", L"did not answer DLE EOT 4"},
        {{}, {1}, 1167, L"Nothing came back", L""},
        {{{1, {0x16, 0x16}}}, {1}, 13, L"16 16, which is not a status byte", L""},
        {{{1, {0x96}}}, {1}, 13, L"96", L""},  // bit 7 on
        {{{1, {0x17}}}, {1}, 13, L"17", L""},  // bit 0 on
        {{{1, {0x06}}}, {1}, 13, L"06", L""},  // bit 4 off
        {{{1, {0x16}}, {4, {0xFF}}}, {1, 4}, 13, L"DLE EOT 4 was FF", L""},
    };
    for (const auto& test : cases) {
        std::vector<StatusExchange> exchanges;
        std::vector<int> asked;
        while (const auto request = NextStatusRequest(exchanges)) {
            const auto n = static_cast<unsigned char>(*request);
            EXPECT_EQ(RequestBytes(*request), (std::array<unsigned char, 3>{0x10, 0x04, n}));
            asked.push_back(n);
            exchanges.push_back(
                {*request, test.answers.contains(n) ? test.answers.at(n) : Bytes{}});
        }
        SCOPED_TRACE(std::string(test.finding.begin(), test.finding.end()));
        EXPECT_EQ(asked, test.asked);
        const CheckResult result = JudgeStatus(exchanges, L"portsetup.exe /detect COM7");
        EXPECT_EQ(result.code, test.code);
        EXPECT_NE(result.finding.find(test.finding), std::wstring::npos);
        EXPECT_EQ(result.warning.empty(), test.warning.empty());
        EXPECT_NE(result.warning.find(test.warning), std::wstring::npos);
        EXPECT_EQ(result.advice.find(L"/detect COM7") != std::wstring::npos,
                  test.code == 13 || test.code == 1167);
        // A USB printer has no speed to find; one that answers nothing may not pass status back.
        const CheckResult usb = JudgeStatus(exchanges, L"");
        EXPECT_EQ(usb.code, test.code);
        EXPECT_EQ(usb.finding.find(L"speed"), std::wstring::npos);
        EXPECT_EQ(usb.advice.find(L"detect"), std::wstring::npos);
        EXPECT_EQ(usb.advice.find(L"USB printing class") != std::wstring::npos, test.code == 1167);
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

// Access denied and sharing violation: another program holds the port; file and path not found:
// no such port; anything else, such as a Bluetooth port out of reach, a printer not reached.
TEST(PrinterCheck, APortThatCannotBeOpenedGivesItsOwnCode) {
    const std::map<unsigned long, int> codes{{5, 170}, {32, 170}, {2, 20}, {3, 20}, {121, 1167}};
    for (const auto& [systemError, code] : codes) {
        EXPECT_EQ(PortFailure(systemError, L"COM7:").code, code) << systemError;
    }
    // A COM port that fails so is not said to want a USB printer.
    EXPECT_EQ(PortFailure(1167, L"COM7:").finding.find(L"USB"), std::wstring::npos);
    EXPECT_NE(PortFailure(1167, L"USB002").finding.find(L"plugged in on USB002"),
              std::wstring::npos);
}

}  // namespace
}  // namespace portsetup
