#include "model/detection_value.h"

#include "model/driver_version.h"
#include "model/port_name.h"
#include "model/settings_string.h"
#include "model/text.h"

namespace portsetup {

std::wstring DetectionValueText(const CommandLine& install, std::wstring_view port,
                                std::optional<std::uint64_t> driverVersion) {
    return Concat(
        {install.device.empty() ? L"port=" : L"device=",
         install.device.empty() ? install.port : install.device, L" settings=",
         IsComPortName(port) ? ComposeSettingsString(install.settings) : L"none", L" driver=",
         driverVersion && *driverVersion != 0 ? DriverVersionText(*driverVersion) : L"none"});
}

}  // namespace portsetup
