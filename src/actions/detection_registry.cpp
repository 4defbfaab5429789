#include "actions/detection_registry.h"

#include <windows.h>

#include <string>

#include "actions/win32_handles.h"

namespace portsetup {

long WriteDetectionValue(std::wstring_view queue, std::wstring_view text) {
    HKEY opened = nullptr;
    const LONG created = RegCreateKeyExW(
        HKEY_LOCAL_MACHINE, std::wstring(kDetectionKeyPath).c_str(), 0, nullptr,
        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &opened, nullptr);
    if (created != ERROR_SUCCESS) {
        return created;
    }
    const UniqueHkey key(opened);
    const std::wstring data(text);
    return RegSetValueExW(key.get(), std::wstring(queue).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> ReadDetectionValue(std::wstring_view queue) {
    const std::wstring path(kDetectionKeyPath);
    const std::wstring name(queue);
    constexpr DWORD flags = RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY;
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), name.c_str(), flags, nullptr, nullptr,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), name.c_str(), flags, nullptr, text.data(),
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(text.find(L'\0'));
    return text;
}

long DeleteDetectionValue(std::wstring_view queue) {
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(kDetectionKeyPath).c_str(),
                                      0, KEY_SET_VALUE | KEY_WOW64_64KEY, &opened);
    if (status == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS;
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const UniqueHkey key(opened);
    const LONG deleted = RegDeleteValueW(key.get(), std::wstring(queue).c_str());
    return deleted == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : deleted;
}

}  // namespace portsetup
