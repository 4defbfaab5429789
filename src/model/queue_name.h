// Which names /name may give a printer's queue: the names Windows' spooler takes for a local
// printer, and that the set-up entry point's command line can carry. A name it refuses is refused
// before the run starts anything, so that no half-made queue is left.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace portsetup {

// The spooler refuses a local printer name that is empty or holds a comma or a backslash ("Printer
// Names", MS-RPRN 2.2.4.14,
// https://learn.microsoft.com/openspecs/windows_protocols/ms-rprn/24fcd124-035c-4988-a858-3a7d8d6f7b43),
// and one longer than 220 characters, the local spooler's limit (no Microsoft page gives the
// number). A double quote would end the name's quotes on the set-up command line. A blank at either
// end is refused too: the log shows it, but a detection rule's value name copied from there loses
// it, and then never matches.
inline constexpr std::size_t kLongestQueueName = 220;

// Why Windows would refuse name as a local printer's name, with the rule, or nothing when it takes
// it.
std::optional<std::wstring> QueueNameFault(std::wstring_view name);

}  // namespace portsetup
