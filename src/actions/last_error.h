// A failed system call, as the actions report it: std::system_error with the call's last error,
// whose code the front ends turn into the system's own message.
#pragma once

#include <system_error>

namespace portsetup {

// Throws std::system_error for code, or for the calling thread's last error. Not inline: each
// call site would otherwise carry the exception's construction.
[[noreturn]] void ThrowSystemError(unsigned long code, const char* what);
[[noreturn]] void ThrowLastError(const char* what);

}  // namespace portsetup
