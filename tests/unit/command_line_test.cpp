#include "model/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "actions/port_settings.h"
#include "model/detection_value.h"
#include "model/settings_string.h"
#include "model/text.h"
#include "model/usage_text.h"

namespace portsetup {
namespace {

using Args = std::vector<std::wstring>;

std::string Shown(const Args& args) {
    std::string shown;
    for (const std::wstring& arg : args) {
        shown += "[" + std::string(arg.begin(), arg.end()) + "]";
    }
    return shown;
}

struct Valid {
    Args args;
    RunMode mode;
    std::wstring port;                   // the port name the install runs on
    std::optional<std::wstring> stored;  // the settings string stored under the port, if any
    std::wstring log;
    long long timeout = 600;
    std::wstring device = L"";
};

TEST(CommandLine, ValidFormsBecomeTheDialogsChoices) {
    const Valid cases[] = {
        {{}, RunMode::Dialog, L"", std::nullopt, L""},
        {{L"/install", L"COM2"}, RunMode::Install, L"COM2:", L"9600,n,8,1", L""},
        {{L"-INSTALL", L"lpt1:"}, RunMode::Install, L"LPT1:", std::nullopt, L""},
        {{L"/Install", L"lPt2", L"/LOG", L"C:\\Logs\\p s.log"},
         RunMode::Install,
         L"LPT2:",
         std::nullopt,
         L"C:\\Logs\\p s.log"},
        {{L"/install", L"com4:", L"/settings", L"19200,n,8,1,p"},
         RunMode::Install,
         L"COM4:",
         L"19200,n,8,1,p",
         L""},
        {{L"/settings", L"115200,E,7,1.5,X", L"-log", L"x.log", L"/install", L"Com3"},
         RunMode::Install,
         L"COM3:",
         L"115200,e,7,1.5,x",
         L"x.log"},
        {{L"/install", L"COM1", L"/settings", L"128000,s,4,2"},
         RunMode::Install,
         L"COM1:",
         L"128000,s,4,2",
         L""},
        {{L"/install", L"com7", L"/settings", L"2400,o,7,2"},
         RunMode::Install,
         L"COM7:",
         L"2400,o,7,2",
         L""},
        {{L"/install", L"COM256:", L"/TimeOut", L"86400"},
         RunMode::Install,
         L"COM256:",
         L"9600,n,8,1",
         L"",
         86400},
        {{L"/install", L"lpt3"}, RunMode::Install, L"LPT3:", std::nullopt, L""},
        {{L"/install", L"usb001"}, RunMode::Install, L"USB001", std::nullopt, L""},
        {{L"/remove"}, RunMode::Remove, L"", std::nullopt, L""},
        {{L"/install", L"/device", L"VID_0403&PID_6001", L"/settings", L"19200,n,8,1,p"},
         RunMode::Install,
         L"",
         std::nullopt,
         L"",
         600,
         L"VID_0403&PID_6001"},
        {{L"-Device", L"a1b2", L"/INSTALL"},
         RunMode::Install,
         L"",
         std::nullopt,
         L"",
         600,
         L"a1b2"},
        {{L"-Remove", L"/log", L"D:\\r.log", L"-timeout", L"1"},
         RunMode::Remove,
         L"",
         std::nullopt,
         L"D:\\r.log",
         1},
        {{L"/?"}, RunMode::Help, L"", std::nullopt, L""},
    };
    for (const Valid& test : cases) {
        SCOPED_TRACE(Shown(test.args));
        const CommandLine parsed = ParseCommandLine(test.args);
        EXPECT_EQ(parsed.error, L"");
        EXPECT_EQ(parsed.mode, test.mode);
        EXPECT_EQ(parsed.logPath, test.log);
        EXPECT_EQ(parsed.port, test.port);
        EXPECT_EQ(parsed.device, test.device);
        EXPECT_EQ(parsed.timeout.count(), test.timeout);
        const auto stored = PortSettingsToSave(parsed.port, parsed.settings);
        EXPECT_EQ(stored.has_value(), test.stored.has_value());
        if (stored && test.stored) {
            EXPECT_EQ(stored->name, test.port);
            EXPECT_EQ(stored->data, *test.stored);
        }
    }
}

// /name as given, blanks and non-Latin letters and all, up to Windows' longest printer name.
TEST(CommandLine, NameIsTheQueueAsGiven) {
    for (const std::wstring& name :
         {std::wstring(L"K\u00fcche \u5382\u623f"), std::wstring(220, L'x')}) {
        EXPECT_EQ(ParseCommandLine(Args{L"/install", L"COM7", L"-NAME", name}).queue, name);
        EXPECT_EQ(ParseCommandLine(Args{L"/name", name, L"/remove"}).queue, name);
    }
}

struct Invalid {
    Args args;
    std::wstring reason;  // a part of the message, naming what is wrong
};

TEST(CommandLine, EachKindOfFaultIsRefusedWithItsReason) {
    const Invalid cases[] = {
        // unknown switches, switches given twice, missing and extra values
        {{L"/instal", L"COM1"}, L"unknown switch \"/instal\""},
        {{L"/install", L"COM1", L"/quiet"}, L"unknown switch \"/quiet\""},
        // a value joined to its switch, as other tools write it
        {{L"/install", L"COM1", L"/settings:19200,n,8,1"},
         L"\"/settings\" is joined to its value in \"/settings:19200,n,8,1\"; put a blank between "
         L"them: /settings 19200,n,8,1."},
        {{L"/remove", L"-LOG:C:\\My logs\\r.log"}, L"them: -LOG \"C:\\My logs\\r.log\"."},
        {{L"/remove", L"/timeout=60"}, L"them: /timeout 60."},
        {{L"/remove:now"}, L"unknown switch \"/remove:now\""},
        {{L"/install", L"COM1", L"/install", L"COM2"}, L"\"/install\" is given twice"},
        {{L"/remove", L"/log", L"a", L"/LOG", L"b"}, L"\"/LOG\" is given twice"},
        {{L"/install"}, L"either a port or /device ID"},
        {{L"/install", L"/log", L"x.log"}, L"either a port or /device ID"},
        {{L"/install", L"COM7", L"/device", L"VID_0403"}, L"either a port or /device ID"},
        {{L"/install", L"/device"}, L"\"/device\" needs a value"},
        {{L"/remove", L"/device", L"VID_0403"}, L"/device goes with /install, /check and /detect"},
        {{L"/install", L"/device", L"X", L"/settings", L"9600,n,8"}, L"do not have the form"},
        {{L"/install", L""}, L"\"/install\" needs a value"},
        {{L"/remove", L"/log"}, L"\"/log\" needs a value"},
        {{L"/install", L"COM1", L"COM2"}, L"unexpected value \"COM2\""},
        {{L"/remove", L"COM2"}, L"unexpected value \"COM2\""},
        {{L"COM2"}, L"unexpected value \"COM2\""},
        // modes
        {{L"/install", L"COM1", L"/remove"}, L"cannot be given together"},
        {{L"/log", L"x.log"}, L"/install PORT, /remove, /check PORT or /detect PORT"},
        {{L"/remove", L"/settings", L"9600,n,8,1"}, L"/settings goes with /install only"},
        // queue names Windows refuses, and /name without a queue to set up or remove
        {{L"/remove", L"/name", L""}, L"the queue name \"\" is not one Windows takes"},
        {{L"/install", L"COM7", L"/name", L"Back\\office"}, L"\"Back\\office\" is not one"},
        {{L"/remove", L"/name", L"Kitchen,2"}, L"\"Kitchen,2\" is not one"},
        {{L"/remove", L"/name", L"12\" printer"}, L"\"12\" printer\" is not one"},
        {{L"/install", L"COM7", L"/name", std::wstring(221, L'x')}, L"1 to 220 characters"},
        {{L"/install", L"COM7", L"/name", L"Kitchen "},
         L"lose; write it without: /name \"Kitchen\"."},
        {{L"/remove", L"/name", L"\t Back office"}, L"without: /name \"Back office\"."},
        {{L"/remove", L"/name", L"  "}, L"no blank at either end"},
        {{L"/name", L"Kitchen"}, L"/install PORT, /remove, /check PORT"},
        {{L"/remove", L"/name"}, L"\"/name\" needs a value"},
        // /? goes alone: beside other switches nobody may be there to close its box
        {{L"/install", L"COM2", L"/?"}, L"/? goes alone"},
        {{L"-?", L"/remove"}, L"/? goes alone"},
        {{L"/?", L"/log", L"x.log"}, L"/? goes alone"},
        // ports: the numbers Windows gives, written without leading zeros
        {{L"/install", L"COM257"}, L"port \"COM257\""},
        {{L"/install", L"COM0"}, L"port \"COM0\""},
        {{L"/install", L"COM07"}, L"port \"COM07\""},
        {{L"/install", L"LPT4"}, L"port \"LPT4\""},
        {{L"/install", L"COM1::"}, L"port \"COM1::\""},
        {{L"/install", L"COM"}, L"port \"COM\""},
        {{L"/install", L"COM 1"}, L"port \"COM 1\""},
        {{L"/install", L"COM-1"}, L"port \"COM-1\""},
        {{L"/install", L"FILE:"}, L"port \"FILE:\""},
        // timeouts
        {{L"/remove", L"/timeout", L"0"}, L"timeout \"0\""},
        {{L"/remove", L"/timeout", L"86401"}, L"timeout \"86401\""},
        {{L"/remove", L"/timeout", L"060"}, L"timeout \"060\""},
        {{L"/remove", L"/timeout", L"10m"}, L"timeout \"10m\""},
        {{L"/remove", L"/timeout", L"99999999999"}, L"timeout \"99999999999\""},
        {{L"/install", L"LPT2", L"/settings", L"9600,n,8,1"}, L"LPT2: is a parallel port"},
        // settings: shape, then each field against its list
        {{L"/install", L"COM1", L"/settings", L"9600,n,8"}, L"do not have the form"},
        {{L"/install", L"COM1", L"/settings", L"9600,n,8,1,p,x"}, L"do not have the form"},
        {{L"/install", L"COM1", L"/settings", L"9601,n,8,1"}, L"bits per second \"9601\""},
        {{L"/install", L"COM1", L"/settings", L" 9600,n,8,1"}, L"bits per second \" 9600\""},
        {{L"/install", L"COM1", L"/settings", L"9600,q,8,1"}, L"parity \"q\""},
        {{L"/install", L"COM1", L"/settings", L"9600,n,9,1"}, L"data bits \"9\""},
        {{L"/install", L"COM1", L"/settings", L"9600,n,8,3"}, L"stop bits \"3\""},
        {{L"/install", L"COM1", L"/settings", L"9600,n,8,1,"}, L"flow control \"\""},
        {{L"/install", L"COM1", L"/settings", L"115200,n,8,1,n"},
         L"flow control \"n\" in \"115200,n,8,1,n\" is not one of x, p; no flow control is "
         L"written by leaving the field out: 115200,n,8,1."},
        {{L"/install", L"COM1", L"/settings", L"9600,,8,1"}, L"parity \"\""},
        // asking the printer: a COM port, and no switch that belongs to the set-up
        {{L"/check", L"LPT1"}, L"LPT1: is a parallel port"},
        {{L"/install", L"LPT1", L"/check"}, L"LPT1: is a parallel port"},
        {{L"/detect", L"COM7", L"/device", L"X"}, L"/detect takes either a port or /device ID"},
        {{L"/install", L"COM7", L"/check", L"COM8"}, L"/check after /install takes no port"},
        {{L"/install", L"COM7", L"/detect"}, L"/detect goes without /install"},
        {{L"/check", L"COM7", L"/remove"}, L"/check goes without /remove"},
        {{L"/detect", L"COM7", L"/settings", L"9600,n,8,1"}, L"/detect takes no /settings"},
        {{L"/check", L"COM7", L"/timeout", L"5"}, L"/timeout goes with /install and /remove"},
        {{L"/check", L"COM7", L"/settings", L"9600,n,8,1,q"}, L"flow control \"q\""},
        {{L"/install", L"COM7", L"/settings", L"detect,n"}, L"not detect, detect,x or detect,p"},
        {{L"/install", L"COM7", L"/settings", L"detected"}, L"not detect, detect,x"},
        {{L"/check", L"COM7", L"/settings", L"DETECT"}, L"give /detect in place of /check"},
        {{L"/check", L"COM7", L"/settings", L"detect,p"}, L"give /detect in place of /check"},
        {{L"/install", L"USB001", L"/settings", L"9600,n,8,1"}, L"USB001 is a USB printer's"},
        {{L"/install", L"usb001", L"/settings", L"detect"}, L"has no line settings"},
        {{L"/detect", L"USB002"}, L"has no line settings"},
        {{L"/check", L"USB003", L"/settings", L"9600,n,8,1"}, L"has no line settings"},
        {{L"/install", L"USB000"}, L"port \"USB000\""},
        {{L"/install", L"USB1"}, L"port \"USB1\""},
        {{L"/check", L"USB1000"}, L"not one of COM1 to COM256, USB001 to USB999"},
    };
    for (const Invalid& test : cases) {
        SCOPED_TRACE(Shown(test.args));
        const CommandLine parsed = ParseCommandLine(test.args);
        EXPECT_NE(parsed.error.find(test.reason), std::wstring::npos)
            << std::string(parsed.error.begin(), parsed.error.end());
    }
}

// What the run is told: the mode, the port or device, the settings and the install's steps.
TEST(CommandLine, PrinterQueriesAndTheInstallStepsThatUseThem) {
    const std::pair<Args, std::wstring> cases[] = {
        {{L"/check", L"com7"}, L"check COM7: 9600,n,8,1"},
        {{L"-CHECK", L"COM12:", L"/settings", L"19200,N,8,1,P"},
         L"check COM12: 19200,n,8,1,p given"},
        {{L"/device", L"PID_6001", L"/detect"}, L"detect PID_6001 9600,n,8,1"},
        {{L"/install", L"COM7", L"/settings", L"Detect"}, L"install COM7: 9600,n,8,1 given detect"},
        {{L"/install", L"COM7", L"/settings", L"detect,P"},
         L"install COM7: 9600,n,8,1 given detect,p"},
        {{L"/check", L"/install", L"/device", L"X", L"/settings", L"38400,n,8,1"},
         L"install X 38400,n,8,1 given check"},
        {{L"/check", L"usb001"}, L"check USB001 9600,n,8,1"},
        {{L"/install", L"USB002", L"/check"}, L"install USB002 9600,n,8,1 check"},
    };
    for (const auto& [args, expected] : cases) {
        const CommandLine parsed = ParseCommandLine(args);
        const wchar_t* modes[] = {L"dialog", L"help", L"install", L"remove", L"check", L"detect"};
        EXPECT_EQ(Concat({parsed.error, modes[static_cast<int>(parsed.mode)], L" ", parsed.port,
                          parsed.device, L" ", ComposeSettingsString(parsed.settings),
                          parsed.settingsGiven ? L" given" : L"",
                          parsed.detectSettings ? L" detect" : L"", parsed.detectFlow,
                          parsed.checkAfterInstall ? L" check" : L""}),
                  expected);
    }
}

// An administrator writes the detection rule from the install command alone.
TEST(CommandLine, DetectionValueFollowsFromTheInstallCommand) {
    const struct {
        Args args;
        std::optional<std::uint64_t> driver;
        std::wstring value;
        std::wstring found = L"";  // the port /device was found on
    } cases[] = {
        {{L"/install", L"com7", L"/settings", L"19200,N,8,1,P"},
         0x0001'0002'0000'0000,
         L"port=COM7: settings=19200,n,8,1,p driver=1.2.0.0"},
        {{L"/install", L"COM2:"}, std::nullopt, L"port=COM2: settings=9600,n,8,1 driver=none"},
        {{L"/install", L"lpt1"}, 0, L"port=LPT1: settings=none driver=none"},
        {{L"/install", L"/device", L"Vid_0403&PID_6001"},
         0x0001'0000'0000'0000,
         L"device=Vid_0403&PID_6001 settings=9600,n,8,1 driver=1.0.0.0",
         L"COM7:"},
        {{L"/install", L"usb001"}, 0, L"port=USB001 settings=none driver=none"},
        {{L"/install", L"/device", L"VID_04B8&PID_0202"},
         0x0001'0002'0000'0000,
         L"device=VID_04B8&PID_0202 settings=none driver=1.2.0.0",
         L"USB002"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(Shown(test.args));
        const CommandLine parsed = ParseCommandLine(test.args);
        EXPECT_EQ(DetectionValueText(parsed, parsed.port + test.found, test.driver), test.value);
    }
}

TEST(CommandLine, ALogGivenBesideAFaultIsKeptForTheReason) {
    const Args args{L"/bogus", L"/remove", L"/log", L"C:\\l.log"};
    const CommandLine parsed = ParseCommandLine(args);
    EXPECT_NE(parsed.error, L"");
    EXPECT_EQ(parsed.logPath, L"C:\\l.log");
}

TEST(CommandLine, UsageListsTheCodesEachFieldAccepts) {
    const std::wstring usage = UsageText(L"9.8.7");
    for (const wchar_t* part :
         {L"portsetup 9.8.7", L"e, o, n, m, s", L"1, 1.5, 2", L"x, p", L"1200, 1800", L"9600,n,8,1",
          L"1639  the command line is not valid\n", L"0  done; after the dialog: done, or closed",
          L"COM1 to COM256, LPT1 to LPT3, USBnnn", L"/timeout SECONDS", L"/name QUEUE",
          L"/check PORT [/settings", L"/detect PORT", L"/settings detect",
          L"28  the printer answered: paper end\n"}) {
        EXPECT_NE(usage.find(part), std::wstring::npos) << std::wstring_view(part).size();
    }
    const std::wstring brief = UsageText(L"9.8.7", UsageDetail::Brief);  // for a small screen
    EXPECT_EQ(brief.find(L"1639"), std::wstring::npos);
    EXPECT_EQ(brief.find(L"parity: e"), std::wstring::npos);
    EXPECT_NE(brief.find(L"SECONDS] [/log FILE]\n"), std::wstring::npos);
    EXPECT_NE(brief.find(L"to FILE.\n\nThe whole text, with each setting's values"),
              std::wstring::npos);
}

}  // namespace
}  // namespace portsetup
