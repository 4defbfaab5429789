#include "model/port_selection.h"

#include <string_view>

#include "model/text.h"

namespace portsetup {
namespace {

constexpr std::array<std::wstring_view, kComOptionCount> kComPortNames{L"COM1:", L"COM2:", L"COM3:",
                                                                       L"COM4:"};
constexpr std::array<std::wstring_view, kLptOptionCount> kLptPortNames{L"LPT1:", L"LPT2:"};

template <std::size_t N>
void ChooseOnly(std::array<bool, N>& group, std::size_t index) {
    group.at(index) = true;  // rejects a bad index before the group is touched
    for (std::size_t i = 0; i < N; ++i) {
        group[i] = i == index;
    }
}

template <std::size_t N>
std::wstring FirstChosen(const std::array<bool, N>& group,
                         const std::array<std::wstring_view, N>& names) {
    for (std::size_t i = 0; i < N; ++i) {
        if (group[i]) {
            return std::wstring(names[i]);
        }
    }
    return {};
}

}  // namespace

void PortSelection::ClickComOption(std::size_t index) {
    ChooseOnly(com_, index);
    lpt_.fill(false);
    propertiesEnabled_ = true;
}

void PortSelection::ClickLptOption(std::size_t index) {
    ChooseOnly(lpt_, index);
    com_.fill(false);
    propertiesEnabled_ = false;
}

std::wstring PortSelection::PortNameFromSelection() const {
    std::wstring name = ComPortName();
    return name.empty() ? FirstChosen(lpt_, kLptPortNames) : name;
}

std::wstring PortSelection::ComPortName() const {
    return FirstChosen(com_, kComPortNames);
}

}  // namespace portsetup
