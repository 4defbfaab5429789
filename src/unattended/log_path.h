// Which log paths the unattended run refuses by their text alone, and which parts of a path are
// folders: those the log checks before it writes through them, and creates when they are missing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace portsetup {

// Why path cannot name the log, in words for the run's reader; empty when it can. Refused: a
// relative path (it would name a file in whatever folder the tool was started from, often the
// package folder a deployment tool deletes afterwards), one that still holds an environment
// variable's %NAME%, one with a quotation mark (the backslash before a closing quote kept it), a
// device path (\\.\, \\?\GLOBALROOT), one with a part that names a device (CON, PRN, AUX, NUL,
// COM1 to COM9, LPT1 to LPT9, with anything after a dot or a colon), and one with a part that
// Windows would drop or change: . and .., or a name that ends with a dot or a blank.
std::wstring LogPathFault(std::wstring_view path);

// The folders path runs through below its root, outermost first: for
// C:\ProgramData\portsetup\install.log, C:\ProgramData and C:\ProgramData\portsetup. A drive
// (C:\), a share (\\server\share\) and the device forms (\\?\C:\, \\?\UNC\server\share\) are
// roots, not folders. Both \ and / separate; an empty part between two separators is no folder.
std::vector<std::wstring> FoldersOnPath(std::wstring_view path);

}  // namespace portsetup
