// What Windows' answer to "is protected print mode on?" means. The answer comes from a WinRT class
// that only Windows 11 24H2 and later have, so this is where a test can feed it what only Windows
// returns.
#pragma once

#include <cstdint>

namespace portsetup {

// result is the HRESULT of WindowsProtectedPrintInfo.IsProtectedPrintEnabled and enabled the value
// it gave. A call that failed says nothing, and the install goes ahead as where the class is
// missing.
constexpr bool ProtectedPrintAnswerIsOn(std::int32_t result, bool enabled) {
    return result >= 0 && enabled;
}

}  // namespace portsetup
