#include "scenario_support.h"

#include "window_picture.h"

#include <algorithm>
#include <cstdio>

namespace e2e {

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

std::wstring InfBeside(const std::wstring& exe) {
    return FolderOf(exe) + L"\\" + kInfName;
}

std::wstring DriverFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return FolderOf(path);
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
void ExpectPicks(Checks& checks, const ToolRun& run,
                 const std::array<const wchar_t*, 5>& displays) {
    for (std::size_t list = 0; list < displays.size(); ++list) {
        const int expected = displays[list] != nullptr
                                 ? IndexOf(static_cast<ListIndex>(list), displays[list])
                                 : kLists[list].defaultIndex;
        const HWND combo = run.Item(ControlId(portsetup::Combo1(list)));
        checks.ExpectInt(CurrentSelection(combo), expected,
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

void ExpectInstall(Checks& checks, const RunResult& result, const std::wstring& infPath,
                   const std::wstring& port) {
    ExpectOneRundll32(checks, result);
    const std::wstring model = kModel;
    ExpectCall(checks, result,
               L"/if /b \"" + model + L"\" /f \"" + infPath + L"\" /r \"" + port + L"\" /m \"" +
                   model + L"\"",
               L"i", L"f", {{L"b", model}, {L"f", infPath}, {L"r", port}, {L"m", model}});
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
        SaveWindowPicture(run.Window(), options.shot);
    }
}

std::wstring ExpectMessageBoxAndPressOk(Checks& checks, ToolRun& run) {
    const HWND box = run.WaitForOwnedPopup(kExitTimeout);
    if (!checks.Expect(box != nullptr, "the tool shows a message box before it ends")) {
        return {};
    }
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

std::wstring LongPath(const std::wstring& path) {
    return path.starts_with(L"\\\\?\\") ? path : L"\\\\?\\" + path;
}

void MakeFolders(const std::wstring& path) {
    const std::wstring full = LongPath(path);
    if (CreateDirectoryW(full.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
        return;
    }
    if (GetLastError() != ERROR_PATH_NOT_FOUND) {
        throw Fatal("cannot create the folder " + Utf8(path) + ": error " +
                    std::to_string(GetLastError()));
    }
    MakeFolders(FolderOf(path));
    if (!CreateDirectoryW(full.c_str(), nullptr)) {
        throw Fatal("cannot create the folder " + Utf8(path) + ": error " +
                    std::to_string(GetLastError()));
    }
}

void CopyInto(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(LongPath(from).c_str(), LongPath(to).c_str(), FALSE)) {
        throw Fatal("cannot copy " + Utf8(from) + " to " + Utf8(to) + ": error " +
                    std::to_string(GetLastError()));
    }
}

void StageTool(const Options& options, const std::wstring& exe) {
    CopyInto(options.exe, exe);
    CopyInto(InfBeside(options.exe), InfBeside(exe));
}

void WriteFileText(const std::wstring& path, const std::string& text) {
    Handle file(CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        throw Fatal("cannot write " + Utf8(path) + ": error " + std::to_string(GetLastError()));
    }
    if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        throw Fatal("cannot write " + Utf8(path));
    }
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace e2e
