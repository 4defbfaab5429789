// Which parts of the log's path are folders: those the log checks before it writes through them,
// and creates when they are missing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace portsetup {

// The folders path runs through below its root, outermost first: for
// C:\ProgramData\portsetup\install.log, C:\ProgramData and C:\ProgramData\portsetup. A drive
// (C:\), a share (\\server\share\) and the device forms (\\?\C:\, \\?\UNC\server\share\) are
// roots, not folders. Both \ and / separate; an empty part between two separators is no folder.
std::vector<std::wstring> FoldersOnPath(std::wstring_view path);

}  // namespace portsetup
