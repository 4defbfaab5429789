#include "actions/printer_commands.h"
#include "actions/driver_package.h"
#include "actions/installed_printer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace portsetup {
namespace {

// Splits a command line the way CommandLineToArgvW (and with it the set-up entry point) does:
// blanks separate arguments outside double quotes; 2n backslashes before a quote give n and the
// quote toggles quoting, 2n+1 give n and a literal quote; other backslashes are kept as they are.
std::vector<std::wstring> SplitLikeWindows(std::wstring_view line) {
    std::vector<std::wstring> args;
    std::wstring current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size();) {
        const wchar_t c = line[i];
        if (c == L'\\') {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == L'\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == L'"') {
                current.append(slashes / 2, L'\\');
                if (slashes % 2 == 1) {
                    current += L'"';
                    ++i;
                }
            } else {
                current.append(slashes, L'\\');
            }
            inArgument = true;
        } else if (c == L'"') {
            quoted = !quoted;
            inArgument = true;
            ++i;
        } else if ((c == L' ' || c == L'\t') && !quoted) {
            if (inArgument)
                args.push_back(std::exchange(current, {}));
            inArgument = false;
            ++i;
        } else {
            current += c;
            inArgument = true;
            ++i;
        }
    }
    if (inArgument)
        args.push_back(current);
    return args;
}

using Args = std::vector<std::wstring>;

Args InstallArgs(const std::wstring& inf, const std::wstring& port,
                 const std::wstring& queue = L"Tarvik(Cut Mode)") {
    return {L"rundll32", L"printui.dll,PrintUIEntry", L"/if", L"/b", queue, L"/f", inf, L"/r", port,
            L"/m",       L"Tarvik(Cut Mode)"};
}

TEST(InstallCommand, ReadsAsBuiltToTheCharacter) {
    EXPECT_EQ(BuildInstallCommand(PrinterModelName, L"COM1:", L"C:\\Setup"),
              L"rundll32 printui.dll,PrintUIEntry /if /b \"Tarvik(Cut Mode)\" "
              L"/f \"C:\\Setup\\Velmoset.INF\" /r \"COM1:\" /m \"Tarvik(Cut Mode)\"");
    EXPECT_EQ(BuildInstallCommand(PrinterModelName, L"LPT2:", L"D:\\Drivers\\Printer"),
              L"rundll32 printui.dll,PrintUIEntry /if /b \"Tarvik(Cut Mode)\" "
              L"/f \"D:\\Drivers\\Printer\\Velmoset.INF\" /r \"LPT2:\" /m \"Tarvik(Cut Mode)\"");
}

TEST(InstallCommand, FolderWithBlanksStaysOneArgument) {
    const std::wstring folder = L"C:\\Program Files\\Setup  Dir ";
    EXPECT_EQ(SplitLikeWindows(BuildInstallCommand(PrinterModelName, L"COM2:", folder)),
              InstallArgs(folder + L"\\Velmoset.INF", L"COM2:"));
}

TEST(InstallCommand, NonLatinFolderIsPassedUnchanged) {
    const std::wstring folder =
        L"C:\\\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430 \u8bbe\u7f6e";
    EXPECT_EQ(SplitLikeWindows(BuildInstallCommand(PrinterModelName, L"COM3:", folder)),
              InstallArgs(folder + L"\\Velmoset.INF", L"COM3:"));
}

TEST(InstallCommand, DriveRootKeepsBothBackslashes) {
    const std::wstring command = BuildInstallCommand(PrinterModelName, L"COM1:", L"E:\\");
    EXPECT_NE(command.find(L" /f \"E:\\\\Velmoset.INF\" "), std::wstring::npos);
    EXPECT_EQ(SplitLikeWindows(command), InstallArgs(L"E:\\\\Velmoset.INF", L"COM1:"));
}

TEST(InstallCommand, EmptyPortNameIsAnEmptyQuotedValue) {
    const std::wstring command = BuildInstallCommand(PrinterModelName, L"", L"C:\\Setup");
    EXPECT_NE(command.find(L" /r \"\" /m "), std::wstring::npos);
    EXPECT_EQ(SplitLikeWindows(command), InstallArgs(L"C:\\Setup\\Velmoset.INF", L""));
}

TEST(RemoveCommand, NamesOnlyTheDriverModel) {
    EXPECT_EQ(BuildRemoveCommand(),
              L"rundll32 printui.dll,PrintUIEntry /dd /m \"Tarvik(Cut Mode)\"");
    EXPECT_EQ(SplitLikeWindows(BuildRemoveCommand()),
              (Args{L"rundll32", L"printui.dll,PrintUIEntry", L"/dd", L"/m", L"Tarvik(Cut Mode)"}));
}

// A queue named with /name, blanks and non-Latin letters and all, stays one argument.
TEST(UnattendedCommands, EndInTheQuietSwitchAndNameThePrinter) {
    const std::wstring queue = L"K\u00fcche \u5382\u623f 2";
    EXPECT_EQ(SplitLikeWindows(Quiet(BuildRemovePrinterCommand(queue))),
              (Args{L"rundll32", L"printui.dll,PrintUIEntry", L"/dl", L"/n", queue, L"/q"}));
    EXPECT_EQ(SplitLikeWindows(Quiet(BuildRemoveCommand())),
              (Args{L"rundll32", L"printui.dll,PrintUIEntry", L"/dd", L"/m", L"Tarvik(Cut Mode)",
                    L"/q"}));
    Args install = InstallArgs(L"C:\\Setup Dir\\Velmoset.INF", L"COM2:", queue);
    install.push_back(L"/q");
    EXPECT_EQ(SplitLikeWindows(Quiet(BuildInstallCommand(queue, L"COM2:", L"C:\\Setup Dir"))),
              install);
    EXPECT_EQ(SplitLikeWindows(Quiet(BuildInstallDriverCommand(L"C:\\Setup Dir"))),
              (Args{L"rundll32", L"printui.dll,PrintUIEntry", L"/ia", L"/m", L"Tarvik(Cut Mode)",
                    L"/f", L"C:\\Setup Dir\\Velmoset.INF", L"/q"}));
}

TEST(IsSetUpOn, OnlyTheRequestedPortWithTheModelsDriver) {
    const struct {
        InstalledPrinter printer;
        const wchar_t* port;
        bool setUp;
    } cases[] = {
        {{L"COM2:", L"Tarvik(Cut Mode)"}, L"COM2:", true},
        {{L"com2:", L"TARVIK(cut mode)"}, L"COM2:", true},
        {{L"COM1:", L"Tarvik(Cut Mode)"}, L"COM2:", false},
        {{L"COM2", L"Tarvik(Cut Mode)"}, L"COM2:", false},
        {{L"COM2:,COM3:", L"Tarvik(Cut Mode)"}, L"COM2:", false},
        {{L"LPT1:", L"Tarvik(Cut Mode)"}, L"LPT1:", true},
        {{L"COM2:", L"Generic / Text Only"}, L"COM2:", false},
        {{L"COM2:", L"Tarvik(Cut Mode) "}, L"COM2:", false},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(IsSetUpOn(test.printer, test.port), test.setUp)
            << std::string(test.printer.port.begin(), test.printer.port.end()) << " / "
            << std::string(test.printer.driver.begin(), test.printer.driver.end());
    }
}

TEST(FolderOfModulePath, DropsTheFileNameAndKeepsADriveRoot) {
    EXPECT_EQ(FolderOfModulePath(L"C:\\Setup\\portsetup.exe"), L"C:\\Setup");
    EXPECT_EQ(FolderOfModulePath(L"C:\\Setup Dir\\sub\\portsetup.exe"), L"C:\\Setup Dir\\sub");
    EXPECT_EQ(FolderOfModulePath(L"C:\\portsetup.exe"), L"C:\\");
    EXPECT_EQ(FolderOfModulePath(L"\\\\server\\share\\portsetup.exe"), L"\\\\server\\share");
    EXPECT_EQ(FolderOfModulePath(L"\\\\?\\C:\\Deep\\portsetup.exe"), L"\\\\?\\C:\\Deep");
    EXPECT_EQ(FolderOfModulePath(L" C:\\Setup \\portsetup.exe"), L" C:\\Setup ");
}

}  // namespace
}  // namespace portsetup
