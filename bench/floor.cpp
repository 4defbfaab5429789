// The least program that shows the "Select Port Type" window as the tool shows it: the same
// controls, captions, list entries, message font, icon and application manifest, and nothing more.
// The start-up benchmark holds the tool against it, so whatever the tool costs beyond it is
// overhead.
#include <windows.h>

#include "model/setting_lists.h"
#include "ui/form1_design.h"
#include "ui/resource_ids.h"

namespace {

using namespace portsetup;

const wchar_t* ClassFor(ControlKind kind) {
    switch (kind) {
        case ControlKind::DropDownList:
            return L"ComboBox";
        case ControlKind::Label:
            return L"Static";
        default:
            return L"Button";
    }
}

DWORD StyleFor(Control control, ControlKind kind) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (TakesFocus(kind)) {
        style |= WS_TABSTOP;
    }
    switch (kind) {
        case ControlKind::PushButton:
            return style | WS_GROUP | (control == Command1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        case ControlKind::GroupFrame:
            return style | BS_GROUPBOX;
        case ControlKind::OptionButton:
            // The six options are one choice, so only the first starts a group.
            return style | BS_AUTORADIOBUTTON | (control == Option1_0 ? WS_GROUP : 0);
        case ControlKind::DropDownList:
            return style | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST;
        case ControlKind::Label:
            return style | SS_NOPREFIX;
    }
    return style;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"PortSetupFloor";
    if (RegisterClassExW(&windowClass) == 0) {
        return 1;
    }

    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, kForm1Caption.data(), kStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    // The window's own DPI: the manifest makes the process per-monitor aware.
    const unsigned dpi = GetDpiForWindow(window);

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);

    HDC dc = GetDC(window);
    HGDIOBJ oldFont = SelectObject(dc, font);
    const auto& design = Form1Design();
    HWND next = nullptr;
    for (Control control : CreationOrder()) {
        const ControlDesign& item = design[control];
        PixelRect rect = ControlRect(control, dpi);
        if (item.kind == ControlKind::Label) {
            SIZE text{};
            GetTextExtentPoint32W(dc, item.caption.data(), int(item.caption.size()), &text);
            rect = LabelRect(control, dpi, text.cx, text.cy);
        } else if (item.kind == ControlKind::DropDownList) {
            rect.height *= 8;  // room for the dropped-down entries
        }
        HWND child = CreateWindowExW(
            0, ClassFor(item.kind), item.caption.data(), StyleFor(control, item.kind), rect.left,
            rect.top, rect.width, rect.height, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control))), instance, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (item.kind == ControlKind::DropDownList) {
            const SettingList& list = SettingLists()[control - Combo1_0];
            for (const SettingEntry& entry : list.entries) {
                const std::wstring text = ListItemText(entry);
                SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            }
            SendMessageW(child, CB_SETCURSEL, list.defaultIndex, 0);
        } else if (control == Option1_0) {
            SendMessageW(child, BM_SETCHECK, BST_CHECKED, 0);
        } else if (control == Command1) {
            next = child;
        }
    }
    SelectObject(dc, oldFont);
    ReleaseDC(window, dc);

    RECT frame{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    HICON icons[2];
    const int iconMetrics[2] = {SM_CXICON, SM_CXSMICON};
    for (int i = 0; i < 2; ++i) {
        const int size = GetSystemMetricsForDpi(iconMetrics[i], dpi);
        icons[i] = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(IDI_PORTSETUP), IMAGE_ICON, size, size, 0));
        SendMessageW(window, WM_SETICON, i == 0 ? ICON_BIG : ICON_SMALL,
                     reinterpret_cast<LPARAM>(icons[i]));
    }
    ShowWindow(window, SW_SHOWNORMAL);
    SetFocus(next);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    DestroyIcon(icons[0]);
    DestroyIcon(icons[1]);
    DeleteObject(font);
    return static_cast<int>(message.wParam);
}
