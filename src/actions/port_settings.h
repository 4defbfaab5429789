// What the Next flow stores for a serial port: the settings string as a string value named after
// the port, under the system's Ports key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/port_selection.h"
#include "model/setting_lists.h"

namespace portsetup {

struct PortSettingsValue {
    std::wstring name;  // "COM1:" ... "COM256:"
    std::wstring data;  // "9600,n,8,1"
};

// The value stored for portName: only a serial port has line settings.
std::optional<PortSettingsValue> PortSettingsToSave(std::wstring_view portName,
                                                    const SettingListTexts& listTexts);
// The dialog's: nothing is stored while the properties group is disabled, which is exactly while
// a parallel port is chosen.
std::optional<PortSettingsValue> PortSettingsToSave(const PortSelection& selection,
                                                    const SettingListTexts& listTexts);

}  // namespace portsetup
