#include "model/queue_name.h"

#include "model/text.h"

namespace portsetup {

std::optional<std::wstring> QueueNameFault(std::wstring_view name) {
    // A name of blanks alone is refused below, as an empty one.
    constexpr std::wstring_view kBlanks = L" \t";
    const std::size_t first = name.find_first_not_of(kBlanks);
    const std::size_t last = name.find_last_not_of(kBlanks);
    if (first != std::wstring_view::npos && (first > 0 || last + 1 < name.size())) {
        return Concat({L"the queue name ", Quoted(name),
                       L" begins or ends with a blank, which a detection rule's value name copied "
                       L"from the log would lose; write it without: /name ",
                       Quoted(name.substr(first, last + 1 - first)), L"."});
    }
    if (first != std::wstring_view::npos && name.size() <= kLongestQueueName &&
        name.find_first_of(L",\\\"") == std::wstring_view::npos) {
        return std::nullopt;
    }
    return Concat({L"the queue name ", Quoted(name),
                   L" is not one Windows takes for a printer: 1 to ",
                   DecimalText(static_cast<unsigned long>(kLongestQueueName)),
                   L" characters, without a comma, backslash or quotation mark, and no blank at "
                   L"either end."});
}

}  // namespace portsetup
