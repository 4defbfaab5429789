#include "unattended/log_opened.h"

#include "model/text.h"

namespace portsetup {
namespace {

// The path as Win32 writes it: \\?\C:\Logs as C:\Logs, \\?\UNC\server\share as \\server\share.
std::wstring Win32Form(std::wstring_view path) {
    constexpr std::wstring_view kUnc = L"\\\\?\\UNC\\";
    constexpr std::wstring_view kLong = L"\\\\?\\";
    if (path.size() >= kUnc.size() && SameTextIgnoringCase(path.substr(0, kUnc.size()), kUnc)) {
        return Concat({L"\\\\", path.substr(kUnc.size())});
    }
    return std::wstring(path.starts_with(kLong) ? path.substr(kLong.size()) : path);
}

}  // namespace

std::wstring OpenedLogFault(std::span<const HeldFolder> folders, std::wstring_view asked,
                            std::wstring_view opened) {
    for (const HeldFolder& folder : folders) {
        if (folder.reparsePoint) {
            return Concat({L"the folder ", Quoted(folder.path),
                           L" became a junction or symbolic link while the log was opened; "
                           L"nothing was written."});
        }
    }
    if (!SameTextIgnoringCase(Win32Form(asked), Win32Form(opened))) {
        return Concat({L"the file opened is ", Quoted(Win32Form(opened)), L", not ",
                       Quoted(Win32Form(asked)),
                       L"; nothing was written. Give the path on its own drive or share, not "
                       L"through a substituted or mapped drive."});
    }
    return {};
}

}  // namespace portsetup
