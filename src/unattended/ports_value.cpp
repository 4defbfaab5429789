#include "unattended/ports_value.h"

#include <windows.h>

#include <optional>

#include "actions/error_text.h"
#include "actions/mod_register.h"
#include "actions/mod_register_win32.h"
#include "actions/port_settings.h"
#include "actions/stored_port_settings.h"
#include "model/exit_codes.h"
#include "model/text.h"
#include "unattended/detection_record.h"

namespace portsetup {

int StoreSettings(RunContext& run, const std::wstring& port, const SettingListTexts& settings) {
    const auto value = PortSettingsToSave(port, settings);
    if (!value) {
        return kExitDone;
    }
    // Read for the log; the empty value that adding a port to the spooler leaves holds no
    // settings to speak of.
    const std::optional<std::wstring> held = StoredPortSettings(value->name);
    if (held != value->data) {
        BeforeFirstChange(run);
    }
    const long status = Mod_Register::WriteRegString(
        HKEY_LOCAL_MACHINE, std::wstring(Mod_Register::PortsKeyPath), value->name, value->data);
    if (status != ERROR_SUCCESS) {
        run.log.Write(
            Concat({L"The settings of port ", value->name, L" (", value->data,
                    L") were not stored: ", SystemErrorText(static_cast<unsigned long>(status))}));
        return kExitSettingsNotSaved;
    }
    run.log.Write(Concat({L"Stored ", value->name, L" = ", value->data,
                          L" under HKEY_LOCAL_MACHINE\\", Mod_Register::PortsKeyPath, L".",
                          held && !held->empty() && *held != value->data
                              ? Concat({L" It replaced ", Quoted(*held), L"."})
                              : L""}));
    return kExitDone;
}

}  // namespace portsetup
