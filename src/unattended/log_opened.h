// Whether the log file, once open, is where its path says: between the checks of the folders on
// the way and the open, a user who may set attributes on one of them can turn it into a junction
// (which holding the folder open does not stop), and the file then lies elsewhere.
#pragma once

#include <string>
#include <string_view>

namespace portsetup {

// Why the opened log must not be written, in words for the run's reader; empty when it may.
// reparsedFolder is the first folder on the way whose held handle now shows a reparse point,
// empty when none does; asked is the log's path with long names, opened the file's final path as
// the system gives it for the handle (\\?\C:\..., \\?\UNC\server\share\...). The paths are
// compared as Win32 reads them: in any letter case, without the \\?\ prefix, / as \, and a run
// of separators as one.
std::wstring OpenedLogFault(std::wstring_view reparsedFolder, std::wstring_view asked,
                            std::wstring_view opened);

}  // namespace portsetup
