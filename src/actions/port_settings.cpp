#include "actions/port_settings.h"

#include "model/port_name.h"
#include "model/settings_string.h"

namespace portsetup {

std::optional<PortSettingsValue> PortSettingsToSave(std::wstring_view portName,
                                                    const SettingListTexts& listTexts) {
    // An empty name would overwrite the key's default value instead of a port's.
    if (!IsComPortName(portName)) {
        return std::nullopt;
    }
    return PortSettingsValue{std::wstring(portName), ComposeSettingsString(listTexts)};
}

std::optional<PortSettingsValue> PortSettingsToSave(const PortSelection& selection,
                                                    const SettingListTexts& listTexts) {
    if (!selection.PropertiesEnabled()) {
        return std::nullopt;
    }
    return PortSettingsToSave(selection.ComPortName(), listTexts);
}

}  // namespace portsetup
