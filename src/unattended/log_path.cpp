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

// A drive's root (C:\) or two separators (a share, or the \\?\ and \\.\ forms): the path does
// not depend on the current folder or drive.
bool IsAbsolute(std::wstring_view path) {
    return (path.size() >= 3 && path[1] == L':' && IsSeparator(path[2])) ||
           (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
}

// Windows opens these names as devices in any folder, whatever follows a dot or a colon:
// C:\Logs\COM7.log and C:\Logs\COM7: are the serial port. "Naming Files, Paths, and Namespaces",
// learn.microsoft.com.
bool IsDeviceName(std::wstring_view part) {
    std::wstring_view base = part.substr(0, part.find_first_of(L".:"));
    while (!base.empty() && base.back() == L' ') {
        base.remove_suffix(1);
    }
    // # stands for a digit from 1 to 9.
    for (const std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"COM#", L"LPT#"}) {
        if (std::ranges::equal(base, device, [](wchar_t c, wchar_t d) {
                return d == L'#' ? c >= L'1' && c <= L'9' : SameLetterIgnoringCase(c, d);
            })) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::wstring LogPathFault(std::wstring_view path) {
    if (const std::size_t quote = path.find(L'"'); quote != std::wstring_view::npos) {
        // Quotes written \" reach the tool as part of the path; a backslash just before a closing
        // quote keeps that quote, and the rest of the command line joins the path.
        if (quote == 0) {
            std::wstring unquoted(path);
            std::erase(unquoted, L'"');
            return Concat(
                {L"it begins with a quotation mark: quotes written \\\" reach the tool as "
                 L"part of the path. Write them plainly: /log ",
                 Quoted(unquoted), L"."});
        }
        return Concat({L"it holds a quotation mark, and after it ", Quoted(path.substr(quote + 1)),
                       L": a path must not end with a backslash before its closing quote."});
    }
    if (const std::size_t percent = path.find(L'%'); percent != std::wstring_view::npos) {
        const std::size_t end = path.find(L'%', percent + 1);
        const std::wstring_view variable =
            path.substr(percent, end == std::wstring_view::npos ? 1 : end - percent + 1);
        return Concat({L"it holds ", variable,
                       L", an environment variable that was not expanded (an Intune uninstall "
                       L"command expands none). Give the full path written out, as the README's "
                       L"deployment commands do: C:\\Windows\\Logs\\Software\\portsetup.log."});
    }
    if (!IsAbsolute(path)) {
        return L"it is a relative path; give one starting with a drive or a share.";
    }
    // \\.\ and \\?\GLOBALROOT reach devices and volumes by the system's own names.
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) && IsSeparator(path[3]) &&
        (path[2] == L'.' ||
         (path[2] == L'?' &&
          SameTextIgnoringCase(path.substr(4, PartEnd(path, 4) - 4), L"GLOBALROOT")))) {
        return L"it is a device path (\\\\.\\ or \\\\?\\GLOBALROOT); give one starting with a "
               L"drive or a share.";
    }
    for (std::size_t start = RootLength(path); start < path.size();) {
        const std::size_t end = PartEnd(path, start);
        const std::wstring_view part = path.substr(start, end - start);
        if (IsDeviceName(part)) {
            return Concat({Quoted(part), L" names a device, not a file or folder."});
        }
        // Windows takes these parts away, or strips the dots and blanks at their end, so the
        // log would be written elsewhere than the path reads.
        if (part == L"." || part == L"..") {
            return Concat({L"it holds ", Quoted(part), L"; give the path without it."});
        }
        if (part.ends_with(L'.') || part.ends_with(L' ')) {
            return Concat({Quoted(part),
                           L" ends with a dot or a blank, which Windows strips; give the name "
                           L"without it."});
        }
        start = end + 1;
    }
    return {};
}

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
