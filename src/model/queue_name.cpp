#include "model/queue_name.h"

#include "model/text.h"

namespace portsetup {

std::optional<std::wstring> QueueNameFault(std::wstring_view name) {
    if (!name.empty() && name.size() <= kLongestQueueName &&
        name.find_first_of(L",\\\"") == std::wstring_view::npos) {
        return std::nullopt;
    }
    return Concat({L"the queue name ", Quoted(name),
                   L" is not one Windows takes for a printer: 1 to ",
                   DecimalText(static_cast<unsigned long>(kLongestQueueName)),
                   L" characters, without a comma, backslash or quotation mark."});
}

}  // namespace portsetup
