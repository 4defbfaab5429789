#include "actions/mod_register_win32.h"

#include <string_view>

#include "actions/code_page.h"
#include "actions/mod_register.h"

namespace portsetup::Mod_Register {
namespace {

struct Win32Registry {
    using Key = HKEY;

    // The 8-bit registry calls take text in the system's ANSI code page.
    static std::string ToCodePage(std::wstring_view text) {
        return portsetup::ToCodePage(CP_ACP, text);
    }
    static long OpenKeyEx(HKEY hive, const char* path, DWORD options, REGSAM access,
                          HKEY* key) noexcept {
        return RegOpenKeyExA(hive, path, options, access, key);
    }
    static long SetValueEx(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD size) noexcept {
        return RegSetValueExA(key, name, reserved, type, data, size);
    }
    static long CloseKey(HKEY key) noexcept { return RegCloseKey(key); }
};

static_assert(kRegSz == REG_SZ);
static_assert(kKeyAccess == (READ_CONTROL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                             KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK));

}  // namespace

long WriteRegString(HKEY hive, std::wstring keyPath, std::wstring valueName, std::wstring data) {
    Win32Registry registry;
    return WriteRegString(registry, hive, std::move(keyPath), std::move(valueName),
                          std::move(data));
}

}  // namespace portsetup::Mod_Register
