#include "model/printer_status.h"
#include "model/line_failure.h"
#include "model/speed_detection.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/settings_string.h"

namespace portsetup {
namespace {

using Bytes = std::vector<unsigned char>;

const QueryCommands kCommands{L"portsetup.exe /check COM7", L"portsetup.exe /detect COM7"};
constexpr std::wstring_view kCheck = L"then check again: portsetup.exe /check COM7.";

TEST(PrinterCheck, AnswersDecideTheRequestsAndTheOutcome) {
    const struct {
        std::map<int, Bytes> answers;  // by request; one left out gets no answer
        std::vector<int> asked;
        int code;
        std::wstring finding, warning;  // parts of them; an empty warning: none
        std::wstring advice;            // a part of it, naming what to do and the command
        Bytes late = {};                // what came after the first request's wait
        std::size_t sent = 3;           // of the first request
    } cases[] = {
        {{{1, {0x16}}, {4, {0x12}}}, {1, 4}, 0, L"ready", L"", L""},
        {{{1, {0x12}}, {4, {0x1E}}}, {1, 4}, 0, L"ready", L"near its end: have a new roll", L""},
        {{{1, {0x1E}}, {2, {0x16}}, {4, {0x12}}},
         {1, 2, 4},
         21,
         L"cover",
         L"",
         L"cover; then check"},
        {{{1, {0x1A}}, {2, {0x1A}}, {4, {0x12}}}, {1, 2, 4}, 21, L"feed button", L"", L"feed"},
        {{{1, {0x1E}}, {2, {0x52}}, {3, {0x1A}}, {4, {0x12}}},
         {1, 2, 3, 4},
         21,
         L"cutter",
         L"",
         L"off and on; clear the cutter's"},
        // Paper end is bit 5 of DLE EOT 4; Epson sets bit 6 with it, a presenter printer bit 6
        // alone whenever no receipt waits.
        {{{1, {0x1E}}, {2, {0x32}}, {4, {0x72}}}, {1, 2, 4}, 28, L"run out", L"", kCheck.data()},
        {{{1, {0x16}}, {4, {0x32}}}, {1, 4}, 28, L"run out", L"", L"Load a new paper roll"},
        {{{1, {0x16}}, {4, {0x52}}}, {1, 4}, 0, L"ready", L"no paper at the presenter", L""},
        {{{1, {0x1E}}}, {1, 2, 4}, 21, L"did not say why", L"answer DLE EOT 2", L"error light"},
        {{{1, {0x16}}}, {1, 4}, 0, L"ready", L"did not answer DLE EOT 4", L""},
        {{}, {1}, 1167, L"Nothing came back within 250 ms.", L"", L"/detect COM7 finds"},
        // XON, XOFF and automatic status back groups are set aside; what is left is judged.
        {{{1, {0x13, 0x16}}, {4, {0x14, 0, 0, 0x0F, 0x11, 0x12}}}, {1, 4}, 0, L"ready", L"", L""},
        // ... also a group that ends what was read
        {{{1, {0x16, 0x14, 0, 0, 0x0F}}, {4, {0x12}}}, {1, 4}, 0, L"ready", L"", L""},
        {{{1, {0x13}}}, {1}, 1167, L"Nothing came back", L"", L"/detect COM7"},
        {{{1, {0x14, 0x16}}}, {1}, 13, L"14 16, not a status", L"", L"Run portsetup.exe /detect"},
        {{{1, {0x16, 0x16}}}, {1}, 13, L"16 16, not", L"", L"/detect"},
        {{{1, {0x96}}}, {1}, 13, L"96", L"", L"/detect COM7"},  // bit 7 on
        {{{1, {0x17}}}, {1}, 13, L"17", L"", L"/detect COM7"},  // bit 0 on
        {{{1, {0x06}}}, {1}, 13, L"06", L"", L"/detect COM7"},  // bit 4 off
        {{{1, {0x16}}, {4, {0xFF}}}, {1, 4}, 13, L"DLE EOT 4 was FF", L"", L"/detect COM7"},
        // An answer after its wait is nobody's: never the next request's.
        {{}, {1}, 1167, L"Later came 1E, too late.", L"", L"latency timer", {0x1E}},
        {{},
         {1},
         1167,
         L"DLE EOT 1 could not be sent within 250 ms (2 of 3",
         L"",
         L"handshake",
         {},
         2},
    };
    for (const auto& test : cases) {
        std::vector<StatusExchange> exchanges;
        std::vector<int> asked;
        while (const auto request = NextStatusRequest(exchanges)) {
            const auto n = static_cast<unsigned char>(*request);
            EXPECT_EQ(RequestBytes(*request), (std::array<unsigned char, 3>{0x10, 0x04, n}));
            asked.push_back(n);
            exchanges.push_back({*request, test.answers.contains(n) ? test.answers.at(n) : Bytes{},
                                 exchanges.empty() ? test.sent : 3,
                                 exchanges.empty() ? test.late : Bytes{}});
            EXPECT_EQ(
                NeedsSettling(exchanges.back()),
                DescribeExchange(exchanges.back()).find(L"): no answer") != std::wstring::npos);
        }
        SCOPED_TRACE(std::string(test.finding.begin(), test.finding.end()));
        EXPECT_EQ(asked, test.asked);
        const CheckResult result = JudgeStatus(exchanges, kCommands);
        EXPECT_EQ(result.code, test.code);
        EXPECT_NE(result.finding.find(test.finding), std::wstring::npos);
        EXPECT_EQ(result.warning.empty(), test.warning.empty());
        EXPECT_NE(result.warning.find(test.warning), std::wstring::npos);
        EXPECT_EQ(result.advice.empty(), test.advice.empty());
        EXPECT_NE(result.advice.find(test.advice), std::wstring::npos);
        // A USB printer has no speed to find; one that answers nothing may not pass status back.
        const CheckResult usb = JudgeStatus(exchanges, {kCommands.check, L""});
        EXPECT_EQ(usb.code, test.code);
        EXPECT_EQ(usb.finding.find(L"speed"), std::wstring::npos);
        EXPECT_EQ(usb.advice.find(L"detect"), std::wstring::npos);
        EXPECT_EQ(usb.advice.find(L"USB printing class") != std::wstring::npos,
                  result.advice.find(L"finds its speed") != std::wstring::npos);
    }
}

// At each speed DLE EOT 1 twice, alike, then the check; answers that are no status bytes, at any
// request, are another speed's.
TEST(PrinterCheck, DetectionConfirmsASpeedBeforeItStops) {
    const struct {
        std::vector<Bytes> answers;  // in the order asked; missing ones get none
        std::vector<int> asked;
        bool found;
    } cases[] = {
        {{{0x16}, {0x16}, {0x12}}, {1, 1, 4}, true},
        {{{0x1E}, {0x1E}, {0x32}, {0x72}}, {1, 1, 2, 4}, true},
        {{{0x16}, {0x16}}, {1, 1, 4}, true},
        {{{0x16}, {0x16}, {0xFF}}, {1, 1, 4}, false},
        {{{0x16}, {0x1E}}, {1, 1}, false},
        {{{0x16}}, {1, 1}, false},
        {{{0x3F}}, {1}, false},
        {{}, {1}, false},
    };
    for (const auto& test : cases) {
        std::vector<StatusExchange> exchanges;
        std::vector<int> asked;
        while (const auto request = NextDetectionRequest(exchanges)) {
            asked.push_back(static_cast<int>(*request));
            const std::size_t at = exchanges.size();
            exchanges.push_back({*request, at < test.answers.size() ? test.answers[at] : Bytes{}});
        }
        EXPECT_EQ(asked, test.asked) << "row " << &test - cases;
        EXPECT_EQ(FoundAtThisSpeed(exchanges), test.found) << "row " << &test - cases;
        EXPECT_EQ(CheckedAtThisSpeed(exchanges).size(), exchanges.size() - 1);
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

// Detection finds the speed, never the handshake: the one given, or the stored value's, is kept.
TEST(PrinterCheck, SettingsDetectKeepsTheHandshake) {
    SettingListTexts found;
    ASSERT_FALSE(ReadSettings(L"38400,n,8,1", found));
    const struct {
        std::wstring given;
        std::optional<std::wstring> stored;
        std::wstring kept;
    } cases[] = {
        {L"", L"9600,n,8,1,p", L"38400,n,8,1,p"}, {L",x", L"9600,n,8,1,p", L"38400,n,8,1,x"},
        {L",p", std::nullopt, L"38400,n,8,1,p"},  {L"", L"19200,e,7,2", L"38400,n,8,1"},
        {L"", L"19200,n,8,1,q", L"38400,n,8,1"},  {L"", std::nullopt, L"38400,n,8,1"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(ComposeSettingsString(DetectedSettings(found, test.given, test.stored)),
                  test.kept);
    }
    EXPECT_NE(InstallAdvice(found).find(L"/settings 38400,n,8,1, with"), std::wstring::npos);
}

// The open: access denied and sharing violation, another program holds the port; file and path
// not found, no such port. After the open, the errors of an adapter pulled out say so. /detect
// goes past a speed only when SetCommState refuses it.
TEST(PrinterCheck, EachFailedCallGivesItsOwnCodeAndWords) {
    const struct {
        const char* call;
        unsigned long error;
        int code;
        std::wstring words;
        bool skipsSpeed = false;
    } cases[] = {
        {"CreateFileW", 5, 170, L"Another program holds COM7:"},
        {"CreateFileW", 32, 170, L"Another program"},
        {"CreateFileW", 2, 20, L"no port COM7:"},
        {"CreateFileW", 121, 1167, L"COM7: cannot be opened"},
        {"WriteFile", 5, 1167, L"went away while in use (WriteFile failed)"},
        {"ReadFile", 22, 1167, L"(ReadFile failed): its adapter was pulled out"},
        {"SetCommState", 31, 1167, L"went away"},
        {"PurgeComm", 433, 1167, L"went away"},
        {"ReadFile", 6, 1167, L"ReadFile failed on COM7:."},
        {"SetCommState", 87, 1167, L"SetCommState failed", true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.call) + " " + std::to_string(test.error));
        const CheckResult result = LineFailure(test.call, test.error, L"COM7:", kCommands);
        EXPECT_EQ(result.code, test.code);
        EXPECT_NE(result.finding.find(test.words), std::wstring::npos);
        EXPECT_EQ(SpeedRefused(test.call, test.error), test.skipsSpeed);
    }
    // No USB printer on the port; a COM port that fails so is not said to want one.
    EXPECT_NE(LineFailure("SetupDiEnumDeviceInterfaces", 1167, L"USB002", kCommands)
                  .finding.find(L"No USB printer is plugged in on USB002."),
              std::wstring::npos);
    EXPECT_EQ(LineFailure("ReadFile", 1167, L"COM7:", kCommands).finding.find(L"USB"),
              std::wstring::npos);
    const CheckResult hung =
        DeadlinePassed("CreateFileW", ExchangeDeadline(1), L"COM7:", kCommands);
    EXPECT_EQ(hung.code, 1460);
    EXPECT_NE(hung.finding.find(L"CreateFileW on COM7: did not return within 7 s"),
              std::wstring::npos);
    EXPECT_NE(hung.advice.find(kCheck), std::wstring::npos);
}

}  // namespace
}  // namespace portsetup
