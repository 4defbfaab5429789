// Digits of a number, written by hand: std::to_wstring would link the C library's wide printf
// into a tool that otherwise has no use for it.
#pragma once

#include <string>

namespace portsetup {

inline std::wstring DecimalText(unsigned long number) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + number % 10));
        number /= 10;
    } while (number != 0);
    return digits;
}

}  // namespace portsetup
