#include "unattended/log_opened.h"

#include "model/text.h"

namespace portsetup {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The path without the prefix of its long or share form: \\?\C:\Logs from C:, \\?\UNC\server
// and \\server from the server's name.
std::wstring_view WithoutPrefix(std::wstring_view path) {
    for (const std::wstring_view prefix : {L"\\\\?\\UNC\\", L"\\\\?\\", L"\\\\"}) {
        if (path.size() >= prefix.size() &&
            SameTextIgnoringCase(path.substr(0, prefix.size()), prefix)) {
            return path.substr(prefix.size());
        }
    }
    return path;
}

// The same path as Win32 reads it: letters in any case, / as \, a run of separators as one.
bool SamePath(std::wstring_view a, std::wstring_view b) {
    a = WithoutPrefix(a);
    b = WithoutPrefix(b);
    const auto next = [](std::wstring_view& path) {
        const wchar_t c = path.front();
        path.remove_prefix(1);
        if (!IsSeparator(c)) {
            return c;
        }
        while (!path.empty() && IsSeparator(path.front())) {
            path.remove_prefix(1);
        }
        return L'\\';
    };
    while (!a.empty() && !b.empty()) {
        if (!SameLetterIgnoringCase(next(a), next(b))) {
            return false;
        }
    }
    return a.empty() && b.empty();
}

}  // namespace

std::wstring OpenedLogFault(std::wstring_view reparsedFolder, std::wstring_view asked,
                            std::wstring_view opened) {
    if (!reparsedFolder.empty()) {
        return Concat({L"the folder ", Quoted(reparsedFolder),
                       L" became a junction or symbolic link as the log was opened."});
    }
    if (!SamePath(asked, opened)) {
        return Concat({L"the file opened is ", Quoted(opened),
                       L", not the one asked for (a mapped or substituted drive is not taken: "
                       L"give the share's path)."});
    }
    return {};
}

}  // namespace portsetup
