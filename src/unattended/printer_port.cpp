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

// The port of the one present USB printer or serial port device that id names.
std::wstring DevicePort(SetupLog& log, const std::wstring& id) {
    std::vector<PortDevice> devices;
    try {
        devices = PresentUsbPrinters();
        const std::vector<PortDevice> serial = PresentPortDevices();
        devices.insert(devices.end(), serial.begin(), serial.end());
    } catch (const SystemCallFailed& error) {
        log.Write(
            Concat({L"The present devices cannot be listed: ", SystemErrorText(error.code())}));
        throw RunEnds{kExitInstallFailed};
    }
    const DeviceLookup found = LookUpDevice(devices, id);
    log.Write(found.said);
    if (found.code == kExitInvalidCommandLine) {
        throw RunEnds{found.code, L"/device matches several devices on this PC"};
    }
    if (found.code != kExitDone) {
        throw RunEnds{found.code};
    }
    return found.port;
}

}  // namespace

std::wstring PortOf(RunContext& run, const CommandLine& commandLine) {
    if (commandLine.device.empty()) {
        return commandLine.port;
    }
    const std::wstring port = DevicePort(run.log, commandLine.device);
    if (IsUsbPortName(port) && AsksLineSettings(commandLine)) {
        run.log.Write(NoLineSettingsReason(port));
        throw RunEnds{kExitInvalidCommandLine, L"a USB printer has no line settings"};
    }
    return port;
}

void WarnWithoutDevice(SetupLog& log, const std::wstring& port) {
    if (IsComPortName(port) && !SerialDevicePresent(port)) {
        log.Write(Concat({L"Warning: no serial device is present on ", port,
                          L" now (HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM). "
                          L"The printer is set up anyway and prints once the device is "
                          L"there."}));
    }
    if (!IsUsbPortName(port)) {
        return;
    }
    try {
        if (DeviceOnPort(PresentUsbPrinters(), port)) {
            return;
        }
    } catch (const SystemCallFailed&) {
        return;  // a word only: the set-up then goes on as it would
    }
    log.Write(Concat({L"Warning: no USB printer is plugged in on ", port,
                      L" now. The printer is set up anyway and prints once it is plugged in "
                      L"there."}));
}

}  // namespace portsetup
