#include "actions/error_text.h"

#include <windows.h>

#include "actions/last_error.h"
#include "actions/win32_handles.h"
#include "model/text.h"

namespace portsetup {
void ThrowSystemError(unsigned long code, const char* what) {
    throw SystemCallFailed(code, what);
}

void ThrowLastError(const char* what) {
    ThrowSystemError(GetLastError(), what);
}

std::wstring SystemErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueHlocal owned(buffer);
    std::wstring text(buffer ? buffer : L"", length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = L"Unknown error.";
    }
    return text + L" (error " + DecimalText(code) + L")";
}

}  // namespace portsetup
