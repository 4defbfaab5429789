#include "actions/serialcomm_map.h"

#include <windows.h>

#include <string>

#include "actions/win32_handles.h"
#include "model/port_name.h"
#include "model/text.h"

namespace portsetup {

bool SerialDevicePresent(std::wstring_view portName) {
    // Each present serial device is a value whose data is its port's name without the colon.
    const std::wstring_view wanted = WithoutColon(portName);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &opened) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueHkey key(opened);
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        wchar_t data[64];
        DWORD dataSize = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG status = RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) {
            return false;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ) {
            continue;  // a name or value too long for a port is not one
        }
        std::wstring_view port(data, dataSize / sizeof(wchar_t));
        while (!port.empty() && port.back() == L'\0') {
            port.remove_suffix(1);
        }
        if (SameTextIgnoringCase(port, wanted)) {
            return true;
        }
    }
}

}  // namespace portsetup
