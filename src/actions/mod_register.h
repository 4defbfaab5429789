// Writes one string value under an existing registry key through the system's 8-bit registry
// calls. The three calls and the code page conversion come from the Registry type, so the order
// of the calls and what they are given can be checked against a recorded fake.
#pragma once

#include <string>
#include <string_view>

namespace portsetup::Mod_Register {

inline constexpr std::wstring_view PortsKeyPath =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

inline constexpr long kSuccess = 0;
inline constexpr unsigned long kRegSz = 1;
// READ_CONTROL with the six specific key rights; deliberately not KEY_ALL_ACCESS (0xF003F).
inline constexpr unsigned long kKeyAccess = 0x2003F;

// Registry provides: Key, ToCodePage(std::wstring_view) -> std::string, and noexcept
// OpenKeyEx, SetValueEx, CloseKey with the parameters of RegOpenKeyExA, RegSetValueExA and
// RegCloseKey. The key is opened, never created; the value is written only when the open
// succeeded, and the key is closed whenever it was opened. Returns kSuccess, or the status of the
// first call that failed.
template <class Registry>
long WriteRegString(Registry& registry, typename Registry::Key hive, std::wstring keyPath,
                    std::wstring valueName, std::wstring data) {
    const std::string path = registry.ToCodePage(keyPath);
    const std::string name = registry.ToCodePage(valueName);
    const std::string text = registry.ToCodePage(data);
    // The stored size counts the terminating zero byte. It is the converted text's byte count,
    // which equals the character count for the ASCII settings strings this tool writes.
    const auto size = static_cast<unsigned long>(text.size() + 1);

    typename Registry::Key key{};
    const long opened = registry.OpenKeyEx(hive, path.c_str(), 0, kKeyAccess, &key);
    if (opened != kSuccess) {
        return opened;
    }
    // Nothing between the open and the close can throw, so the close always runs.
    static_assert(noexcept(registry.SetValueEx(key, name.c_str(), 0, kRegSz, nullptr, 0UL)));
    static_assert(noexcept(registry.CloseKey(key)));
    const long written = registry.SetValueEx(
        key, name.c_str(), 0, kRegSz, reinterpret_cast<const unsigned char*>(text.c_str()), size);
    const long closed = registry.CloseKey(key);
    return written != kSuccess ? written : closed;
}

}  // namespace portsetup::Mod_Register
