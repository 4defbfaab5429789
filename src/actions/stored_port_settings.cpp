#include "actions/stored_port_settings.h"

#include <windows.h>

#include "actions/mod_register.h"

namespace portsetup {

std::optional<std::wstring> StoredPortSettings(std::wstring_view portName) {
    const std::wstring path(Mod_Register::PortsKeyPath);
    const std::wstring name(portName);
    // A settings string is a few characters; anything longer is no settings string.
    wchar_t data[256]{};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return data;
}

}  // namespace portsetup
