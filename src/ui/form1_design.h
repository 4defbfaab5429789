// The stored design of the "Select Port Type" window: every control's kind, caption, container,
// position in twips and tab index. The window lays itself out from this table at any DPI.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace portsetup {

inline constexpr std::wstring_view kForm1Caption = L"Select Port Type";
inline constexpr int kClientWidthTwips = 5025;
inline constexpr int kClientHeightTwips = 3525;
inline constexpr int kTwipsPerInch = 1440;

enum class ControlKind { PushButton, GroupFrame, OptionButton, DropDownList, Label };

// The rows of the design table; control arrays are consecutive rows (Option1(0) to Option1(3)).
enum Control : int {
    Command1,
    cmdDelete,
    Frame1_0,
    Option1_0,
    Option1_1,
    Option1_2,
    Option1_3,
    Frame1_1,
    Option2_0,
    Option2_1,
    Frame1_2,
    Combo1_0,
    Combo1_1,
    Combo1_2,
    Combo1_3,
    Combo1_4,
    Label1_0,
    Label1_1,
    Label1_2,
    Label1_3,
    Label1_4,
    kControlCount
};

inline constexpr int kNoContainer = -1;  // the window itself

struct ControlDesign {
    ControlKind kind;
    std::wstring_view caption;
    int container;                 // a Control row, or kNoContainer
    int left, top, width, height;  // twips, relative to the container
    int tabIndex;
};

const std::array<ControlDesign, kControlCount>& Form1Design();

constexpr Control Option1(std::size_t index) {
    return Control(Option1_0 + int(index));
}
constexpr Control Option2(std::size_t index) {
    return Control(Option2_0 + int(index));
}
constexpr Control Combo1(std::size_t index) {
    return Control(Combo1_0 + int(index));
}
constexpr Control Label1(std::size_t index) {
    return Control(Label1_0 + int(index));
}
constexpr Control Frame1(std::size_t index) {
    constexpr Control frames[] = {Frame1_0, Frame1_1, Frame1_2};
    return frames[index];
}

// Control identifiers of the window's child windows, clear of the dialog manager's IDOK and
// IDCANCEL so that Enter and Escape never pose as a control.
inline constexpr int kFirstControlId = 1000;
constexpr int ControlId(Control control) {
    return kFirstControlId + control;
}

// The order the controls are created in, which is the order Tab visits them: the table's tab
// order, except that each label comes right before its list so that the list takes the label's
// caption as its accessible name.
std::array<Control, kControlCount> CreationOrder();

bool TakesFocus(ControlKind kind);

struct PixelRect {
    int left, top, width, height;
};

int TwipsToPixels(int twips, unsigned dpi);
// The control's rectangle in the window's client area at dpi, as the table places it.
PixelRect ControlRect(Control control, unsigned dpi);
// A label is as wide as its caption and as tall as its text, its right edge on the left edge of
// the lists and its top where the table puts it.
PixelRect LabelRect(Control label, unsigned dpi, int textWidth, int textHeight);

}  // namespace portsetup
