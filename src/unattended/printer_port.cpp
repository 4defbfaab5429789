#include "unattended/printer_port.h"

#include <vector>

#include "actions/error_text.h"
#include "actions/last_error.h"
#include "actions/present_devices.h"
#include "actions/serialcomm_map.h"
#include "model/device_match.h"
#include "model/exit_codes.h"
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

// The port of the one present serial port device that id names.
std::wstring DevicePort(SetupLog& log, const std::wstring& id) {
    std::vector<PortDevice> devices;
    try {
        devices = PresentPortDevices();
    } catch (const SystemCallFailed& error) {
        log.Write(
            Concat({L"The serial port devices cannot be listed: ", SystemErrorText(error.code())}));
        throw RunEnds{kExitInstallFailed};
    }
    const std::vector<PortDevice> matches = MatchingDevices(devices, id);
    if (matches.size() == 1) {
        log.Write(Concat({L"Device ", Quoted(id), L" found: ", DescribeDevice(matches.front()),
                          L". Its port is ", DeviceComPort(matches.front()), L"."}));
        return DeviceComPort(matches.front());
    }
    const std::vector<PortDevice>& listed = matches.empty() ? devices : matches;
    std::wstring list;
    for (const PortDevice& device : listed) {
        list = Concat({list, list.empty() ? L" " : L"; ", DescribeDevice(device)});
    }
    if (matches.empty()) {
        log.Write(Concat(
            {L"No present serial port device with a COM port matches ", Quoted(id),
             L" (in its hardware IDs or instance ID). ",
             devices.empty() ? L"No Ports device is present." : L"The Ports devices present:", list,
             devices.empty() ? L"" : L"."}));
        throw RunEnds{kExitDeviceNotConnected};
    }
    log.Write(Concat({DecimalText(static_cast<unsigned long>(matches.size())),
                      L" present serial port devices match ", Quoted(id),
                      L"; give an ID that only one of them holds, such as a part of its "
                      L"instance ID:",
                      list, L"."}));
    throw RunEnds{kExitInvalidCommandLine, L"/device matches several devices on this PC"};
}

}  // namespace

std::wstring PortOf(RunContext& run, const CommandLine& commandLine) {
    return commandLine.device.empty() ? commandLine.port : DevicePort(run.log, commandLine.device);
}

void WarnWithoutSerialDevice(SetupLog& log, const std::wstring& port) {
    if (IsComPortName(port) && !SerialDevicePresent(port)) {
        log.Write(Concat({L"Warning: no serial device is present on ", port,
                          L" now (HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM). "
                          L"The printer is set up anyway and prints once the device is "
                          L"there."}));
    }
}

}  // namespace portsetup
