// Functions of system DLLs the tool loads only when it needs them, rather than importing them
// (see Spooler).
#pragma once

#include <windows.h>

#include <system_error>

namespace portsetup {

// The function name exports from module, typed as Function. Throws std::system_error when there
// is none.
template <class Function>
Function Resolve(HMODULE module, const char* name) {
    const FARPROC address = GetProcAddress(module, name);
    if (!address) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), name);
    }
    // Through the generic function type, which converts to any other without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

}  // namespace portsetup
