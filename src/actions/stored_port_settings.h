// The settings value a port holds now under the system's Ports key, read back so that a run can
// say what it replaces.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace portsetup {

// The REG_SZ value named portName ("COM7:") under the Ports key; nothing when there is none or it
// cannot be read.
std::optional<std::wstring> StoredPortSettings(std::wstring_view portName);

}  // namespace portsetup
