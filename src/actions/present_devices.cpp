#include "actions/present_devices.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include "actions/last_error.h"
#include "actions/system_dll.h"
#include "actions/win32_handles.h"
#include "model/port_name.h"

namespace portsetup {
namespace {

// GUID_DEVCLASS_PORTS and GUID_DEVINTERFACE_USBPRINT (usbprint.h), written here so that no GUID
// library is linked for them.
constexpr GUID kPortsClass{
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr GUID kUsbPrintInterface{
    0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

// The device installer's calls the lists need, from setupapi.dll loaded for them.
struct SetupApi {
    UniqueHmodule dll = RequireSystemDll(L"setupapi.dll");
    template <class Function>
    Function Get(const char* name) const {
        return Resolve<Function>(dll.get(), name);
    }
    decltype(&::SetupDiGetClassDevsW) getClassDevs =
        Get<decltype(getClassDevs)>("SetupDiGetClassDevsW");
    decltype(&::SetupDiDestroyDeviceInfoList) destroyList =
        Get<decltype(destroyList)>("SetupDiDestroyDeviceInfoList");
    decltype(&::SetupDiGetDeviceRegistryPropertyW) readProperty =
        Get<decltype(readProperty)>("SetupDiGetDeviceRegistryPropertyW");
    decltype(&::SetupDiGetDeviceInstanceIdW) getInstanceId =
        Get<decltype(getInstanceId)>("SetupDiGetDeviceInstanceIdW");
};

using DeviceList = UniqueAny<HDEVINFO, decltype(&::SetupDiDestroyDeviceInfoList)>;

DeviceList ListDevices(const SetupApi& api, const GUID& guid, DWORD flags) {
    const HDEVINFO set = api.getClassDevs(&guid, nullptr, nullptr, flags);
    if (set == INVALID_HANDLE_VALUE) {
        ThrowLastError("SetupDiGetClassDevsW");
    }
    return DeviceList(set, api.destroyList);
}

// The device's property as its list of texts (one for REG_SZ, each for REG_MULTI_SZ); empty when
// it has none.
std::vector<std::wstring> ReadTexts(const SetupApi& api, HDEVINFO set, SP_DEVINFO_DATA& device,
                                    DWORD property) {
    DWORD size = 0;
    api.readProperty(set, &device, property, nullptr, nullptr, 0, &size);
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD type = 0;
    if (size == 0 || !api.readProperty(set, &device, property, &type,
                                       reinterpret_cast<BYTE*>(buffer.data()), size, nullptr)) {
        return {};
    }
    std::vector<std::wstring> texts;
    for (const wchar_t* text = buffer.data(); *text != L'\0'; text += texts.back().size() + 1) {
        texts.emplace_back(text);
    }
    return texts;
}

// What both kinds of device tell of themselves; a USB printer's device often has no friendly name,
// only its description ("USB Printing Support").
PortDevice ReadDevice(const SetupApi& api, HDEVINFO set, SP_DEVINFO_DATA& device) {
    PortDevice found;
    found.hardwareIds = ReadTexts(api, set, device, SPDRP_HARDWAREID);
    std::vector<std::wstring> names = ReadTexts(api, set, device, SPDRP_FRIENDLYNAME);
    if (names.empty()) {
        names = ReadTexts(api, set, device, SPDRP_DEVICEDESC);
    }
    found.friendlyName = names.empty() ? L"" : names.front();
    wchar_t instanceId[MAX_DEVICE_ID_LEN]{};
    if (api.getInstanceId(set, &device, instanceId, MAX_DEVICE_ID_LEN, nullptr)) {
        found.instanceId = instanceId;
    }
    return found;
}

std::wstring ReadText(HKEY key, const wchar_t* name) {
    wchar_t text[64]{};
    DWORD size = sizeof text;
    return RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS
               ? text
               : std::wstring();
}

// The registry calls give INVALID_HANDLE_VALUE, not null, when there is no such key.
UniqueHkey Opened(HKEY key) {
    return UniqueHkey(key == INVALID_HANDLE_VALUE ? nullptr : key);
}

void ThrowUnlessListEnded(const char* what) {
    if (GetLastError() != ERROR_NO_MORE_ITEMS) {
        ThrowLastError(what);
    }
}

}  // namespace

std::vector<PortDevice> PresentPortDevices() {
    const SetupApi api;
    const auto enumDevice = api.Get<decltype(&::SetupDiEnumDeviceInfo)>("SetupDiEnumDeviceInfo");
    const auto openDeviceKey = api.Get<decltype(&::SetupDiOpenDevRegKey)>("SetupDiOpenDevRegKey");
    const DeviceList set = ListDevices(api, kPortsClass, DIGCF_PRESENT);

    std::vector<PortDevice> devices;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; enumDevice(set.get(), index, &device); ++index) {
        PortDevice found = ReadDevice(api, set.get(), device);
        if (const UniqueHkey key = Opened(
                openDeviceKey(set.get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ))) {
            found.portName = ReadText(key.get(), L"PortName");
        }
        devices.push_back(std::move(found));
    }
    ThrowUnlessListEnded("SetupDiEnumDeviceInfo");
    return devices;
}

std::vector<PortDevice> PresentUsbPrinters() {
    const SetupApi api;
    const auto enumInterface =
        api.Get<decltype(&::SetupDiEnumDeviceInterfaces)>("SetupDiEnumDeviceInterfaces");
    const auto readDetail =
        api.Get<decltype(&::SetupDiGetDeviceInterfaceDetailW)>("SetupDiGetDeviceInterfaceDetailW");
    const auto openInterfaceKey =
        api.Get<decltype(&::SetupDiOpenDeviceInterfaceRegKey)>("SetupDiOpenDeviceInterfaceRegKey");
    const DeviceList set =
        ListDevices(api, kUsbPrintInterface, DIGCF_DEVICEINTERFACE | DIGCF_PRESENT);

    std::vector<PortDevice> printers;
    SP_DEVICE_INTERFACE_DATA printingInterface{};
    printingInterface.cbSize = sizeof printingInterface;
    DWORD index = 0;
    for (; enumInterface(set.get(), nullptr, &kUsbPrintInterface, index, &printingInterface);
         ++index) {
        DWORD size = 0;
        readDetail(set.get(), &printingInterface, nullptr, 0, &size, nullptr);
        // DWORDs, for the alignment of the structure's cbSize.
        std::vector<DWORD> buffer(size / sizeof(DWORD) + 1);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof *detail;
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (size < sizeof *detail ||
            !readDetail(set.get(), &printingInterface, detail, size, nullptr, &device)) {
            continue;  // unplugged since it was listed
        }
        PortDevice found = ReadDevice(api, set.get(), device);
        found.interfacePath = detail->DevicePath;
        if (const UniqueHkey key =
                Opened(openInterfaceKey(set.get(), &printingInterface, 0, KEY_READ))) {
            DWORD number = 0;
            DWORD numberSize = sizeof number;
            if (RegGetValueW(key.get(), nullptr, L"Port Number", RRF_RT_REG_DWORD, nullptr, &number,
                             &numberSize) == ERROR_SUCCESS) {
                found.portName = UsbPortName(ReadText(key.get(), L"Base Name"), number);
            }
        }
        printers.push_back(std::move(found));
    }
    ThrowUnlessListEnded("SetupDiEnumDeviceInterfaces");
    return printers;
}

}  // namespace portsetup
