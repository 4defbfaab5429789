// The six port options (COM1 to COM4 in one group, LPT1 and LPT2 in another) and the rules that
// keep exactly one of them chosen across both groups.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace portsetup {

inline constexpr std::size_t kComOptionCount = 4;  // Option1(0) to Option1(3)
inline constexpr std::size_t kLptOptionCount = 2;  // Option2(0) and Option2(1)

class PortSelection {
  public:
    // Start state: COM1 chosen, the "COM Port Properties" group enabled.
    PortSelection() = default;

    // A click on Option1(index): the window system has chosen it within the serial group, and the
    // parallel options are cleared and the properties group enabled.
    void ClickComOption(std::size_t index);
    // A click on Option2(index): chosen within the parallel group; the serial options are cleared
    // and the properties group disabled.
    void ClickLptOption(std::size_t index);

    bool IsComChosen(std::size_t index) const { return com_.at(index); }
    bool IsLptChosen(std::size_t index) const { return lpt_.at(index); }
    bool PropertiesEnabled() const { return propertiesEnabled_; }

    // "COM1:" ... "LPT2:" for the first chosen option, tested COM1 to COM4 then LPT1, LPT2; empty
    // when none is chosen.
    std::wstring PortNameFromSelection() const;
    // The same, restricted to the serial options: the name the port settings are stored under.
    std::wstring ComPortName() const;

  private:
    std::array<bool, kComOptionCount> com_{true, false, false, false};
    std::array<bool, kLptOptionCount> lpt_{false, false};
    bool propertiesEnabled_ = true;
};

}  // namespace portsetup
