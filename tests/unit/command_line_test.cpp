#include "model/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "actions/port_settings.h"

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
};

TEST(CommandLine, ValidFormsBecomeTheDialogsChoices) {
    const Valid cases[] = {
        {{}, RunMode::Dialog, L"COM1:", L"9600,n,8,1", L""},
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
        {{L"/remove"}, RunMode::Remove, L"COM1:", L"9600,n,8,1", L""},
        {{L"-Remove", L"/log", L"D:\\r.log"},
         RunMode::Remove,
         L"COM1:",
         L"9600,n,8,1",
         L"D:\\r.log"},
        {{L"/?"}, RunMode::Help, L"COM1:", L"9600,n,8,1", L""},
        {{L"/install", L"COM9", L"-?"}, RunMode::Help, L"COM1:", L"9600,n,8,1", L""},
    };
    for (const Valid& test : cases) {
        SCOPED_TRACE(Shown(test.args));
        const CommandLine parsed = ParseCommandLine(test.args);
        EXPECT_EQ(parsed.error, L"");
        EXPECT_EQ(parsed.mode, test.mode);
        EXPECT_EQ(parsed.logPath, test.log);
        EXPECT_EQ(parsed.selection.PortNameFromSelection(), test.port);
        const auto stored = PortSettingsToSave(parsed.selection, parsed.settings);
        EXPECT_EQ(stored.has_value(), test.stored.has_value());
        if (stored && test.stored) {
            EXPECT_EQ(stored->name, test.port);
            EXPECT_EQ(stored->data, *test.stored);
        }
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
        {{L"/install", L"COM1", L"/install", L"COM2"}, L"\"/install\" is given twice"},
        {{L"/remove", L"/log", L"a", L"/LOG", L"b"}, L"\"/LOG\" is given twice"},
        {{L"/install"}, L"\"/install\" needs a value"},
        {{L"/install", L"/log", L"x.log"}, L"\"/install\" needs a value"},
        {{L"/install", L""}, L"\"/install\" needs a value"},
        {{L"/remove", L"/log"}, L"\"/log\" needs a value"},
        {{L"/install", L"COM1", L"COM2"}, L"unexpected value \"COM2\""},
        {{L"/remove", L"COM2"}, L"unexpected value \"COM2\""},
        {{L"COM2"}, L"unexpected value \"COM2\""},
        // modes
        {{L"/install", L"COM1", L"/remove"}, L"cannot be given together"},
        {{L"/log", L"x.log"}, L"/install PORT or /remove"},
        {{L"/remove", L"/settings", L"9600,n,8,1"}, L"/settings goes with /install only"},
        // ports
        {{L"/install", L"COM5"}, L"port \"COM5\""},
        {{L"/install", L"COM1::"}, L"port \"COM1::\""},
        {{L"/install", L"COM"}, L"port \"COM\""},
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
        {{L"/install", L"COM1", L"/settings", L"9600,n,8,1,n"}, L"flow control \"n\""},
        {{L"/install", L"COM1", L"/settings", L"9600,,8,1"}, L"parity \"\""},
    };
    for (const Invalid& test : cases) {
        SCOPED_TRACE(Shown(test.args));
        const CommandLine parsed = ParseCommandLine(test.args);
        EXPECT_NE(parsed.error.find(test.reason), std::wstring::npos)
            << std::string(parsed.error.begin(), parsed.error.end());
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
    for (const wchar_t* part : {L"portsetup 9.8.7", L"e, o, n, m, s", L"1, 1.5, 2", L"x, p",
                                L"1200, 1800", L"9600,n,8,1", L"1639  the command line"}) {
        EXPECT_NE(usage.find(part), std::wstring::npos) << std::wstring_view(part).size();
    }
}

}  // namespace
}  // namespace portsetup
