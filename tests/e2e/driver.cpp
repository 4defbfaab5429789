// End-to-end scenarios: each one starts portsetup.exe, looks at and drives its window as an
// operator would, and checks what came out of the run: the exit code, the command the printer
// set-up entry point received (from Wine's printui trace) and the Ports registry values.
//
// Usage: portsetup_e2e_driver <scenario> --exe <portsetup.exe> --trace <printui trace file>
//                             [--shot <window picture .bmp>]
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "ports_registry.h"
#include "printui_trace.h"
#include "tool_session.h"
#include "ui/form1_design.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;
using portsetup::Control;
using portsetup::ControlId;

constexpr auto kExitTimeout = 15s;
constexpr auto kChildTimeout = 20s;
constexpr auto kInputTimeout = 3s;
constexpr wchar_t kModel[] = L"Tarvik(Cut Mode)";

struct Options {
    std::wstring scenario;
    std::wstring exe;
    std::wstring trace;
    std::wstring shot;
};

// What the operator must see, written out here rather than taken from the tool's own tables.
struct ListEntry {
    const wchar_t* display;
    const wchar_t* code;
};
struct ExpectedList {
    std::vector<ListEntry> entries;
    int defaultIndex;
};
const std::array<ExpectedList, 5> kLists{{
    {{{L"1200", L"1200"},
      {L"1800", L"1800"},
      {L"2400", L"2400"},
      {L"4800", L"4800"},
      {L"7200", L"7200"},
      {L"9600", L"9600"},
      {L"14400", L"14400"},
      {L"19200", L"19200"},
      {L"38400", L"38400"},
      {L"57600", L"57600"},
      {L"115200", L"115200"},
      {L"128000", L"128000"}},
     5},
    {{{L"4", L"4"}, {L"5", L"5"}, {L"6", L"6"}, {L"7", L"7"}, {L"8", L"8"}}, 4},
    {{{L"Even", L"e"}, {L"Odd", L"o"}, {L"None", L"n"}, {L"Mark", L"m"}, {L"Space", L"s"}}, 2},
    {{{L"1", L"1"}, {L"1.5", L"1.5"}, {L"2", L"2"}}, 0},
    {{{L"Xon/Xoff", L",x"}, {L"Hardware", L",p"}, {L"None", L""}}, 2},
}};
enum ListIndex { kBitsPerSecond, kDataBits, kParity, kStopBits, kFlowControl };

std::wstring ItemText(const ListEntry& entry) {
    return std::wstring(entry.display) + std::wstring(100, L' ') + entry.code;
}

int IndexOf(ListIndex list, std::wstring_view display) {
    const auto& entries = kLists[list].entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (display == entries[i].display) {
            return static_cast<int>(i);
        }
    }
    throw Fatal("no entry " + Utf8(display));
}

const std::map<Control, std::wstring> kCaptions{
    {portsetup::Command1, L"Next (&N)"},
    {portsetup::cmdDelete, L"Delete (&X)"},
    {portsetup::Frame1_0, L"Serial Port"},
    {portsetup::Option1_0, L"COM1"},
    {portsetup::Option1_1, L"COM2"},
    {portsetup::Option1_2, L"COM3"},
    {portsetup::Option1_3, L"COM4"},
    {portsetup::Frame1_1, L"Parallel Port"},
    {portsetup::Option2_0, L"LPT1"},
    {portsetup::Option2_1, L"LPT2"},
    {portsetup::Frame1_2, L"COM Port Properties"},
    {portsetup::Combo1_0, L""},
    {portsetup::Combo1_1, L""},
    {portsetup::Combo1_2, L""},
    {portsetup::Combo1_3, L""},
    {portsetup::Combo1_4, L""},
    {portsetup::Label1_0, L"Bits per sencond : "},
    {portsetup::Label1_1, L"Data bits : "},
    {portsetup::Label1_2, L"Parity : "},
    {portsetup::Label1_3, L"Stop Bits : "},
    {portsetup::Label1_4, L"Flow control : "},
};

// Tab order, each label right before its list, the frames last.
const std::vector<Control> kZOrder{
    portsetup::Command1,  portsetup::cmdDelete, portsetup::Option1_0, portsetup::Option1_1,
    portsetup::Option1_2, portsetup::Option1_3, portsetup::Option2_0, portsetup::Option2_1,
    portsetup::Label1_0,  portsetup::Combo1_0,  portsetup::Label1_1,  portsetup::Combo1_1,
    portsetup::Label1_2,  portsetup::Combo1_2,  portsetup::Label1_3,  portsetup::Combo1_3,
    portsetup::Label1_4,  portsetup::Combo1_4,  portsetup::Frame1_2,  portsetup::Frame1_1,
    portsetup::Frame1_0,
};

const std::array<Control, 4> kComOptions{portsetup::Option1_0, portsetup::Option1_1,
                                         portsetup::Option1_2, portsetup::Option1_3};
const std::array<Control, 2> kLptOptions{portsetup::Option2_0, portsetup::Option2_1};
// The "COM Port Properties" frame and everything drawn inside it.
const std::array<Control, 11> kPropertiesGroup{
    portsetup::Frame1_2, portsetup::Combo1_0, portsetup::Combo1_1, portsetup::Combo1_2,
    portsetup::Combo1_3, portsetup::Combo1_4, portsetup::Label1_0, portsetup::Label1_1,
    portsetup::Label1_2, portsetup::Label1_3, portsetup::Label1_4,
};

std::string Name(Control control) {
    const std::wstring& caption = kCaptions.at(control);
    if (control >= portsetup::Combo1_0 && control <= portsetup::Combo1_4) {
        return "list " + std::to_string(control - portsetup::Combo1_0);
    }
    return Show(caption);
}

std::string Name(HWND window) {
    const int id = GetDlgCtrlID(window);
    if (id >= portsetup::kFirstControlId &&
        id < portsetup::kFirstControlId + portsetup::kControlCount) {
        return Name(static_cast<Control>(id - portsetup::kFirstControlId));
    }
    return window == nullptr ? "nothing" : "window with ID " + std::to_string(id);
}

std::string Describe(const RECT& rect) {
    return "(" + std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
           std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top) +
           ")";
}

bool SameRect(const RECT& rect, const portsetup::PixelRect& expected) {
    return rect.left == expected.left && rect.top == expected.top &&
           rect.right - rect.left == expected.width && rect.bottom - rect.top == expected.height;
}

std::string Describe(const portsetup::PixelRect& rect) {
    return Describe(RECT{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height});
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\'));
}

// ---- Checks shared by the scenarios ----

// The option states and the enabling that the one-chosen rule gives for chosen.
void ExpectSelection(Checks& checks, const ToolRun& run, Control chosen) {
    for (Control option : kComOptions) {
        checks.Expect(IsChecked(run.Item(ControlId(option))) == (option == chosen),
                      Name(option) + (option == chosen ? " is chosen" : " is not chosen"));
    }
    for (Control option : kLptOptions) {
        checks.Expect(IsChecked(run.Item(ControlId(option))) == (option == chosen),
                      Name(option) + (option == chosen ? " is chosen" : " is not chosen"));
    }
    const bool serial =
        std::find(kComOptions.begin(), kComOptions.end(), chosen) != kComOptions.end();
    for (Control control : kPropertiesGroup) {
        checks.Expect(IsWindowEnabled(run.Item(ControlId(control))) == (serial ? TRUE : FALSE),
                      Name(control) + (serial ? " is enabled" : " is disabled"));
    }
    for (Control option : kComOptions) {
        checks.Expect(IsWindowEnabled(run.Item(ControlId(option))),
                      Name(option) + " stays enabled");
    }
}

// Each list's picked entry, by index into kLists.
void ExpectPicks(Checks& checks, const ToolRun& run, const std::array<int, 5>& picks) {
    for (std::size_t list = 0; list < picks.size(); ++list) {
        const HWND combo = run.Item(ControlId(portsetup::Combo1(list)));
        checks.ExpectInt(CurrentSelection(combo), picks[list],
                         "picked entry of " + Name(portsetup::Combo1(list)));
    }
}

void PickEntries(const ToolRun& run, const std::array<const wchar_t*, 5>& displays) {
    for (std::size_t list = 0; list < displays.size(); ++list) {
        if (displays[list] != nullptr) {
            Pick(run.Item(ControlId(portsetup::Combo1(list))),
                 IndexOf(static_cast<ListIndex>(list), displays[list]));
        }
    }
}

struct RunResult {
    DWORD exitCode = 0;
    std::vector<std::wstring> children;
    std::vector<PrintUiCall> calls;
};

// Waits for the tool and what it started to end, then reads the trace the run added.
RunResult FinishRun(Checks& checks, ToolRun& run, const Options& options,
                    unsigned long long traceStart) {
    RunResult result;
    result.exitCode = run.WaitForExit(kExitTimeout);
    checks.Expect(run.WaitForChildren(kChildTimeout),
                  "the started set-up process ends within 20 s");
    for (const ChildProcess& child : run.Children()) {
        result.children.push_back(child.exeName);
    }
    result.calls = ParsePrintUiTrace(ReadFileFrom(options.trace, traceStart));
    return result;
}

void ExpectOneRundll32(Checks& checks, const RunResult& result) {
    std::string names;
    for (const std::wstring& name : result.children) {
        names += " " + Show(name);
    }
    checks.Expect(
        result.children.size() == 1 && _wcsicmp(result.children[0].c_str(), L"rundll32.exe") == 0,
        "the tool started exactly one process, rundll32.exe; it started" +
            (names.empty() ? std::string(" none") : names));
}

void ExpectCall(Checks& checks, const RunResult& result, const std::wstring& command,
                const std::wstring& cmd, const std::wstring& sub,
                const std::vector<std::pair<std::wstring, std::wstring>>& expectedOptions) {
    if (!checks.ExpectInt(static_cast<long long>(result.calls.size()), 1,
                          "calls of the printer set-up entry point")) {
        return;
    }
    const PrintUiCall& call = result.calls.front();
    if (call.truncated) {
        checks.Expect(command.starts_with(call.command), "the entry point's command begins " +
                                                             Show(call.command) + ", expected " +
                                                             Show(command));
    } else {
        checks.ExpectText(call.command, command, "the entry point's command");
    }
    checks.ExpectInt(static_cast<long long>(call.showCmd), SW_SHOWMINIMIZED,
                     "the window state the entry point received");
    checks.ExpectText(call.cmd, cmd, "the entry point's command letter");
    checks.ExpectText(call.sub, sub, "the entry point's sub-command letter");
    std::string got;
    for (const auto& [name, value] : call.options) {
        got += " /" + Utf8(name) + " " + Show(value);
    }
    std::string expected;
    for (const auto& [name, value] : expectedOptions) {
        expected += " /" + Utf8(name) + " " + Show(value);
    }
    checks.Expect(call.options == expectedOptions,
                  "options parsed by the entry point:" + got + "; expected" + expected);
}

void ExpectInstall(Checks& checks, const RunResult& result, const Options& options,
                   const std::wstring& port) {
    ExpectOneRundll32(checks, result);
    const std::wstring inf = FolderOf(options.exe) + L"\\Velmoset.INF";
    const std::wstring model = kModel;
    ExpectCall(
        checks, result,
        L"/if /b \"" + model + L"\" /f \"" + inf + L"\" /r \"" + port + L"\" /m \"" + model + L"\"",
        L"i", L"f", {{L"b", model}, {L"f", inf}, {L"r", port}, {L"m", model}});
}

void ExpectRemove(Checks& checks, const RunResult& result) {
    ExpectOneRundll32(checks, result);
    const std::wstring model = kModel;
    ExpectCall(checks, result, L"/dd /m \"" + model + L"\"", L"d", L"d", {{L"m", model}});
}

void ExpectNothingLaunched(Checks& checks, const RunResult& result) {
    std::string names;
    for (const std::wstring& name : result.children) {
        names += " " + Show(name);
    }
    checks.Expect(result.children.empty(), "the tool started no process; it started" + names);
    checks.ExpectInt(static_cast<long long>(result.calls.size()), 0,
                     "calls of the printer set-up entry point");
}

// The Ports values after the run are the ones before it with exactly written changed.
void ExpectPorts(Checks& checks, const RegistryValues& before,
                 const std::map<std::wstring, std::wstring>& written) {
    RegistryValues expected = before;
    for (const auto& [name, text] : written) {
        expected[name] = StringValue(text);
    }
    const RegistryValues after = ReadPortsValues();
    for (const auto& [name, value] : expected) {
        const auto found = after.find(name);
        if (found == after.end()) {
            checks.Expect(false, "Ports value " + Show(name) + " is missing");
        } else {
            checks.Expect(found->second == value, "Ports value " + Show(name) + ": got " +
                                                      DescribeValue(found->second) + ", expected " +
                                                      DescribeValue(value));
        }
    }
    for (const auto& [name, value] : after) {
        checks.Expect(expected.contains(name),
                      "unexpected Ports value " + Show(name) + " = " + DescribeValue(value));
    }
    for (const auto& [name, text] : written) {
        // The stored byte count includes the terminating zero of the 8-bit text.
        const auto size = AnsiValueSize(name);
        checks.ExpectInt(size ? static_cast<long long>(*size) : -1,
                         static_cast<long long>(text.size() + 1), "stored size of " + Show(name));
    }
}

void EnsureForeground(const ToolRun& run) {
    if (GetForegroundWindow() != run.Window()) {
        SetForegroundWindow(run.Window());
    }
    if (!WaitUntil([&] { return GetForegroundWindow() == run.Window(); }, kInputTimeout)) {
        throw Fatal("the tool's window is not the foreground window, so keys cannot reach it");
    }
}

bool WaitForFocus(const ToolRun& run, HWND expected) {
    return WaitUntil([&] { return run.Focus() == expected; }, kInputTimeout);
}

void MaybeSaveShot(const ToolRun& run, const Options& options) {
    if (!options.shot.empty()) {
        SaveWindowBitmap(run.Window(), options.shot);
    }
}

// The program carries its icon as resource 1 with 32, 24 and 16 pixel images.
void ExpectPackagedIcon(Checks& checks, const std::wstring& exe) {
    const HMODULE image = LoadLibraryExW(exe.c_str(), nullptr,
                                         LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
    checks.Expect(image != nullptr, "the program can be opened for its resources");
    if (!image)
        return;
    for (const int size : {32, 24, 16}) {
        const HANDLE icon = LoadImageW(image, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0);
        ICONINFO info{};
        BITMAP bitmap{};
        const bool loaded = icon && GetIconInfo(static_cast<HICON>(icon), &info) &&
                            GetObjectW(info.hbmColor, sizeof bitmap, &bitmap) &&
                            bitmap.bmWidth == size;
        checks.Expect(loaded, "the program's icon has a " + std::to_string(size) + " pixel image");
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        if (info.hbmMask)
            DeleteObject(info.hbmMask);
        if (icon)
            DestroyIcon(static_cast<HICON>(icon));
    }
    FreeLibrary(image);
}

// ---- Scenarios ----

// The window as it first shows: placement, every control's class, style, caption, rectangle,
// state and order, the lists' entries and defaults, and the focus.
int StartState(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);
    const HWND window = run.Window();
    MaybeSaveShot(run, options);

    checks.ExpectText(TextOf(window), L"Select Port Type", "window caption");
    checks.Expect(GetAncestor(window, GA_PARENT) == GetDesktopWindow(),
                  "the window is a top-level window");
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    checks.ExpectInt(placement.showCmd, SW_SHOWNORMAL, "window show state");
    checks.Expect(!IsIconic(window) && !IsZoomed(window), "window neither minimised nor maximised");
    checks.Expect(GetForegroundWindow() == window, "the window is the foreground window");
    // Wine answers neither WM_GETICON nor GetClassLongPtr(GCLP_HICON) across processes, so the
    // icon is checked where the window loads it from: the program's own resources.
    ExpectPackagedIcon(checks, options.exe);

    RECT outer{};
    GetWindowRect(window, &outer);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int centredLeft = (screenWidth - (outer.right - outer.left)) / 2;
    const int centredTop = (screenHeight - (outer.bottom - outer.top)) / 2;
    checks.Expect(std::abs(outer.left - centredLeft) <= 1 && std::abs(outer.top - centredTop) <= 1,
                  "window centred on the " + std::to_string(screenWidth) + "x" +
                      std::to_string(screenHeight) + " screen: outer rectangle " + Describe(outer) +
                      ", centred left/top " + std::to_string(centredLeft) + "," +
                      std::to_string(centredTop));

    const UINT dpi = GetDpiForWindow(window);
    RECT client{};
    GetClientRect(window, &client);
    checks.ExpectInt(client.right, portsetup::TwipsToPixels(portsetup::kClientWidthTwips, dpi),
                     "client width at " + std::to_string(dpi) + " DPI");
    checks.ExpectInt(client.bottom, portsetup::TwipsToPixels(portsetup::kClientHeightTwips, dpi),
                     "client height at " + std::to_string(dpi) + " DPI");
    if (checks.ExpectInt(dpi, 96, "the display's DPI under Xvfb")) {
        // Pinned at 96 DPI independently of the twips arithmetic.
        checks.Expect(client.right == 335 && client.bottom == 235,
                      "client area 335x235 at 96 DPI, got " + Describe(client));
        checks.Expect(SameRect(RectInClient(run.Item(ControlId(portsetup::Command1)), window),
                               {250, 207, 81, 25}),
                      "Next at (250,207 81x25) at 96 DPI");
    }

    // Children: exactly the 21 controls, direct children, in creation order.
    const std::vector<HWND> children = ChildrenInZOrder(window);
    std::string order;
    std::vector<int> ids;
    for (HWND child : children) {
        ids.push_back(GetDlgCtrlID(child));
        order += " " + Name(child);
    }
    std::vector<int> expectedIds;
    std::string expectedOrder;
    for (Control control : kZOrder) {
        expectedIds.push_back(ControlId(control));
        expectedOrder += " " + Name(control);
    }
    checks.Expect(ids == expectedIds,
                  "child windows in z-order:" + order + "; expected" + expectedOrder);

    // The message font at the window's DPI, which the labels are fitted to.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, font);

    const auto& design = portsetup::Form1Design();
    for (int row = 0; row < portsetup::kControlCount; ++row) {
        const auto control = static_cast<Control>(row);
        const HWND item = GetDlgItem(window, ControlId(control));
        if (!checks.Expect(item != nullptr, Name(control) + " exists with ID " +
                                                std::to_string(ControlId(control)))) {
            continue;
        }
        checks.Expect(GetParent(item) == window, Name(control) + " is a child of the window");
        checks.Expect(IsWindowVisible(item), Name(control) + " is visible");
        checks.Expect(IsWindowEnabled(item), Name(control) + " is enabled");
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(item, GWL_STYLE));
        const std::wstring className = ClassOf(item);
        const auto kind = design[static_cast<std::size_t>(row)].kind;
        std::wstring expectedClass = L"Button";
        bool styleOk = false;
        std::string expectedStyle;
        switch (kind) {
            case portsetup::ControlKind::PushButton:
                styleOk = (style & BS_TYPEMASK) == BS_PUSHBUTTON ||
                          (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
                expectedStyle = "push button";
                break;
            case portsetup::ControlKind::GroupFrame:
                styleOk = (style & BS_TYPEMASK) == BS_GROUPBOX;
                expectedStyle = "group box";
                break;
            case portsetup::ControlKind::OptionButton:
                styleOk = (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
                expectedStyle = "automatic option button";
                break;
            case portsetup::ControlKind::DropDownList:
                expectedClass = L"ComboBox";
                styleOk = (style & 3) == CBS_DROPDOWNLIST;
                expectedStyle = "drop-down list";
                break;
            case portsetup::ControlKind::Label:
                expectedClass = L"Static";
                styleOk = (style & SS_TYPEMASK) == SS_RIGHT;
                expectedStyle = "right-aligned static text";
                break;
        }
        checks.Expect(
            _wcsicmp(className.c_str(), expectedClass.c_str()) == 0,
            Name(control) + " has class " + Utf8(expectedClass) + ", got " + Utf8(className));
        checks.Expect(styleOk, Name(control) + " is a " + expectedStyle + " (style " +
                                   std::to_string(style) + ")");
        if (kind != portsetup::ControlKind::DropDownList) {
            checks.ExpectText(TextOf(item), kCaptions.at(control), Name(control) + " caption");
        }

        const RECT actual = RectInClient(item, window);
        portsetup::PixelRect expected = portsetup::ControlRect(control, dpi);
        if (kind == portsetup::ControlKind::Label) {
            const std::wstring& caption = kCaptions.at(control);
            SIZE text{};
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
            expected = portsetup::LabelRect(control, dpi, text.cx, text.cy);
            checks.ExpectInt(actual.right, expected.left + expected.width,
                             Name(control) + " right edge (the lists' left edge)");
            checks.ExpectInt(actual.top, expected.top, Name(control) + " top");
        }
        checks.Expect(SameRect(actual, expected), Name(control) + " rectangle " + Describe(actual) +
                                                      ", expected " + Describe(expected));
    }
    SelectObject(dc, oldFont);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);

    ExpectSelection(checks, run, portsetup::Option1_0);

    for (std::size_t list = 0; list < kLists.size(); ++list) {
        const HWND combo = run.Item(ControlId(portsetup::Combo1(list)));
        const std::vector<std::wstring> texts = ListTexts(combo);
        const auto& entries = kLists[list].entries;
        checks.ExpectInt(static_cast<long long>(texts.size()),
                         static_cast<long long>(entries.size()),
                         "number of entries in " + Name(portsetup::Combo1(list)));
        for (std::size_t i = 0; i < std::min(texts.size(), entries.size()); ++i) {
            checks.ExpectText(texts[i], ItemText(entries[i]),
                              Name(portsetup::Combo1(list)) + " entry " + std::to_string(i));
        }
        checks.ExpectInt(CurrentSelection(combo), kLists[list].defaultIndex,
                         "default entry of " + Name(portsetup::Combo1(list)));
        checks.ExpectText(TextOf(combo),
                          ItemText(entries[static_cast<std::size_t>(kLists[list].defaultIndex)]),
                          "text shown by " + Name(portsetup::Combo1(list)));
    }

    checks.Expect(run.Focus() == run.Item(ControlId(portsetup::Command1)),
                  "keyboard focus on Next; it is on " + Name(run.Focus()));

    PostClose(window);
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after closing");
    ExpectNothingLaunched(checks, result);
    ExpectPorts(checks, before, {});
    return checks.Failures();
}

// Picks port and entries with clicks and list picks, presses Next, and checks the install command
// and the stored settings.
int NextWithPort(const Options& options, Control port, const std::array<const wchar_t*, 5>& picks,
                 const std::wstring& portName, const std::wstring& settings, bool demo = false) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);

    Click(run.Item(ControlId(port)));
    ExpectSelection(checks, run, port);
    PickEntries(run, picks);
    std::array<int, 5> expectedPicks{};
    for (std::size_t list = 0; list < picks.size(); ++list) {
        expectedPicks[list] = picks[list] != nullptr
                                  ? IndexOf(static_cast<ListIndex>(list), picks[list])
                                  : kLists[list].defaultIndex;
    }
    ExpectPicks(checks, run, expectedPicks);
    MaybeSaveShot(run, options);

    PostClick(run.Item(ControlId(portsetup::Command1)));
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Next");
    ExpectInstall(checks, result, options, portName + L":");
    ExpectPorts(checks, before, {{portName + L":", settings}});

    if (demo) {
        const RegistryValues after = ReadPortsValues();
        const auto written = after.find(portName + L":");
        std::printf("Command received by the printer set-up entry point:\n  %s\n",
                    result.calls.empty() ? "(none)" : Utf8(result.calls[0].command).c_str());
        std::printf("Window state it received: %lu (2 = minimised)\n",
                    result.calls.empty() ? 0UL : result.calls[0].showCmd);
        std::printf("Ports value written: %s = %s\n", Utf8(portName + L":").c_str(),
                    written == after.end() ? "(none)" : DescribeValue(written->second).c_str());
    }
    return checks.Failures();
}

int NextCom2(const Options& options) {
    return NextWithPort(options, portsetup::Option1_1,
                        {L"19200", nullptr, nullptr, nullptr, L"Hardware"}, L"COM2",
                        L"19200,n,8,1,p");
}

int NextCom3(const Options& options) {
    return NextWithPort(options, portsetup::Option1_2,
                        {L"115200", L"7", L"Even", L"2", L"Xon/Xoff"}, L"COM3", L"115200,e,7,2,x");
}

int Demo(const Options& options) {
    return NextWithPort(options, portsetup::Option1_1,
                        {L"19200", nullptr, nullptr, nullptr, L"Hardware"}, L"COM2",
                        L"19200,n,8,1,p", true);
}

// An LPT choice disables the properties but keeps their picks; Next installs on the LPT port and
// stores nothing.
int NextLpt1(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);

    PickEntries(run, {L"57600", L"6", L"Odd", L"1.5", L"Xon/Xoff"});
    const std::array<int, 5> picks{IndexOf(kBitsPerSecond, L"57600"), IndexOf(kDataBits, L"6"),
                                   IndexOf(kParity, L"Odd"), IndexOf(kStopBits, L"1.5"),
                                   IndexOf(kFlowControl, L"Xon/Xoff")};
    Click(run.Item(ControlId(portsetup::Option2_0)));
    ExpectSelection(checks, run, portsetup::Option2_0);
    ExpectPicks(checks, run, picks);

    PostClick(run.Item(ControlId(portsetup::Command1)));
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Next");
    ExpectInstall(checks, result, options, L"LPT1:");
    ExpectPorts(checks, before, {});
    return checks.Failures();
}

// LPT2 then COM4: the second click clears the parallel options, re-enables the properties with the
// picks made before, and Next stores them under COM4:.
int LptThenCom4(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);

    PickEntries(run, {L"38400", L"6", L"Mark", L"1.5", L"None"});
    const std::array<int, 5> picks{IndexOf(kBitsPerSecond, L"38400"), IndexOf(kDataBits, L"6"),
                                   IndexOf(kParity, L"Mark"), IndexOf(kStopBits, L"1.5"),
                                   IndexOf(kFlowControl, L"None")};
    Click(run.Item(ControlId(portsetup::Option2_1)));
    ExpectSelection(checks, run, portsetup::Option2_1);
    Click(run.Item(ControlId(portsetup::Option1_3)));
    ExpectSelection(checks, run, portsetup::Option1_3);
    ExpectPicks(checks, run, picks);

    PostClick(run.Item(ControlId(portsetup::Command1)));
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Next");
    ExpectInstall(checks, result, options, L"COM4:");
    ExpectPorts(checks, before, {{L"COM4:", L"38400,m,6,1.5"}});
    return checks.Failures();
}

// Delete removes the driver whatever is chosen and stores nothing.
int Delete(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);

    Click(run.Item(ControlId(portsetup::Option1_1)));
    PickEntries(run, {L"19200", nullptr, nullptr, nullptr, L"Hardware"});
    PostClick(run.Item(ControlId(portsetup::cmdDelete)));
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Delete");
    ExpectRemove(checks, result);
    ExpectPorts(checks, before, {});
    return checks.Failures();
}

// A close by the window system (WM_CLOSE, then Alt+F4) launches and stores nothing.
int Close(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    for (const bool altF4 : {false, true}) {
        std::printf("close by %s\n", altF4 ? "Alt+F4" : "WM_CLOSE");
        const unsigned long long traceStart = FileSize(options.trace);
        ToolRun run(options.exe);
        Click(run.Item(ControlId(portsetup::Option1_1)));
        PickEntries(run, {L"19200", nullptr, nullptr, nullptr, L"Hardware"});
        if (altF4) {
            EnsureForeground(run);
            PressAltKey(VK_F4);
        } else {
            PostClose(run.Window());
        }
        const RunResult result = FinishRun(checks, run, options, traceStart);
        checks.ExpectInt(result.exitCode, 0, "exit code after the close");
        ExpectNothingLaunched(checks, result);
        ExpectPorts(checks, before, {});
    }
    return checks.Failures();
}

// Tab walks the focus-taking controls in tab order, skipping disabled lists; arrow keys move and
// choose within one option group and wrap inside it; Escape closes without doing anything.
int KeysNavigate(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);
    EnsureForeground(run);
    const HWND next = run.Item(ControlId(portsetup::Command1));

    auto position = [](HWND control) {
        const int id = GetDlgCtrlID(control);
        for (std::size_t i = 0; i < kZOrder.size(); ++i) {
            if (ControlId(kZOrder[i]) == id) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    // Presses Tab until the focus is back on Next and returns the controls visited on the way.
    auto tabRound = [&](const std::string& when) {
        std::vector<HWND> visited;
        HWND previous = next;
        for (int presses = 0; presses < 25; ++presses) {
            PressKey(VK_TAB);
            if (!WaitUntil([&] { return run.Focus() != previous; }, kInputTimeout)) {
                checks.Expect(false, when + ": Tab left the focus on " + Name(previous));
                return visited;
            }
            previous = run.Focus();
            if (previous == next) {
                return visited;
            }
            visited.push_back(previous);
        }
        checks.Expect(false, when + ": Tab never came back to Next");
        return visited;
    };
    auto describe = [](const std::vector<HWND>& visited) {
        std::string text = " Next";
        for (HWND control : visited) {
            text += " " + Name(control);
        }
        return text;
    };

    checks.Expect(run.Focus() == next, "focus starts on Next");
    std::vector<HWND> visited = tabRound("all lists enabled");
    std::printf("  Tab order:%s\n", describe(visited).c_str());
    int last = position(next);
    bool ordered = true;
    for (HWND control : visited) {
        ordered = ordered && GetParent(control) == run.Window() && position(control) > last;
        last = position(control);
    }
    checks.Expect(ordered, "Tab visits window controls in tab order:" + describe(visited));
    auto visitedControl = [&](Control control) {
        return std::find(visited.begin(), visited.end(), run.Item(ControlId(control))) !=
               visited.end();
    };
    checks.Expect(visitedControl(portsetup::Option1_0),
                  "Tab stops on the chosen COM1:" + describe(visited));
    for (std::size_t list = 0; list < 5; ++list) {
        checks.Expect(visitedControl(portsetup::Combo1(list)),
                      "Tab stops on " + Name(portsetup::Combo1(list)) + ":" + describe(visited));
    }

    // Arrow keys inside the serial group.
    const HWND com1 = run.Item(ControlId(portsetup::Option1_0));
    while (run.Focus() != com1) {
        const HWND from = run.Focus();
        PressKey(VK_TAB);
        if (!WaitUntil([&] { return run.Focus() != from; }, kInputTimeout) || run.Focus() == next) {
            throw Fatal("Tab does not reach COM1");
        }
    }
    const std::vector<std::pair<WORD, Control>> serialSteps{
        {VK_DOWN, portsetup::Option1_1}, {VK_DOWN, portsetup::Option1_2},
        {VK_DOWN, portsetup::Option1_3}, {VK_DOWN, portsetup::Option1_0},
        {VK_UP, portsetup::Option1_3},
    };
    for (const auto& [key, target] : serialSteps) {
        const HWND from = run.Focus();
        PressKey(key);
        const HWND expected = run.Item(ControlId(target));
        checks.Expect(WaitForFocus(run, expected),
                      std::string(key == VK_DOWN ? "Down" : "Up") + " from " + Name(from) +
                          " moves to " + Name(target) + "; focus on " + Name(run.Focus()));
        ExpectSelection(checks, run, target);
    }

    // Arrow keys inside the parallel group, after choosing LPT1.
    const HWND lpt1 = run.Item(ControlId(portsetup::Option2_0));
    Click(lpt1);
    SetFocusOf(run.ThreadId(), lpt1);
    ExpectSelection(checks, run, portsetup::Option2_0);
    for (const auto& [key, target] : std::vector<std::pair<WORD, Control>>{
             {VK_DOWN, portsetup::Option2_1}, {VK_DOWN, portsetup::Option2_0}}) {
        const HWND from = run.Focus();
        PressKey(key);
        checks.Expect(WaitForFocus(run, run.Item(ControlId(target))),
                      "Down from " + Name(from) + " moves to " + Name(target) + "; focus on " +
                          Name(run.Focus()));
        ExpectSelection(checks, run, target);
    }

    // With the lists disabled, Tab passes them by.
    SetFocusOf(run.ThreadId(), next);
    visited = tabRound("lists disabled");
    std::printf("  Tab order with LPT chosen:%s\n", describe(visited).c_str());
    for (std::size_t list = 0; list < 5; ++list) {
        checks.Expect(
            !visitedControl(portsetup::Combo1(list)),
            "Tab skips the disabled " + Name(portsetup::Combo1(list)) + ":" + describe(visited));
    }

    PressKey(VK_ESCAPE);
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Escape");
    ExpectNothingLaunched(checks, result);
    ExpectPorts(checks, before, {});
    return checks.Failures();
}

// Alt+N presses Next from wherever the focus is: here the COM3 option just clicked.
int KeysAltN(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);
    EnsureForeground(run);
    Click(run.Item(ControlId(portsetup::Option1_2)));
    PickEntries(run, {L"57600", nullptr, nullptr, nullptr, nullptr});
    PressAltKey('N');
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Alt+N");
    ExpectInstall(checks, result, options, L"COM3:");
    ExpectPorts(checks, before, {{L"COM3:", L"57600,n,8,1"}});
    return checks.Failures();
}

// Alt+X presses Delete, whichever control has the focus.
int KeysAltX(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);
    EnsureForeground(run);
    SetFocusOf(run.ThreadId(), run.Item(ControlId(portsetup::Combo1_2)));
    PressAltKey('X');
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Alt+X");
    ExpectRemove(checks, result);
    ExpectPorts(checks, before, {});
    return checks.Failures();
}

// Enter presses the focused button: Next as the window starts (the tool's defaults go to COM1:),
// Delete once Tab has moved the focus onto it.
int KeysEnter(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    {
        std::printf("Enter on Next\n");
        const unsigned long long traceStart = FileSize(options.trace);
        ToolRun run(options.exe);
        EnsureForeground(run);
        PressKey(VK_RETURN);
        const RunResult result = FinishRun(checks, run, options, traceStart);
        checks.ExpectInt(result.exitCode, 0, "exit code after Enter on Next");
        ExpectInstall(checks, result, options, L"COM1:");
        ExpectPorts(checks, before, {{L"COM1:", L"9600,n,8,1"}});
    }
    const RegistryValues again = PlantPortSentinels();
    {
        std::printf("Enter on Delete\n");
        const unsigned long long traceStart = FileSize(options.trace);
        ToolRun run(options.exe);
        EnsureForeground(run);
        const HWND remove = run.Item(ControlId(portsetup::cmdDelete));
        PressKey(VK_TAB);
        if (!checks.Expect(WaitForFocus(run, remove), "Tab from Next moves the focus to Delete")) {
            return checks.Failures();
        }
        PressKey(VK_RETURN);
        const RunResult result = FinishRun(checks, run, options, traceStart);
        checks.ExpectInt(result.exitCode, 0, "exit code after Enter on Delete");
        ExpectRemove(checks, result);
        ExpectPorts(checks, again, {});
    }
    return checks.Failures();
}

// Keeps the system folder's rundll32.exe out of reach for the lifetime of the object.
class Rundll32Hidden {
  public:
    Rundll32Hidden() {
        wchar_t system[MAX_PATH];
        GetSystemDirectoryW(system, MAX_PATH);
        path_ = std::wstring(system) + L"\\rundll32.exe";
        if (!MoveFileW(path_.c_str(), (path_ + kSuffix).c_str())) {
            throw Fatal("cannot move rundll32.exe aside: error " + std::to_string(GetLastError()));
        }
    }
    ~Rundll32Hidden() {
        if (!MoveFileW((path_ + kSuffix).c_str(), path_.c_str())) {
            std::printf("  could not put rundll32.exe back\n");
        }
    }
    Rundll32Hidden(const Rundll32Hidden&) = delete;
    Rundll32Hidden& operator=(const Rundll32Hidden&) = delete;

    static constexpr wchar_t kSuffix[] = L".e2e-hidden";

  private:
    std::wstring path_;
};

// The message box the tool shows for a failure: owned by the window, which it disables, and
// dismissed with OK.
std::wstring ExpectMessageBoxAndPressOk(Checks& checks, ToolRun& run) {
    const HWND box = run.WaitForOwnedPopup(kExitTimeout);
    const std::wstring text = MessageBoxText(box);
    std::printf("  message box %s says %s\n", Show(TextOf(box)).c_str(), Show(text).c_str());
    checks.Expect(_wcsicmp(ClassOf(box).c_str(), L"#32770") == 0,
                  "the message box is a dialog box, class " + Utf8(ClassOf(box)));
    checks.Expect(GetWindow(box, GW_OWNER) == run.Window(),
                  "the message box is owned by the window");
    checks.Expect(!IsWindowEnabled(run.Window()), "the window is disabled under its message box");
    checks.ExpectText(TextOf(box), L"Select Port Type", "message box caption");
    const HWND ok = GetDlgItem(box, IDOK);
    if (!checks.Expect(ok != nullptr, "the message box has an OK button")) {
        throw Fatal("cannot dismiss the message box");
    }
    PostClick(ok);
    return text;
}

// A set-up command that cannot start is reported, ends the tool with code 1 and stores nothing.
int LaunchFails(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    const Rundll32Hidden hidden;
    ToolRun run(options.exe);
    Click(run.Item(ControlId(portsetup::Option1_1)));
    PickEntries(run, {L"19200", nullptr, nullptr, nullptr, L"Hardware"});
    PostClick(run.Item(ControlId(portsetup::Command1)));

    const std::wstring text = ExpectMessageBoxAndPressOk(checks, run);
    const std::wstring reason = SystemMessage(ERROR_FILE_NOT_FOUND);
    checks.Expect(text.find(reason) != std::wstring::npos,
                  "the message names the system's reason " + Show(reason));
    checks.Expect(text.find(L"(error 2)") != std::wstring::npos,
                  "the message names the error code as \"(error 2)\"");

    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 1, "exit code after a failed launch");
    ExpectNothingLaunched(checks, result);
    ExpectPorts(checks, before, {});
    return checks.Failures();
}

// Without the Ports key the install still runs, the unsaved settings are reported, the tool ends
// with code 2, and the key is not created.
int PortsKeyMissing(const Options& options) {
    Checks checks;
    PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    const PortsKeyRemoved removed;
    ToolRun run(options.exe);
    Click(run.Item(ControlId(portsetup::Option1_1)));
    PickEntries(run, {L"19200", nullptr, nullptr, nullptr, L"Hardware"});
    PostClick(run.Item(ControlId(portsetup::Command1)));

    const std::wstring text = ExpectMessageBoxAndPressOk(checks, run);
    const std::wstring reason = SystemMessage(ERROR_FILE_NOT_FOUND);
    checks.Expect(text.find(L"COM2:") != std::wstring::npos, "the message names the port COM2:");
    checks.Expect(text.find(reason) != std::wstring::npos,
                  "the message names the system's reason " + Show(reason));

    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 2, "exit code when the settings could not be stored");
    ExpectInstall(checks, result, options, L"COM2:");
    checks.Expect(!PortsKeyExists(), "the Ports key was not created");
    return checks.Failures();
}

// The trace reader itself, on lines as Wine writes them.
int TraceParser(const Options&) {
    Checks checks;
    const char* trace =
        "0024:fixme:other:Thing L\"noise\"\n"
        "0104:trace:printui:PrintUIEntryW (0000000000000000, 0000000140000000, L\"/if /b "
        "\\\"Tarvik(Cut Mode)\\\" /f \\\"C:\\\\a b\\\\Velmoset.INF\\\" /r \\\"COM2:\\\" /m "
        "\\\"Tarvik(Cut Mode)\\\"\", 0x2)\n"
        "0104:trace:printui:PrintUIEntryW got 9 args at 000000000036C940\n"
        "0104:trace:printui:parse_rundll  cmd: L\"i\"\n"
        "0104:trace:printui:parse_rundll  sub: L\"f\"\n"
        "0104:trace:printui:parse_rundll  opt: L\"b\"  L\"Tarvik(Cut Mode)\"\n"
        "0104:trace:printui:parse_rundll  opt: L\"f\"  L\"C:\\\\a b\\\\Velmoset.INF\"\n"
        "0104:fixme:printui:PrintUIEntryW command not implemented: L\"if\"\n"
        "0200:trace:printui:PrintUIEntryW (0000000000000000, 0000000140000000, "
        "L\"/dd \\x00e9\\00e8\\n\\t\\r\"..., 0xa)\n"
        "0200:trace:printui:parse_rundll  opt: L\"m\"  L\"x\\\"y\"\n";
    const std::vector<PrintUiCall> calls = ParsePrintUiTrace(trace);
    if (!checks.ExpectInt(static_cast<long long>(calls.size()), 2, "calls found")) {
        return checks.Failures();
    }
    checks.ExpectText(calls[0].command,
                      L"/if /b \"Tarvik(Cut Mode)\" /f \"C:\\a b\\Velmoset.INF\" /r \"COM2:\" /m "
                      L"\"Tarvik(Cut Mode)\"",
                      "first command");
    checks.Expect(!calls[0].truncated, "first command complete");
    checks.ExpectInt(static_cast<long long>(calls[0].showCmd), 2, "first window state");
    checks.ExpectText(calls[0].cmd, L"i", "first cmd");
    checks.ExpectText(calls[0].sub, L"f", "first sub");
    checks.Expect(calls[0].options ==
                      std::vector<std::pair<std::wstring, std::wstring>>{
                          {L"b", L"Tarvik(Cut Mode)"}, {L"f", L"C:\\a b\\Velmoset.INF"}},
                  "first options");
    checks.ExpectText(calls[1].command, L"/dd \u00e9\u00e8\n\t\r", "second command escapes");
    checks.Expect(calls[1].truncated, "second command marked as cut short");
    checks.ExpectInt(static_cast<long long>(calls[1].showCmd), 10, "second window state");
    checks.Expect(
        calls[1].options == std::vector<std::pair<std::wstring, std::wstring>>{{L"m", L"x\"y"}},
        "second options, after the other call's lines");
    return checks.Failures();
}

struct Scenario {
    const wchar_t* name;
    int (*run)(const Options&);
};
constexpr Scenario kScenarios[] = {
    {L"trace_parser", TraceParser},
    {L"start_state", StartState},
    {L"next_com2", NextCom2},
    {L"next_com3", NextCom3},
    {L"next_lpt1", NextLpt1},
    {L"lpt_then_com4", LptThenCom4},
    {L"delete", Delete},
    {L"close", Close},
    {L"keys_navigate", KeysNavigate},
    {L"keys_alt_n", KeysAltN},
    {L"keys_alt_x", KeysAltX},
    {L"keys_enter", KeysEnter},
    {L"launch_fails", LaunchFails},
    {L"ports_key_missing", PortsKeyMissing},
    {L"demo", Demo},
};

int Usage() {
    std::printf(
        "usage: portsetup_e2e_driver <scenario> --exe <portsetup.exe> --trace <file> "
        "[--shot <file.bmp>]\nscenarios:");
    for (const Scenario& scenario : kScenarios) {
        std::printf(" %s", Utf8(scenario.name).c_str());
    }
    std::printf("\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Real pixels, whatever the display's scaling.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    // Wine starts its desktop process for the first program that needs the desktop; asking for
    // it here makes that the driver, so that the tool's only child is what the tool starts.
    GetDesktopWindow();
    if (argc < 2) {
        return Usage();
    }
    Options options;
    options.scenario = argv[1];
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::wstring_view flag = argv[i];
        if (flag == L"--exe") {
            options.exe = argv[i + 1];
        } else if (flag == L"--trace") {
            options.trace = argv[i + 1];
        } else if (flag == L"--shot") {
            options.shot = argv[i + 1];
        } else {
            return Usage();
        }
    }
    for (const Scenario& scenario : kScenarios) {
        if (options.scenario != scenario.name) {
            continue;
        }
        std::printf("scenario %s\n", Utf8(scenario.name).c_str());
        std::fflush(stdout);
        int failures = 0;
        try {
            failures = scenario.run(options);
        } catch (const std::exception& error) {
            std::printf("  FATAL: %s\n", error.what());
            failures += 1;
        }
        std::printf("%s: %d failed check(s)\n", failures == 0 ? "PASSED" : "FAILED", failures);
        std::fflush(stdout);
        return failures == 0 ? 0 : 1;
    }
    return Usage();
}
