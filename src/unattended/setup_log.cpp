#include "unattended/setup_log.h"

#include <system_error>

#include "actions/code_page.h"
#include "unattended/log_line.h"

namespace portsetup {
namespace {

[[noreturn]] void ThrowLastError(const char* what) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
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

// Creates every missing folder on the way to path's folder.
void MakeParentFolders(const std::wstring& path) {
    for (std::size_t separator = path.find_first_of(L"\\/", 0); separator != std::wstring::npos;
         separator = path.find_first_of(L"\\/", separator + 1)) {
        const std::wstring folder = path.substr(0, separator);
        // Roots and a share's first parts are not folders to create; failures show on the open.
        if (folder.empty() || folder.back() == L':' || folder.back() == L'\\' ||
            folder == L"\\\\?") {
            continue;
        }
        CreateDirectoryW(folder.c_str(), nullptr);
    }
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
    MakeParentFolders(path);
    // Shared for writing too, so that a second run at the same time can say why it stopped.
    UniqueKernelHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        ThrowLastError("CreateFileW");
    }
    file_ = std::move(file);
    if (!WriteFileLine(firstLine)) {
        const DWORD error = GetLastError();
        file_.reset();
        throw std::system_error(static_cast<int>(error), std::system_category(), "WriteFile");
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
