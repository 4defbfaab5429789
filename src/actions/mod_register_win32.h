// The registry write through the system's own registry calls.
#pragma once

#include <windows.h>

#include <string>

namespace portsetup::Mod_Register {

// Writes data as the REG_SZ value valueName under hive\keyPath, which must exist. Returns
// ERROR_SUCCESS or the system error code of the first call that failed.
long WriteRegString(HKEY hive, std::wstring keyPath, std::wstring valueName, std::wstring data);

}  // namespace portsetup::Mod_Register
