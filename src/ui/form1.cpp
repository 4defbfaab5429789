#include "ui/form1.h"

#include <exception>
#include <utility>

#include "actions/driver_package.h"
#include "actions/error_text.h"
#include "actions/last_error.h"
#include "actions/mod_register.h"
#include "actions/mod_register_win32.h"
#include "actions/port_settings.h"
#include "actions/printer_commands.h"
#include "actions/process_launch.h"
#include "actions/protected_print.h"
#include "model/text.h"
#include "ui/resource_ids.h"

namespace portsetup {
namespace {

constexpr wchar_t kClassName[] = L"PortSetupForm1";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;

const ControlDesign& Design(Control control) {
    return Form1Design()[control];
}

bool IsOption1(Control c) {
    return c >= Option1_0 && c < Option1_0 + int(kComOptionCount);
}
bool IsOption2(Control c) {
    return c >= Option2_0 && c < Option2_0 + int(kLptOptionCount);
}

// Each option group, each list and each button starts a group of its own for the arrow keys;
// the option buttons of one frame share theirs, so the window system keeps one chosen in each.
DWORD ControlStyle(Control control) {
    const DWORD common = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    const bool groupFollower = (IsOption1(control) && control != Option1_0) ||
                               (IsOption2(control) && control != Option2_0);
    const DWORD group = groupFollower ? 0 : WS_GROUP;
    switch (Design(control).kind) {
        case ControlKind::PushButton:
            return common | group | WS_TABSTOP |
                   (control == Command1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        case ControlKind::GroupFrame:
            return common | group | BS_GROUPBOX;
        case ControlKind::OptionButton:
            return common | group | BS_AUTORADIOBUTTON;
        case ControlKind::DropDownList:
            return common | group | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        case ControlKind::Label:
            // Single line, right-aligned against its list, never wrapped.
            return common | group | SS_RIGHT | SS_CENTERIMAGE;
    }
    return common;
}

const wchar_t* ControlClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::DropDownList:
            return L"ComboBox";
        case ControlKind::Label:
            return L"Static";
        default:
            return L"Button";
    }
}

// Screen device context of a window, released with it.
struct ReleaseWindowDC {
    HWND window;
    void operator()(HDC dc) const noexcept { ReleaseDC(window, dc); }
};
using WindowDC = UniqueAny<HDC, ReleaseWindowDC>;

// Holds a flag set for the lifetime of a scope, restoring its earlier value.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag), saved_(std::exchange(flag, true)) {}
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
    ~FlagScope() { flag_ = saved_; }

  private:
    bool& flag_;
    bool saved_;
};

int WindowHeight(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect.bottom - rect.top;
}

// Sets the height of a drop-down list's closed field through its item height. The field is not
// always the item height plus a fixed border (Wine reads back a different item height than it
// was given), so the item height is corrected from the measured field until the two agree.
// Starts from `item`, the value that fitted a list of the same font and height, when there is
// one; returns the value that fits this list.
LRESULT FitClosedHeight(HWND combo, int height, LRESULT item) {
    if (item > 0) {
        SendMessageW(combo, CB_SETITEMHEIGHT, WPARAM(-1), item);
    } else {
        item = SendMessageW(combo, CB_GETITEMHEIGHT, WPARAM(-1), 0);
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int error = height - WindowHeight(combo);
        if (error == 0 || item + error <= 0) {
            break;
        }
        item += error;
        SendMessageW(combo, CB_SETITEMHEIGHT, WPARAM(-1), item);
    }
    return item;
}

UniqueHfont MessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        ThrowLastError("SystemParametersInfoForDpi");
    }
    return UniqueHfont(CreateFontIndirectW(&metrics.lfMessageFont));
}

UniqueHicon LoadAppIcon(HINSTANCE instance, int metric, UINT dpi) {
    const int size = GetSystemMetricsForDpi(metric, dpi);
    return UniqueHicon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_PORTSETUP), IMAGE_ICON, size, size, 0)));
}

// Every control's rectangle at dpi; the labels are measured in font.
std::array<PixelRect, kControlCount> ControlRects(HWND window, UINT dpi, HFONT font) {
    std::array<PixelRect, kControlCount> rects{};
    for (int i = 0; i < kControlCount; ++i) {
        rects[i] = ControlRect(Control(i), dpi);
    }
    const WindowDC dc(GetDC(window), {window});
    const HGDIOBJ previous = SelectObject(dc.get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    for (std::size_t i = 0; i < kSettingListCount; ++i) {
        const std::wstring_view caption = Design(Label1(i)).caption;
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), caption.data(), static_cast<int>(caption.size()), &extent);
        rects[Label1(i)] = LabelRect(Label1(i), dpi, extent.cx, metrics.tmHeight);
    }
    SelectObject(dc.get(), previous);
    return rects;
}

}  // namespace

int Form1::ShowDialog(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Form1::WindowProc;
    // A private dialog class: the dialog manager then keeps the default button, the focus
    // across activation, and the keyboard navigation that IsDialogMessage drives.
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass)) {
        ThrowLastError("RegisterClassExW");
    }

    Form1 form(instance);
    if (!CreateWindowExW(kWindowExStyle, kClassName, kForm1Caption.data(), kWindowStyle,
                         CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, &form)) {
        if (form.exitCode_ == kExitFailed) {
            return kExitFailed;  // the load failed and has already been reported
        }
        ThrowLastError("CreateWindowExW");
    }

    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            return kExitFailed;
        }
        // Tab, the arrow keys, Enter, Escape and the access keys, as in any dialog.
        const HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (root == form.hwnd_ && IsDialogMessageW(root, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // Kept from WM_NCCREATE on: messages arrive before CreateWindowExW returns.
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    if (!form) {
        return DefDlgProcW(hwnd, message, wParam, lParam);
    }
    // No exception may unwind through the system's frames: a failing event is reported here and
    // ends the tool.
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        form->ReportFailure();
        return 0;
    }
}

LRESULT Form1::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefDlgProcW(hwnd_, message, wParam, lParam);
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            LayOut(GetDpiForWindow(hwnd_));
            Form_Load();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NEXTDLGCTL:
        case WM_ACTIVATE:
        case WM_SETFOCUS: {
            // The focus landing on an option button that is not chosen would choose it. Only a
            // click, Space or an arrow key chooses a port, so these moves are marked.
            const FlagScope moving(movingFocus_);
            return DefaultProcessing(message, wParam, lParam);
        }
        case WM_DPICHANGED: {
            LayOut(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
            return 0;
        }
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(exitCode_);
            return 0;
        default:
            return DefaultProcessing(message, wParam, lParam);
    }
}

void Form1::OnCommand(int id, int notification) {
    if (id == IDCANCEL) {  // Escape: leave as the window's close box does, with nothing done
        Unload();
        return;
    }
    if (id < kFirstControlId || id >= kFirstControlId + kControlCount ||
        notification != BN_CLICKED) {
        return;
    }
    const auto control = Control(id - kFirstControlId);
    if (IsOption1(control) || IsOption2(control)) {
        if (movingFocus_) {
            ShowSelection();  // undo what the focus change chose
        } else if (IsOption1(control)) {
            Option1_Click(std::size_t(control - Option1_0));
        } else {
            Option2_Click(std::size_t(control - Option2_0));
        }
    } else if (control == Command1) {
        Command1_Click();
    } else if (control == cmdDelete) {
        cmdDelete_Click();
    }
}

void Form1::ReportFailure() noexcept {
    try {
        std::wstring text = failureContext_ ? failureContext_ : L"The tool stopped on an error.";
        text += L"\n\n";
        try {
            throw;
        } catch (const SystemCallFailed& error) {
            text += SystemErrorText(error.code());
        } catch (const std::exception& error) {
            const std::string what = error.what();
            text.append(what.begin(), what.end());
        }
        MessageBoxW(hwnd_, text.c_str(), kForm1Caption.data(), MB_OK | MB_ICONERROR);
    } catch (...) {
        // Reporting failed too; ending the tool with the failure code is all that is left.
    }
    exitCode_ = kExitFailed;
    if (IsWindow(hwnd_)) {
        DestroyWindow(hwnd_);
    } else {
        PostQuitMessage(exitCode_);
    }
}

// Creates the controls where the design puts them at dpi, or moves them there on a DPI change.
void Form1::LayOut(UINT dpi) {
    UniqueHfont font = MessageFont(dpi);
    const std::array<PixelRect, kControlCount> rects = ControlRects(hwnd_, dpi, font.get());
    LRESULT listItemHeight = 0;
    for (const Control control : CreationOrder()) {
        const PixelRect& rect = rects[control];
        const bool list = Design(control).kind == ControlKind::DropDownList;
        // The height given to a drop-down list is that of its open list; its closed field is
        // fitted to the design's height once it has its font.
        const int height = list ? rect.height * 8 : rect.height;
        if (!Item(control)) {
            const ControlDesign& design = Design(control);
            controls_[control] = CreateWindowExW(
                0, ControlClass(design.kind), design.caption.data(), ControlStyle(control),
                rect.left, rect.top, rect.width, height, hwnd_,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control))), instance_,
                nullptr);
            if (!Item(control)) {
                ThrowLastError("CreateWindowExW");
            }
        } else {
            SetWindowPos(Item(control), nullptr, rect.left, rect.top, rect.width, height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        SendMessageW(Item(control), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        if (list) {
            listItemHeight = FitClosedHeight(Item(control), rect.height, listItemHeight);
        }
    }
    font_ = std::move(font);

    RECT frame{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, kWindowExStyle, dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);

    bigIcon_ = LoadAppIcon(instance_, SM_CXICON, dpi);
    smallIcon_ = LoadAppIcon(instance_, SM_CXSMICON, dpi);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

void Form1::Form_Load() {
    // Centred on the screen the window starts on, from its outer size.
    RECT window{};
    GetWindowRect(hwnd_, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& screen = monitor.rcMonitor;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    SetWindowPos(hwnd_, nullptr, screen.left + (screen.right - screen.left - width) / 2,
                 screen.top + (screen.bottom - screen.top - height) / 2, 0, 0,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);

    InitSettingLists();
    ShowSelection();
    SendMessageW(hwnd_, DM_SETDEFID, ControlId(Command1), 0);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(Command1)), TRUE);
}

void Form1::Unload() {
    DestroyWindow(hwnd_);
}

void Form1::Option1_Click(std::size_t index) {
    selection_.ClickComOption(index);
    ShowSelection();
}

void Form1::Option2_Click(std::size_t index) {
    selection_.ClickLptOption(index);
    ShowSelection();
}

void Form1::Command1_Click() {
    failureContext_ = L"The printer could not be installed: its set-up command did not start.";
    const std::wstring folder = ProgramFolder();
    // Without its INF file the set-up cannot succeed: stop before anything is started or stored.
    // This is what happens when portsetup.exe is started from inside a .zip file.
    if (!DriverInfPresent(folder)) {
        return RefuseNext(Concat(
            {L"The printer could not be installed: the driver package is missing.\n\nThe file ",
             DriverInfFileName, L" was looked for in:\n", folder,
             L"\n\nCopy or extract the whole driver package to a folder, then start "
             L"portsetup.exe from that folder."}));
    }
    // Checked here, not at the start: asking Windows takes a moment the dialog need not wait for.
    if (ProtectedPrintIsOn()) {
        return RefuseNext(
            Concat({L"The printer could not be installed.\n\n", kProtectedPrintMessage}));
    }
    const std::wstring portName = selection_.PortNameFromSelection();
    LaunchCommand(BuildInstallCommand(PrinterModelName, portName, folder));
    SavePortSettings();
    Unload();
}

void Form1::RefuseNext(const std::wstring& text) {
    MessageBoxW(hwnd_, text.c_str(), kForm1Caption.data(), MB_OK | MB_ICONERROR);
    exitCode_ = kExitFailed;
    Unload();
}

void Form1::cmdDelete_Click() {
    failureContext_ = L"The printer driver could not be removed: its set-up command did not start.";
    LaunchCommand(BuildRemoveCommand());
    Unload();
}

void Form1::InitSettingLists() {
    struct DropDownList {
        HWND combo;
        void Clear() { SendMessageW(combo, CB_RESETCONTENT, 0, 0); }
        void Add(const std::wstring& text) {
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        void Select(std::size_t index) { SendMessageW(combo, CB_SETCURSEL, index, 0); }
    };
    for (std::size_t i = 0; i < kSettingListCount; ++i) {
        DropDownList list{Item(Combo1(i))};
        FillSettingList(list, SettingLists()[i]);
    }
}

void Form1::SavePortSettings() {
    const auto value = PortSettingsToSave(selection_, ListTexts());
    if (!value) {
        return;
    }
    const long status = Mod_Register::WriteRegString(
        HKEY_LOCAL_MACHINE, std::wstring(Mod_Register::PortsKeyPath), value->name, value->data);
    if (status != ERROR_SUCCESS) {
        exitCode_ = kExitSettingsNotSaved;
        const std::wstring text = L"The printer's set-up has started, but the settings of port " +
                                  value->name + L" (" + value->data + L") were not saved.\n\n" +
                                  SystemErrorText(static_cast<unsigned long>(status));
        MessageBoxW(hwnd_, text.c_str(), kForm1Caption.data(), MB_OK | MB_ICONWARNING);
    }
}

// Mirrors the chosen port into the option buttons and the properties group. The Tab key stops at
// the chosen option of each group, or at its first when none there is chosen.
void Form1::ShowSelection() {
    auto show = [this](Control first, std::size_t count, auto isChosen) {
        bool anyChosen = false;
        for (std::size_t i = 0; i < count; ++i) {
            anyChosen = anyChosen || isChosen(i);
        }
        for (std::size_t i = 0; i < count; ++i) {
            const HWND button = Item(Control(first + int(i)));
            SendMessageW(button, BM_SETCHECK, isChosen(i) ? BST_CHECKED : BST_UNCHECKED, 0);
            const bool stop = anyChosen ? isChosen(i) : i == 0;
            const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
            SetWindowLongPtrW(button, GWL_STYLE, stop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
        }
    };
    show(Option1_0, kComOptionCount, [this](std::size_t i) { return selection_.IsComChosen(i); });
    show(Option2_0, kLptOptionCount, [this](std::size_t i) { return selection_.IsLptChosen(i); });

    // Disabling the group greys everything in it; the lists keep their picks.
    const BOOL enabled = selection_.PropertiesEnabled() ? TRUE : FALSE;
    for (int i = 0; i < kControlCount; ++i) {
        if (i == Frame1_2 || Design(Control(i)).container == Frame1_2) {
            EnableWindow(Item(Control(i)), enabled);
        }
    }
}

SettingListTexts Form1::ListTexts() const {
    SettingListTexts texts;
    for (std::size_t i = 0; i < kSettingListCount; ++i) {
        const HWND combo = Item(Combo1(i));
        const LRESULT picked = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (picked == CB_ERR) {
            continue;  // no entry picked: the list's text is empty
        }
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, picked, 0);
        if (length == CB_ERR) {
            continue;
        }
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT copied =
            SendMessageW(combo, CB_GETLBTEXT, picked, reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
        texts[i] = std::move(text);
    }
    return texts;
}

}  // namespace portsetup
