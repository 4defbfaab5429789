#include "model/visible_desktop.h"

namespace portsetup {

bool WindowsCanBeSeen(std::optional<unsigned long> session, std::optional<bool> stationVisible) {
    return session != 0UL && stationVisible.value_or(true);
}

}  // namespace portsetup
