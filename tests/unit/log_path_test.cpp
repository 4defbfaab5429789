#include "unattended/log_path.h"
#include "unattended/log_opened.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace portsetup {
namespace {

// A refused path's reason names what is wrong with it (says); empty: the path is taken.
void ExpectFault(const std::wstring& fault, const std::wstring& says) {
    if (says.empty()) {
        EXPECT_EQ(fault, L"");
    } else {
        EXPECT_NE(fault.find(says), std::wstring::npos) << std::string(fault.begin(), fault.end());
    }
}

TEST(LogPath, FoldersBelowTheRootOutermostFirst) {
    const struct {
        std::wstring path;
        std::vector<std::wstring> folders;
    } cases[] = {
        {L"C:\\ProgramData\\portsetup\\install.log",
         {L"C:\\ProgramData", L"C:\\ProgramData\\portsetup"}},
        {L"C:\\install.log", {}},
        {L"C:/Logs/new folder/p.log", {L"C:/Logs", L"C:/Logs/new folder"}},
        {L"\\\\server\\share\\logs\\p.log", {L"\\\\server\\share\\logs"}},
        {L"\\\\server\\share\\p.log", {}},
        {L"\\\\?\\C:\\Logs\\p.log", {L"\\\\?\\C:\\Logs"}},
        {L"\\\\?\\unc\\server\\share\\a\\p.log", {L"\\\\?\\unc\\server\\share\\a"}},
        {L"C:\\Logs\\\\a\\", {L"C:\\Logs", L"C:\\Logs\\\\a"}},
        {L"\\Logs\\p.log", {L"\\Logs"}},
        {L"logs\\p.log", {L"logs"}},
        {L"p.log", {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.path.begin(), test.path.end()));
        EXPECT_EQ(FoldersOnPath(test.path), test.folders);
    }
}

TEST(LogPath, RefusedByItsText) {
    const struct {
        std::wstring path;
        std::wstring says;
    } cases[] = {
        {L"C:\\ProgramData\\portsetup\\install.log", L""},
        {L"\\\\server\\share\\logs\\p.log", L""},
        {L"\\\\?\\C:\\Logs\\p.log", L""},
        {L"C:\\Logs\\COM10.log", L""},
        {L"C:\\Logs\\COM0.log", L""},  // COM1 to COM9 only: a file may be called COM0
        {L"C:\\Logs\\console.log", L""},
        {L"C:\\Logs\\nullable\\LPT.log", L""},
        {L"portsetup.log", L"relative"},
        {L"logs\\p.log", L"relative"},
        {L"\\Logs\\p.log", L"relative"},
        {L"C:p.log", L"relative"},
        {L"%ProgramData%\\Logs\\p.log",
         L"%ProgramData%, an environment variable that was not "
         L"expanded (an Intune uninstall command expands none). "
         L"Give the full path written out"},
        {L"C:\\Logs\\%RUN\\p.log", L"holds %,"},
        {L"C:\\Logs\\COM7.log", L"\"COM7.log\" names a device"},
        {L"C:\\Logs\\com1", L"\"com1\" names a device"},
        {L"C:\\Logs\\Lpt9.old.log", L"\"Lpt9.old.log\" names a device"},
        {L"C:\\nul\\p.log", L"\"nul\" names a device"},
        {L"\\\\server\\share\\AUX .txt\\p.log", L"\"AUX .txt\" names a device"},
        {L"C:\\Con.log", L"names a device"},
        {L"C:\\Logs\\COM7:", L"\"COM7:\" names a device"},
        {L"C:\\Logs\\COM7:.log", L"\"COM7:.log\" names a device"},
        {L"\\\\.\\COM7", L"device path"},
        {L"//./C:/Logs/p.log", L"device path"},
        {L"\\\\?\\GlobalRoot\\Device\\HarddiskVolume2\\p.log", L"device path"},
        {L"C:\\Logs\\.\\p.log", L"holds \".\""},
        {L"C:\\Windows\\..\\Users\\Public\\p.log", L"holds \"..\""},
        {L"C:\\Logs.\\p.log", L"\"Logs.\" ends with a dot or a blank"},
        {L"C:\\Logs\\p.log ", L"\"p.log \" ends with a dot or a blank"},
        {L"C:\\Logs\\.hidden\\p.log", L""},
        {L"C:\\Windows\\Logs\\Software\" /timeout 60",
         L"after it \" /timeout 60\": a path must not end with a backslash before"},
        {L"\"C:\\logs\\q.log\"",
         L"as part of the path. Write them plainly: /log \"C:\\logs\\q.log\"."},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.path.begin(), test.path.end()));
        ExpectFault(LogPathFault(test.path), test.says);
    }
}

// After the open: a held folder turned into a junction, or a file that the system places elsewhere
// than the path asked for, is not written to.
TEST(LogPath, OpenedWhereThePathSays) {
    const std::wstring asked = L"C:\\Logs\\Till 4\\p.log";
    const std::wstring opened = L"\\\\?\\C:\\Logs\\Till 4\\p.log";
    const struct {
        std::wstring reparsed;
        std::wstring asked;
        std::wstring opened;
        std::wstring says;
    } cases[] = {
        {L"", L"C:/Logs//Till 4/p.log", L"\\\\?\\c:\\LOGS\\till 4\\P.LOG", L""},
        {L"", opened, opened, L""},
        {L"", L"\\\\server\\share\\p.log", L"\\\\?\\UNC\\server\\share\\p.log", L""},
        {L"C:\\Logs\\Till 4", asked, opened, L"the folder \"C:\\Logs\\Till 4\" became a junction"},
        {L"", asked, L"\\\\?\\C:\\Logs\\Till 4\\p.log.txt", L"the file opened is \"\\\\?\\C:"},
        {L"", L"P:\\p.log", L"\\\\?\\UNC\\server\\share\\p.log", L"mapped or substituted drive"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.opened.begin(), test.opened.end()));
        ExpectFault(OpenedLogFault(test.reparsed, test.asked, test.opened), test.says);
    }
}

}  // namespace
}  // namespace portsetup
