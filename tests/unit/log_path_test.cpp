#include "unattended/log_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace portsetup {
namespace {

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

}  // namespace
}  // namespace portsetup
