#include "actions/port_settings.h"

namespace portsetup {

std::optional<PortSettingsValue> PortSettingsToSave(const PortSelection& selection,
                                                    const SettingListTexts& listTexts) {
    if (!selection.PropertiesEnabled()) {
        return std::nullopt;
    }
    PortSettingsValue value{selection.ComPortName(), ComposeSettingsString(listTexts)};
    // An empty name would overwrite the key's default value instead of a port's.
    if (value.name.empty()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace portsetup
