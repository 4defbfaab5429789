// Opening the unattended run's log file so that nobody else can steer where SYSTEM writes: no
// link on the way is followed, none can be put in place between the checks and the open, and no
// file that is also reachable under another name is appended to.
#pragma once

#include <string>

#include "actions/win32_handles.h"

namespace portsetup {

// Why the log file was not opened, in words for the run's reader: a path refused for its text, one
// that runs through a link, a file with more than one name, or the system's message when the file
// cannot be made.
struct LogFileRefused {
    std::wstring reason;
};

// Opens the file at path for appending, creating it and the folders on the way where they are
// missing; folders it creates may be changed by SYSTEM and Administrators only. Every folder on
// the way is checked through a handle that is held, without letting it be deleted or renamed,
// until the file is open, and checked again through it afterwards (OpenedLogFault). Throws
// LogFileRefused when the path is refused (LogPathFault), a folder on the way or the file is a
// link (junction, symbolic link, mount point) or became one, the file is a folder, has another
// hard link or lies elsewhere than the path says, or it cannot be opened.
UniqueKernelHandle OpenLogFile(const std::wstring& path);

}  // namespace portsetup
