#include "model/device_match.h"

#include <algorithm>

#include "model/port_name.h"
#include "model/text.h"

namespace portsetup {

bool DeviceMatches(const PortDevice& device, std::wstring_view id) {
    if (id.empty()) {
        return false;
    }
    return ContainsIgnoringCase(device.instanceId, id) ||
           std::ranges::any_of(device.hardwareIds, [id](const std::wstring& hardwareId) {
               return ContainsIgnoringCase(hardwareId, id);
           });
}

std::wstring DeviceComPort(const PortDevice& device) {
    const std::optional<std::wstring> port = ReadPortName(device.portName);
    return port && IsComPortName(*port) ? *port : std::wstring();
}

std::vector<PortDevice> MatchingDevices(std::span<const PortDevice> devices, std::wstring_view id) {
    std::vector<PortDevice> matches;
    for (const PortDevice& device : devices) {
        if (DeviceMatches(device, id) && !DeviceComPort(device).empty()) {
            matches.push_back(device);
        }
    }
    return matches;
}

}  // namespace portsetup
