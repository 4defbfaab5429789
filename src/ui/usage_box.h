// What /? shows, and where: the whole text on the console of whoever started the tool, and in a
// message box the whole text where it fits the screen's work area, or else its brief form.
#pragma once

#include <string_view>

namespace portsetup {

void ShowUsage(std::wstring_view version);

}  // namespace portsetup
