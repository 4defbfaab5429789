// Texts the system writes into a caller's buffer, such as folders and paths, read whatever their
// length.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace portsetup {

// call(buffer, size) writes the text and returns its length, or the size it needs when the buffer
// is too small, or 0 when it fails. Nothing on failure, with the thread's last error saying why.
template <class Call>
std::optional<std::wstring> TextFromSystem(Call call) {
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(length);  // too small: length is the size needed
    }
}

}  // namespace portsetup
