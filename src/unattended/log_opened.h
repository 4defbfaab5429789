// Whether the log file, once open, is where its path says: between the checks of the folders on
// the way and the open, a user who may set attributes on one of them can turn it into a junction
// (which holding the folder open does not stop), and the file then lies elsewhere.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace portsetup {

// A folder on the log's way as its held handle shows it after the file was opened.
struct HeldFolder {
    std::wstring path;
    bool reparsePoint = false;
};

// Why the opened log must not be written, in words for the run's reader; empty when it may.
// asked is the log's full path with long names, opened the file's final path as the system
// gives it for the handle (\\?\C:\..., \\?\UNC\server\share\...); the two are compared in any
// letter case, without the \\?\ prefix.
std::wstring OpenedLogFault(std::span<const HeldFolder> folders, std::wstring_view asked,
                            std::wstring_view opened);

}  // namespace portsetup
