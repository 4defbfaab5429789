// A failed system call, as the actions report it: std::system_error with the call's last error,
// whose code the front ends turn into the system's own message.
#pragma once

#include <windows.h>

#include <system_error>

namespace portsetup {

[[noreturn]] inline void ThrowLastError(const char* what) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

}  // namespace portsetup
