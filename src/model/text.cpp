#include "model/text.h"

namespace portsetup {

std::wstring Concat(std::initializer_list<std::wstring_view> parts) {
    std::size_t size = 0;
    for (const std::wstring_view part : parts) {
        size += part.size();
    }
    std::wstring text;
    text.reserve(size);
    for (const std::wstring_view part : parts) {
        text.append(part);
    }
    return text;
}

std::wstring Quoted(std::wstring_view text) {
    return Concat({L"\"", text, L"\""});
}

}  // namespace portsetup
