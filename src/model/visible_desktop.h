// Whether anybody can see the tool's windows: only then may it open its dialog or a message box,
// which would otherwise wait for ever for a click nobody can give.
#pragma once

#include <optional>

namespace portsetup {

// session is the process's session, stationVisible whether its window station is visible;
// nothing where the system cannot tell. Session 0 holds services and programs run as SYSTEM, and
// nobody sees it, whatever its window station says (since Windows Vista its WinSta0 is shown to
// no user). Where neither can be told, the windows are shown.
inline bool WindowsCanBeSeen(std::optional<unsigned long> session,
                             std::optional<bool> stationVisible) {
    return session != 0UL && stationVisible.value_or(true);
}

}  // namespace portsetup
