#include "model/port_name.h"

#include <algorithm>

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
    // The spooler's own form only: three digits, leading zeros included ("USB001").
    if (port.size() == 6 && IsUsbPortName(port)) {
        const std::wstring_view digits = port.substr(3);
        const std::size_t first = std::min(digits.find_first_not_of(L'0'), digits.size());
        if (const auto number = ReadDecimal(digits.substr(first), kLastUsbPort)) {
            return UsbPortName(L"USB", *number);
        }
    }
    return std::nullopt;
}

bool IsComPortName(std::wstring_view portName) {
    return portName.size() > 3 && SameTextIgnoringCase(portName.substr(0, 3), L"COM");
}

bool IsUsbPortName(std::wstring_view portName) {
    return portName.size() > 3 && SameTextIgnoringCase(portName.substr(0, 3), L"USB");
}

std::wstring UsbPortName(std::wstring_view baseName, unsigned long portNumber) {
    if (!SameTextIgnoringCase(baseName, L"USB") || portNumber == 0 || portNumber > kLastUsbPort) {
        return L"";
    }
    const std::wstring digits = DecimalText(portNumber);
    return Concat({L"USB", std::wstring(3 - digits.size(), L'0'), digits});
}

}  // namespace portsetup
