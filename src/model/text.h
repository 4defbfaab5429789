// Small text helpers the tool's parts share.
#pragma once

#include <algorithm>
#include <cwctype>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace portsetup {

// Digits of a number, written by hand: std::to_wstring would link the C library's wide printf
// into a tool that otherwise has no use for it.
inline std::wstring DecimalText(unsigned long number) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + number % 10));
        number /= 10;
    } while (number != 0);
    return digits;
}

// Decimal digits without a leading zero, from 1 to most; nothing for any other text.
inline std::optional<unsigned long> ReadDecimal(std::wstring_view digits, unsigned long most) {
    if (digits.empty() || digits.size() > 6 || digits[0] == L'0') {
        return std::nullopt;
    }
    unsigned long number = 0;
    for (const wchar_t digit : digits) {
        if (digit < L'0' || digit > L'9') {
            return std::nullopt;
        }
        number = number * 10 + static_cast<unsigned long>(digit - L'0');
    }
    return number <= most ? std::optional(number) : std::nullopt;
}

// Compares in any letter case, as Windows compares switch, port, device and driver names.
inline bool SameLetterIgnoringCase(wchar_t x, wchar_t y) {
    return std::towlower(static_cast<std::wint_t>(x)) == std::towlower(static_cast<std::wint_t>(y));
}
inline bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return std::ranges::equal(a, b, SameLetterIgnoringCase);
}
// Whether part occurs in text, in any letter case.
inline bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part) {
    return !std::ranges::search(text, part, SameLetterIgnoringCase).empty();
}

// Joins parts into one text: one call and one allocation where a chain of + would make a
// temporary, and code to clean it up, for every part.
std::wstring Concat(std::initializer_list<std::wstring_view> parts);

// text in double quotes, as messages show values.
std::wstring Quoted(std::wstring_view text);

}  // namespace portsetup
