#include "ui/error_text.h"

#include <windows.h>

#include "actions/win32_handles.h"

namespace portsetup {

std::wstring SystemErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueHandle<HLOCAL, &::LocalFree> owned(buffer);
    std::wstring text(buffer ? buffer : L"", length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = L"Unknown error.";
    }
    // Digits by hand: std::to_wstring would link the C library's wide printf into a tool that
    // otherwise has no use for it.
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + code % 10));
        code /= 10;
    } while (code != 0);
    return text + L" (error " + digits + L")";
}

}  // namespace portsetup
