#include "model/queue_name.h"

#include "model/text.h"

namespace portsetup {

std::optional<std::wstring> QueueNameFault(std::wstring_view name) {
    const auto refused = [name](std::wstring_view why) {
        return Concat({L"the queue name ", Quoted(name), L" ", why, L"."});
    };
    if (name.empty()) {
        return refused(L"is empty");
    }
    if (name.size() > kLongestQueueName) {
        return refused(
            Concat({L"is longer than ", DecimalText(static_cast<unsigned long>(kLongestQueueName)),
                    L" characters, the most Windows allows for a printer name"}));
    }
    constexpr std::wstring_view kRefused = L",\\\"";
    constexpr std::wstring_view kRefusedNames[] = {L"a comma", L"a backslash", L"a quotation mark"};
    if (const std::size_t at = name.find_first_of(kRefused); at != std::wstring_view::npos) {
        return refused(Concat({L"holds ", kRefusedNames[kRefused.find(name[at])],
                               L", which a printer name cannot hold"}));
    }
    return std::nullopt;
}

}  // namespace portsetup
