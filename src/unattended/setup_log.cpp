#include "unattended/setup_log.h"

#include <sddl.h>

#include "actions/code_page.h"
#include "actions/error_text.h"
#include "model/text.h"
#include "unattended/log_line.h"
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

// A link on the way would send what SYSTEM writes wherever the one who made it chose.
void RefuseLink(DWORD attributes, std::wstring_view what) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        throw LogFileRefused{Concat({what,
                                     L" is a junction or symbolic link (a reparse point); the log "
                                     L"is not written through it."})};
    }
}

void RefuseUnlessPlainFile(DWORD attributes) {
    RefuseLink(attributes, L"it");
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        throw LogFileRefused{L"it is a folder."};
    }
}

// Creates folder with the log's own permissions when it is missing; one that is there must be a
// plain folder, and is left as it is.
void MakeOrCheckFolder(const std::wstring& folder, SECURITY_ATTRIBUTES& security) {
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (CreateDirectoryW(folder.c_str(), &security)) {
            return;
        }
        if (const DWORD error = GetLastError(); error != ERROR_ALREADY_EXISTS) {
            RefuseForError(error,
                           Concat({L"the folder ", Quoted(folder), L" cannot be created: "}));
        }
        // Made by someone else meanwhile: checked as it is.
        attributes = GetFileAttributesW(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            RefuseForError(error, Concat({L"the folder ", Quoted(folder), L" cannot be read: "}));
        }
    }
    RefuseLink(attributes, Concat({L"the folder ", Quoted(folder)}));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw LogFileRefused{Concat({Quoted(folder), L" is a file, not a folder."})};
    }
}

bool WriteAll(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

LogTime Now() {
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    SYSTEMTIME local = utc;
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    FILETIME utcTime{};
    FILETIME localTime{};
    SystemTimeToFileTime(&utc, &utcTime);
    SystemTimeToFileTime(&local, &localTime);
    auto ticks = [](const FILETIME& time) {
        return static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                      time.dwLowDateTime);
    };
    constexpr long long kTicksPerMinute = 60LL * 10'000'000;
    const long long offset = (ticks(localTime) - ticks(utcTime)) / kTicksPerMinute;
    return {local.wYear,
            local.wMonth,
            local.wDay,
            local.wHour,
            local.wMinute,
            local.wSecond,
            static_cast<int>(offset)};
}

}  // namespace

SetupLog::SetupLog() {
    const HANDLE given = GetStdHandle(STD_ERROR_HANDLE);
    if (given && given != INVALID_HANDLE_VALUE && GetFileType(given) != FILE_TYPE_UNKNOWN &&
        GetFileType(given) != FILE_TYPE_CHAR) {
        errorOutput_ = given;
    } else if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        console_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
        if (console_.get() == INVALID_HANDLE_VALUE) {
            console_.release();
        }
    }
}

void SetupLog::OpenFile(const std::wstring& path, std::wstring_view firstLine) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kLogFolderSecurity, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        RefuseForError(GetLastError());
    }
    const UniqueHlocal ownedDescriptor(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    for (const std::wstring& folder : FoldersOnPath(path)) {
        MakeOrCheckFolder(folder, security);
    }
    if (const DWORD attributes = GetFileAttributesW(path.c_str());
        attributes != INVALID_FILE_ATTRIBUTES) {
        RefuseUnlessPlainFile(attributes);
    }

    // Shared for writing too, so that a second run at the same time can say why it stopped. A
    // link put in the file's place since the check above is opened as itself, not followed, and
    // refused below before anything is written.
    UniqueKernelHandle file(
        CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        RefuseForError(GetLastError());
    }
    BY_HANDLE_FILE_INFORMATION opened{};
    if (!GetFileInformationByHandle(file.get(), &opened)) {
        RefuseForError(GetLastError());
    }
    RefuseUnlessPlainFile(opened.dwFileAttributes);

    file_ = std::move(file);
    if (!WriteFileLine(firstLine)) {
        const DWORD error = GetLastError();
        file_.reset();
        RefuseForError(error);
    }
}

bool SetupLog::WriteFileLine(std::wstring_view text) noexcept {
    try {
        return WriteAll(file_.get(), ToCodePage(CP_UTF8, LogLine(Now(), text)));
    } catch (...) {
        return false;
    }
}

void SetupLog::Write(std::wstring_view text) noexcept {
    if (file_) {
        WriteFileLine(text);
    }
    try {
        const std::wstring line = std::wstring(text) + L"\r\n";
        if (console_) {
            DWORD written = 0;
            WriteConsoleW(console_.get(), line.data(), static_cast<DWORD>(line.size()), &written,
                          nullptr);
        } else if (errorOutput_) {
            WriteAll(errorOutput_, ToCodePage(CP_UTF8, line));
        }
    } catch (...) {
        // Nothing more to do: the line is lost, the exit code still tells.
    }
}

}  // namespace portsetup
