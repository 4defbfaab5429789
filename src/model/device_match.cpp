#include "model/device_match.h"

#include <algorithm>

#include "model/port_name.h"
#include "model/text.h"

namespace portsetup {
namespace {

std::wstring DescribeDevice(const PortDevice& device) {
    std::wstring ids;
    for (const std::wstring& id : device.hardwareIds) {
        ids = ids.empty() ? id : Concat({ids, L", ", id});
    }
    return Concat({Quoted(device.friendlyName), L" on ",
                   device.portName.empty() ? L"no port" : device.portName, L", hardware IDs ",
                   ids.empty() ? L"none" : ids, L", instance ID ", device.instanceId});
}

}  // namespace

bool DeviceMatches(const PortDevice& device, std::wstring_view id) {
    if (id.empty()) {
        return false;
    }
    return ContainsIgnoringCase(device.instanceId, id) ||
           std::ranges::any_of(device.hardwareIds, [id](const std::wstring& hardwareId) {
               return ContainsIgnoringCase(hardwareId, id);
           });
}

std::wstring PrinterPortOf(const PortDevice& device) {
    const std::optional<std::wstring> port = ReadPortName(device.portName);
    return port && (IsComPortName(*port) || IsUsbPortName(*port)) ? *port : std::wstring();
}

std::vector<const PortDevice*> MatchingDevices(std::span<const PortDevice> devices,
                                               std::wstring_view id) {
    std::vector<const PortDevice*> matches;
    for (const PortDevice& device : devices) {
        if (DeviceMatches(device, id) && !PrinterPortOf(device).empty()) {
            matches.push_back(&device);
        }
    }
    return matches;
}

const PortDevice* DeviceOnPort(std::span<const PortDevice> devices, std::wstring_view port) {
    const auto found = std::ranges::find_if(
        devices, [port](const PortDevice& device) { return PrinterPortOf(device) == port; });
    return found == devices.end() ? nullptr : &*found;
}

DeviceLookup LookUpDevice(std::span<const PortDevice> devices, std::wstring_view id) {
    const std::vector<const PortDevice*> matches = MatchingDevices(devices, id);
    if (matches.size() == 1) {
        const std::wstring port = PrinterPortOf(*matches.front());
        return {kExitDone, port,
                Concat({L"Device ", Quoted(id), L" found: ", DescribeDevice(*matches.front()),
                        L". Its port is ", port, L"."})};
    }
    std::wstring list;
    const auto add = [&list](const PortDevice& device) {
        list = Concat({list, list.empty() ? L" " : L"; ", DescribeDevice(device)});
    };
    if (matches.empty()) {
        std::ranges::for_each(devices, add);
    } else {
        for (const PortDevice* device : matches) {
            add(*device);
        }
    }
    if (matches.empty()) {
        return {kExitDeviceNotConnected, L"",
                Concat({L"No present USB printer or serial port device with a port matches ",
                        Quoted(id), L" (in its hardware IDs or instance ID). ",
                        devices.empty() ? L"No such device is present." : L"The devices present:",
                        list, devices.empty() ? L"" : L"."})};
    }
    return {kExitInvalidCommandLine, L"",
            Concat({DecimalText(static_cast<unsigned long>(matches.size())),
                    L" present devices match ", Quoted(id),
                    L"; give an ID that only one of them holds, such as a part of its instance "
                    L"ID:",
                    list, L"."})};
}

}  // namespace portsetup
