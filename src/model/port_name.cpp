#include "model/port_name.h"

#include "model/text.h"

namespace portsetup {

std::optional<std::wstring> ReadPortName(std::wstring_view port) {
    port = WithoutColon(port);
    constexpr struct {
        std::wstring_view prefix;
        unsigned long last;
    } kKinds[] = {{L"COM", kLastComPort}, {L"LPT", kLastLptPort}};
    for (const auto& kind : kKinds) {
        if (port.size() > kind.prefix.size() &&
            SameTextIgnoringCase(port.substr(0, kind.prefix.size()), kind.prefix)) {
            if (const auto number = ReadDecimal(port.substr(kind.prefix.size()), kind.last)) {
                return Concat({kind.prefix, DecimalText(*number), L":"});
            }
        }
    }
    return std::nullopt;
}

bool IsComPortName(std::wstring_view portName) {
    return portName.size() > 3 && SameTextIgnoringCase(portName.substr(0, 3), L"COM");
}

}  // namespace portsetup
