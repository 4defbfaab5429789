// End-to-end scenarios: each one starts portsetup.exe, looks at and drives its window as an
// operator would, and checks what came out of the run: the exit code, the command the printer
// set-up entry point received (from Wine's printui trace) and the Ports registry values.
//
// Usage: portsetup_e2e_driver <scenario> --exe <portsetup.exe> --trace <printui trace file>
//                             [--work <folder>] [--out <folder>] [--shot <window picture>]
//                             [--throwaway-prefix]
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "scenario_support.h"
#include "scenarios.h"

namespace e2e {
namespace {

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

// The build's version, PORTSETUP_E2E_VERSION, is the program's file and product version and its
// manifest's assembly version, each with a fourth part of 0.
void ExpectPackagedVersion(Checks& checks, const std::wstring& exe) {
    const std::wstring expected = L"" PORTSETUP_E2E_VERSION L".0";
    auto dotted = [](DWORD high, DWORD low) {
        return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
               std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
    };
    DWORD unused = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(exe.c_str(), &unused));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (checks.Expect(
            !block.empty() &&
                GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()),
                                    block.data()) &&
                VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
                length >= sizeof *fixed,
            "the program has a version resource")) {
        checks.ExpectText(dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), expected,
                          "file version");
        checks.ExpectText(dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), expected,
                          "product version");
    }

    const HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC found = image ? FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST) : nullptr;
    const HGLOBAL loaded = found ? LoadResource(image, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    const std::string manifest = data ? std::string(data, SizeofResource(image, found)) : "";
    const std::size_t identity = manifest.find("name=\"Portsetup.PortSetup\"");
    const std::size_t start = manifest.find("version=\"", identity);
    if (checks.Expect(identity != std::string::npos && start != std::string::npos,
                      "the program's manifest names its assembly and version")) {
        const std::size_t begin = start + std::strlen("version=\"");
        const std::string version = manifest.substr(begin, manifest.find('"', begin) - begin);
        checks.ExpectText(std::wstring(version.begin(), version.end()), expected,
                          "manifest assembly version");
    }
    if (image)
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
    ExpectPackagedVersion(checks, options.exe);

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
    ExpectPicks(checks, run, picks);
    MaybeSaveShot(run, options);

    PostClick(run.Item(ControlId(portsetup::Command1)));
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Next");
    ExpectInstall(checks, result, InfBeside(options.exe), portName + L":");
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

    const std::array<const wchar_t*, 5> picks{L"57600", L"6", L"Odd", L"1.5", L"Xon/Xoff"};
    PickEntries(run, picks);
    Click(run.Item(ControlId(portsetup::Option2_0)));
    ExpectSelection(checks, run, portsetup::Option2_0);
    ExpectPicks(checks, run, picks);

    PostClick(run.Item(ControlId(portsetup::Command1)));
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Next");
    ExpectInstall(checks, result, InfBeside(options.exe), L"LPT1:");
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

    const std::array<const wchar_t*, 5> picks{L"38400", L"6", L"Mark", L"1.5", L"None"};
    PickEntries(run, picks);
    Click(run.Item(ControlId(portsetup::Option2_1)));
    ExpectSelection(checks, run, portsetup::Option2_1);
    Click(run.Item(ControlId(portsetup::Option1_3)));
    ExpectSelection(checks, run, portsetup::Option1_3);
    ExpectPicks(checks, run, picks);

    PostClick(run.Item(ControlId(portsetup::Command1)));
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Next");
    ExpectInstall(checks, result, InfBeside(options.exe), L"COM4:");
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
    ExpectInstall(checks, result, InfBeside(options.exe), L"COM3:");
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
        ExpectInstall(checks, result, InfBeside(options.exe), L"COM1:");
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
    {L"keys_tab_order", KeysTabOrder},
    {L"keys_arrow_rules", KeysArrowRules},
    {L"keys_escape", KeysEscape},
    {L"launch_fails", LaunchFails},
    {L"ports_key_missing", PortsKeyMissing},
    {L"value_replaced", ValueReplaced},
    {L"no_hang", NoHang},
    {L"folder_names", FolderNames},
    {L"drive_root", DriveRoot},
    {L"layout_96", LayoutAt96},
    {L"layout_144", LayoutAt144},
    {L"planted_rundll32", PlantedRundll32},
    {L"dll_planting", DllPlanting},
    {L"unattended_install", UnattendedInstall},
    {L"unattended_remove", UnattendedRemove},
    {L"unattended_unconfirmed", UnattendedUnconfirmed},
    {L"unattended_refusals", UnattendedRefusals},
    {L"unattended_new_port", UnattendedNewPort},
    {L"unattended_device", UnattendedDevice},
    {L"unattended_queues", UnattendedQueues},
    {L"protected_print", ProtectedPrint},
    {L"printer_check", PrinterCheck},
    {L"package_missing", PackageMissing},
    {L"package_os_version", PackageOsVersion},
    {L"demo", Demo},
};

int Usage() {
    std::printf(
        "usage: portsetup_e2e_driver <scenario> --exe <portsetup.exe> --trace <file> "
        "[--work <empty folder>] [--out <folder for pictures>] [--shot <file.bmp|.png>] "
        "[--throwaway-prefix]\nscenarios:");
    for (const Scenario& scenario : kScenarios) {
        std::printf(" %s", Utf8(scenario.name).c_str());
    }
    std::printf("\n");
    return 2;
}

}  // namespace
}  // namespace e2e

int wmain(int argc, wchar_t** argv) {
    using namespace e2e;
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
    for (int i = 2; i < argc; ++i) {
        const std::wstring_view flag = argv[i];
        if (flag == L"--throwaway-prefix") {
            options.throwawayPrefix = true;
            continue;
        }
        if (i + 1 >= argc) {
            return Usage();
        }
        const std::wstring value = argv[++i];
        if (flag == L"--exe") {
            options.exe = value;
        } else if (flag == L"--trace") {
            options.trace = value;
        } else if (flag == L"--shot") {
            options.shot = value;
        } else if (flag == L"--work") {
            options.work = value;
        } else if (flag == L"--out") {
            options.out = value;
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
