#include "unattended/setup_log.h"

#include "actions/code_page.h"
#include "actions/error_text.h"
#include "model/text.h"
#include "unattended/log_line.h"

namespace portsetup {
namespace {

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
    file_ = OpenLogFile(path);
    if (!WriteFileLine(firstLine)) {
        const DWORD error = GetLastError();
        file_.reset();
        throw LogFileRefused{SystemErrorText(error)};
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
        written_.append(text).append(L"\n");
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
