// The text /? shows: every switch of the command line, the settings string's fields and the exit
// codes, on the console and in a message box alike.
#pragma once

#include <string>
#include <string_view>

namespace portsetup {

std::wstring UsageText(std::wstring_view version);

}  // namespace portsetup
