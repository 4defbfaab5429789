#include "ui/form1_design.h"

#include <algorithm>

namespace portsetup {
namespace {

using enum ControlKind;

// clang-format off
constexpr std::array<ControlDesign, kControlCount> kDesign{{
    //  kind          caption                   container    left  top   width height tab
    {PushButton,   L"Next (&N)",             kNoContainer, 3750, 3105, 1215, 375,   0},
    {PushButton,   L"Delete (&X)",           kNoContainer,   60, 3105, 1185, 375,   1},
    {GroupFrame,   L"Serial Port",           kNoContainer,   30,   45, 1605, 1830, 20},
    {OptionButton, L"COM1",                  Frame1_0,      165,  285,  930, 270,   2},
    {OptionButton, L"COM2",                  Frame1_0,      165,  685,  930, 270,   3},
    {OptionButton, L"COM3",                  Frame1_0,      165, 1085,  930, 270,   4},
    {OptionButton, L"COM4",                  Frame1_0,      165, 1485,  930, 270,   5},
    {GroupFrame,   L"Parallel Port",         kNoContainer,   30, 1950, 1605, 1050, 19},
    {OptionButton, L"LPT1",                  Frame1_1,      165,  285, 1335, 210,   6},
    {OptionButton, L"LPT2",                  Frame1_1,      165,  645, 1335, 210,   7},
    {GroupFrame,   L"COM Port Properties",   kNoContainer, 1725,   75, 3255, 1800, 13},
    {DropDownList, L"",                      Frame1_2,     1680,  210, 1530, 300,   8},
    {DropDownList, L"",                      Frame1_2,     1680,  510, 1530, 300,   9},
    {DropDownList, L"",                      Frame1_2,     1680,  810, 1530, 300,  10},
    {DropDownList, L"",                      Frame1_2,     1680, 1110, 1530, 300,  11},
    {DropDownList, L"",                      Frame1_2,     1680, 1410, 1530, 300,  12},
    {Label,        L"Bits per sencond : ",   Frame1_2,       60,  270, 1620, 180,  18},
    {Label,        L"Data bits : ",          Frame1_2,      765,  570,  915, 180,  17},
    {Label,        L"Parity : ",             Frame1_2,     1020,  870,  660, 180,  16},
    {Label,        L"Stop Bits : ",          Frame1_2,      750, 1170,  930, 180,  15},
    {Label,        L"Flow control : ",       Frame1_2,      465, 1470, 1215, 180,  14},
}};
// clang-format on

struct TwipsRect {
    int left, top, width, height;
};

// Client-area twips: a control inside a frame is placed relative to the frame.
TwipsRect ClientTwips(Control control) {
    const ControlDesign& design = kDesign[control];
    TwipsRect rect{design.left, design.top, design.width, design.height};
    if (design.container != kNoContainer) {
        rect.left += kDesign[design.container].left;
        rect.top += kDesign[design.container].top;
    }
    return rect;
}

}  // namespace

const std::array<ControlDesign, kControlCount>& Form1Design() {
    return kDesign;
}

bool TakesFocus(ControlKind kind) {
    return kind != GroupFrame && kind != Label;
}

std::array<Control, kControlCount> CreationOrder() {
    std::array<Control, kControlCount> order{};
    for (int i = 0; i < kControlCount; ++i) {
        order[i] = Control(i);
    }
    std::stable_sort(order.begin(), order.end(), [](Control a, Control b) {
        // A label sorts as if it stood just before the list of the same index.
        auto key = [](Control c) {
            const int tab = kDesign[c].tabIndex * 2;
            return c >= Label1_0 ? kDesign[Combo1(c - Label1_0)].tabIndex * 2 - 1 : tab;
        };
        return key(a) < key(b);
    });
    return order;
}

int TwipsToPixels(int twips, unsigned dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>((scaled + kTwipsPerInch / 2) / kTwipsPerInch);
}

PixelRect ControlRect(Control control, unsigned dpi) {
    const TwipsRect twips = ClientTwips(control);
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    // Right and bottom edges are scaled too, so that neighbours meet where the design has them
    // meet whatever the rounding.
    return {left, top, TwipsToPixels(twips.left + twips.width, dpi) - left,
            TwipsToPixels(twips.top + twips.height, dpi) - top};
}

PixelRect LabelRect(Control label, unsigned dpi, int textWidth, int textHeight) {
    const TwipsRect twips = ClientTwips(label);
    const int right = TwipsToPixels(twips.left + twips.width, dpi);
    return {right - textWidth, TwipsToPixels(twips.top, dpi), textWidth, textHeight};
}

}  // namespace portsetup
