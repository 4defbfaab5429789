// Wide text converted to a code page's bytes: the system's 8-bit code page for the registry's
// 8-bit calls, UTF-8 for the log.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace portsetup {

inline std::string ToCodePage(UINT codePage, std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int wide = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(codePage, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(codePage, 0, text.data(), wide, converted.data(), bytes, nullptr,
                            nullptr);
    }
    return converted;
}

}  // namespace portsetup
