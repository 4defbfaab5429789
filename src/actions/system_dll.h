// System DLLs loaded only when a step needs them, and the functions they export. A DLL that is
// imported is loaded at every start, and one that is not among the system's known DLLs would
// first be looked for beside the program.
#pragma once

#include <windows.h>

#include "actions/last_error.h"
#include "actions/win32_handles.h"

namespace portsetup {

// The DLL of that name from the system folder only; empty when it cannot be loaded.
inline UniqueHmodule LoadSystemDll(const wchar_t* name) noexcept {
    return UniqueHmodule(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

// The same for a DLL a step cannot do without: throws SystemCallFailed when it cannot be loaded.
inline UniqueHmodule RequireSystemDll(const wchar_t* name) {
    UniqueHmodule module = LoadSystemDll(name);
    if (!module) {
        ThrowLastError("LoadLibraryExW");
    }
    return module;
}

// The function the module exports under that name, as the type it has; null when there is none
// (GetLastError says why).
template <class Function>
Function FindFunction(HMODULE module, const char* name) noexcept {
    const FARPROC address = GetProcAddress(module, name);
    if (!address) {
        return nullptr;
    }
    // Through the generic function type, which converts to any other without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// The same for a function a step cannot do without: throws SystemCallFailed when there is none.
template <class Function>
Function Resolve(HMODULE module, const char* name) {
    const auto function = FindFunction<Function>(module, name);
    if (!function) {
        ThrowLastError(name);
    }
    return function;
}

}  // namespace portsetup
