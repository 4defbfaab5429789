// The text /? shows: every switch of the command line, the settings string's fields and the exit
// codes, on the console and, where it fits the screen, in a message box.
#pragma once

#include <string>
#include <string_view>

namespace portsetup {

// Whole, or without the settings' values and the exit codes, for a screen too small to show it all
// in one box.
enum class UsageDetail { Whole, Brief };
std::wstring UsageText(std::wstring_view version, UsageDetail detail = UsageDetail::Whole);

}  // namespace portsetup
