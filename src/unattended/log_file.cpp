#include "unattended/log_file.h"

#include <sddl.h>

#include <vector>

#include "actions/error_text.h"
#include "actions/system_text.h"
#include "model/text.h"
#include "unattended/log_opened.h"
#include "unattended/log_path.h"

namespace portsetup {
namespace {

// The folders the log creates: SYSTEM and Administrators may do anything, Authenticated Users may
// read (and list and enter the folders); nothing comes from the parent folder, and all of it
// goes to what is created inside. So a standard user can neither change the log nor put a link
// where the log will be written.
constexpr wchar_t kLogFolderSecurity[] =
    L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;CI;0x1200a9;;;AU)(A;OIIO;FR;;;AU)";

// error is read by the caller before building doing, which could change the last error.
[[noreturn]] void RefuseForError(DWORD error, std::wstring_view doing = {}) {
    throw LogFileRefused{Concat({doing, SystemErrorText(error)})};
}

[[noreturn]] void RefuseFolder(DWORD error, const std::wstring& folder, std::wstring_view what) {
    RefuseForError(error, Concat({L"the folder ", Quoted(folder), what}));
}

// A link on the way would send what SYSTEM writes wherever the one who made it chose.
void RefuseLink(DWORD attributes, std::wstring_view what) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        throw LogFileRefused{Concat({what,
                                     L" is a junction or symbolic link (a reparse point); the log "
                                     L"is not written through it."})};
    }
}

BY_HANDLE_FILE_INFORMATION InformationOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) {
        RefuseForError(GetLastError());
    }
    return information;
}

// Opens folder as itself, a link not followed, and checks that it is a plain folder. Listing
// access, since an open that only reads attributes does not count against others' sharing; no
// FILE_SHARE_DELETE, so that while the handle is held nobody can delete or rename the folder to
// put a junction in its place.
UniqueKernelHandle OpenFolder(const std::wstring& folder) {
    UniqueKernelHandle handle(
        CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (handle.get() == INVALID_HANDLE_VALUE) {
        handle.release();
        return handle;
    }
    // Read by name too, now that the name can no longer be given to something else: Wine
    // reports a link to a folder only this way.
    DWORD attributes = InformationOf(handle.get()).dwFileAttributes;
    if (const DWORD named = GetFileAttributesW(folder.c_str()); named != INVALID_FILE_ATTRIBUTES) {
        attributes |= named;
    }
    RefuseLink(attributes, Concat({L"the folder ", Quoted(folder)}));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw LogFileRefused{Concat({Quoted(folder), L" is a file, not a folder."})};
    }
    return handle;
}

// The folder, held open; created with the log's own permissions when it is missing.
UniqueKernelHandle MakeOrOpenFolder(const std::wstring& folder, SECURITY_ATTRIBUTES& security) {
    if (UniqueKernelHandle handle = OpenFolder(folder)) {
        return handle;
    }
    if (const DWORD error = GetLastError();
        error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        RefuseFolder(error, folder, L" cannot be read: ");
    }
    // Made by someone else meanwhile (ERROR_ALREADY_EXISTS): checked as it is.
    if (!CreateDirectoryW(folder.c_str(), &security)) {
        if (const DWORD error = GetLastError(); error != ERROR_ALREADY_EXISTS) {
            RefuseFolder(error, folder, L" cannot be created: ");
        }
    }
    UniqueKernelHandle handle = OpenFolder(folder);
    if (!handle) {
        RefuseFolder(GetLastError(), folder, L" cannot be read: ");
    }
    return handle;
}

// Opens the file at path, which the folders on the way have been checked for.
UniqueKernelHandle OpenFile(const std::wstring& path) {
    if (const DWORD attributes = GetFileAttributesW(path.c_str());
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw LogFileRefused{L"it is a folder."};
    }
    // Shared for writing too, so that a second run at the same time can say why it stopped. A
    // link in the file's place is opened as itself, not followed, and refused below before
    // anything is written.
    UniqueKernelHandle file(
        CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        RefuseForError(GetLastError());
    }
    const BY_HANDLE_FILE_INFORMATION opened = InformationOf(file.get());
    RefuseLink(opened.dwFileAttributes, L"it");
    // Another name for the same file may sit in a folder anybody can read, or be the name of a
    // file the one who linked it wants SYSTEM to write to.
    if (opened.nNumberOfLinks > 1) {
        throw LogFileRefused{Concat({L"the file has ", DecimalText(opened.nNumberOfLinks),
                                     L" names (hard links); the log is not written to it."})};
    }
    return file;
}

// A path as the system gives it (TextFromSystem); a failure refuses the log.
template <class Call>
std::wstring PathFromSystem(Call call) {
    std::optional<std::wstring> path = TextFromSystem(call);
    if (!path) {
        RefuseForError(GetLastError());
    }
    return std::move(*path);
}

// Each folder on the way is made or opened and held while everything below it is opened; once
// the file is open, the held folders and the file's final path show whether a folder became a
// junction in between.
UniqueKernelHandle OpenThrough(const std::vector<std::wstring>& folders, const std::wstring& path,
                               SECURITY_ATTRIBUTES& security) {
    std::vector<UniqueKernelHandle> held;
    for (const std::wstring& folder : folders) {
        held.push_back(MakeOrOpenFolder(folder, security));
    }
    UniqueKernelHandle file = OpenFile(path);
    std::wstring_view reparsed;
    for (std::size_t index = 0; index < held.size() && reparsed.empty(); ++index) {
        if (InformationOf(held[index].get()).dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            reparsed = folders[index];
        }
    }
    const std::wstring asked = PathFromSystem([&path](wchar_t* buffer, DWORD size) {
        return GetLongPathNameW(path.c_str(), buffer, size);
    });
    const std::wstring opened = PathFromSystem([&file](wchar_t* buffer, DWORD size) {
        return GetFinalPathNameByHandleW(file.get(), buffer, size, VOLUME_NAME_DOS);
    });
    if (std::wstring fault = OpenedLogFault(reparsed, asked, opened); !fault.empty()) {
        throw LogFileRefused{std::move(fault)};
    }
    return file;
}

}  // namespace

UniqueKernelHandle OpenLogFile(const std::wstring& path) {
    if (std::wstring fault = LogPathFault(path); !fault.empty()) {
        throw LogFileRefused{std::move(fault)};
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kLogFolderSecurity, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        RefuseForError(GetLastError());
    }
    const UniqueHlocal ownedDescriptor(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    return OpenThrough(FoldersOnPath(path), path, security);
}

}  // namespace portsetup
