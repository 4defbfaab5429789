#include "unattended/log_path.h"

#include <algorithm>

#include "model/text.h"

namespace portsetup {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Where the part of path that starts at from ends: at its separator, or at the end.
std::size_t PartEnd(std::wstring_view path, std::size_t from) {
    const auto end =
        std::find_if(path.begin() + static_cast<std::ptrdiff_t>(from), path.end(), IsSeparator);
    return static_cast<std::size_t>(end - path.begin());
}

// The length of what names a drive, share or device rather than a folder, with its separator.
std::size_t RootLength(std::wstring_view path) {
    const auto separatorAt = [path](std::size_t i) {
        return i < path.size() && IsSeparator(path[i]);
    };
    if (separatorAt(0) && separatorAt(1)) {
        std::size_t at = 2;
        int parts = 2;  // \\server\share
        if (path.size() > 3 && (path[2] == L'?' || path[2] == L'.') && separatorAt(3)) {
            at = 4;
            const std::wstring_view first = path.substr(4, PartEnd(path, 4) - 4);
            parts = SameTextIgnoringCase(first, L"UNC") ? 3 : 1;  // \\?\UNC\server\share or \\?\C:
        }
        for (; parts > 0 && at < path.size(); --parts) {
            at = PartEnd(path, at) + 1;
        }
        return std::min(at, path.size());
    }
    if (path.size() >= 2 && path[1] == L':') {
        return separatorAt(2) ? 3 : 2;
    }
    return separatorAt(0) ? 1 : 0;
}

}  // namespace

std::vector<std::wstring> FoldersOnPath(std::wstring_view path) {
    std::vector<std::wstring> folders;
    // Every part but the last, which names the file, is a folder.
    for (std::size_t start = RootLength(path), end = PartEnd(path, start); end < path.size();
         start = end + 1, end = PartEnd(path, start)) {
        if (end > start) {
            folders.emplace_back(path.substr(0, end));
        }
    }
    return folders;
}

}  // namespace portsetup
