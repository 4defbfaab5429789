#include "actions/present_devices.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include "actions/last_error.h"
#include "actions/system_dll.h"
#include "actions/win32_handles.h"

namespace portsetup {
namespace {

// GUID_DEVCLASS_PORTS, written here so that no GUID library is linked for it.
constexpr GUID kPortsClass{
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// The device's property as its list of texts (one for REG_SZ, each for REG_MULTI_SZ); empty when
// it has none.
std::vector<std::wstring> ReadTexts(decltype(&::SetupDiGetDeviceRegistryPropertyW) readProperty,
                                    HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    DWORD size = 0;
    readProperty(set, &device, property, nullptr, nullptr, 0, &size);
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD type = 0;
    if (size == 0 || !readProperty(set, &device, property, &type,
                                   reinterpret_cast<BYTE*>(buffer.data()), size, nullptr)) {
        return {};
    }
    std::vector<std::wstring> texts;
    for (const wchar_t* text = buffer.data(); *text != L'\0'; text += texts.back().size() + 1) {
        texts.emplace_back(text);
    }
    return texts;
}

std::wstring ReadPortNameValue(HKEY key) {
    wchar_t name[64]{};
    DWORD size = sizeof name;
    return RegGetValueW(key, nullptr, L"PortName", RRF_RT_REG_SZ, nullptr, name, &size) ==
                   ERROR_SUCCESS
               ? name
               : std::wstring();
}

}  // namespace

std::vector<PortDevice> PresentPortDevices() {
    const UniqueHmodule setupApi = RequireSystemDll(L"setupapi.dll");
    const auto getClassDevs =
        Resolve<decltype(&::SetupDiGetClassDevsW)>(setupApi.get(), "SetupDiGetClassDevsW");
    const auto destroyList = Resolve<decltype(&::SetupDiDestroyDeviceInfoList)>(
        setupApi.get(), "SetupDiDestroyDeviceInfoList");
    const auto enumDevice =
        Resolve<decltype(&::SetupDiEnumDeviceInfo)>(setupApi.get(), "SetupDiEnumDeviceInfo");
    const auto readProperty = Resolve<decltype(&::SetupDiGetDeviceRegistryPropertyW)>(
        setupApi.get(), "SetupDiGetDeviceRegistryPropertyW");
    const auto getInstanceId = Resolve<decltype(&::SetupDiGetDeviceInstanceIdW)>(
        setupApi.get(), "SetupDiGetDeviceInstanceIdW");
    const auto openDeviceKey =
        Resolve<decltype(&::SetupDiOpenDevRegKey)>(setupApi.get(), "SetupDiOpenDevRegKey");

    const HDEVINFO set = getClassDevs(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) {
        ThrowLastError("SetupDiGetClassDevsW");
    }
    const UniqueAny<HDEVINFO, decltype(&::SetupDiDestroyDeviceInfoList)> destroyer(set,
                                                                                   destroyList);

    std::vector<PortDevice> devices;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; enumDevice(set, index, &device); ++index) {
        PortDevice found;
        found.hardwareIds = ReadTexts(readProperty, set, device, SPDRP_HARDWAREID);
        const std::vector<std::wstring> names =
            ReadTexts(readProperty, set, device, SPDRP_FRIENDLYNAME);
        found.friendlyName = names.empty() ? L"" : names.front();
        wchar_t instanceId[MAX_DEVICE_ID_LEN]{};
        if (getInstanceId(set, &device, instanceId, MAX_DEVICE_ID_LEN, nullptr)) {
            found.instanceId = instanceId;
        }
        const HKEY opened = openDeviceKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        // The call gives INVALID_HANDLE_VALUE, not null, when the device has no such key.
        if (opened != INVALID_HANDLE_VALUE && opened) {
            found.portName = ReadPortNameValue(UniqueHkey(opened).get());
        }
        devices.push_back(std::move(found));
    }
    if (GetLastError() != ERROR_NO_MORE_ITEMS) {
        ThrowLastError("SetupDiEnumDeviceInfo");
    }
    return devices;
}

}  // namespace portsetup
