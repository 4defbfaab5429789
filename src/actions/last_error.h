// A failed system call, as the actions report it: the call's Win32 error code, which the front
// ends turn into the system's own message (SystemErrorText).
//
// Not std::system_error: its error categories link in the C++ library's message tables and
// errno mapping, about 8 KiB of a program that shows the system's texts anyway.
#pragma once

#include <exception>

namespace portsetup {

class SystemCallFailed final : public std::exception {
  public:
    SystemCallFailed(unsigned long code, const char* call) noexcept : code_(code), call_(call) {}
    unsigned long code() const noexcept { return code_; }
    const char* what() const noexcept override { return call_; }

  private:
    unsigned long code_;
    const char* call_;  // a string literal: the call that failed
};

// Throws SystemCallFailed for code, or for the calling thread's last error. Not inline: each call
// site would otherwise carry the exception's construction.
[[noreturn]] void ThrowSystemError(unsigned long code, const char* what);
[[noreturn]] void ThrowLastError(const char* what);

}  // namespace portsetup
