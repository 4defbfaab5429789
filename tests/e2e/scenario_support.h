// What the scenarios share: the driver's options, what the operator must see (written out here
// rather than taken from the tool's own tables), and the checks of a run's outcome: the exit code,
// the processes started, the command the printer set-up entry point received and the Ports values.
#pragma once

#include <windows.h>

#include <array>
#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ports_registry.h"
#include "printui_trace.h"
#include "tool_session.h"
#include "ui/form1_design.h"

namespace e2e {

using portsetup::Control;
using portsetup::ControlId;

inline constexpr std::chrono::seconds kExitTimeout{15};
inline constexpr std::chrono::seconds kChildTimeout{20};
inline constexpr std::chrono::seconds kInputTimeout{3};
inline constexpr wchar_t kModel[] = L"Tarvik(Cut Mode)";
inline constexpr wchar_t kInfName[] = L"Velmoset.INF";

struct Options {
    std::wstring scenario;
    std::wstring exe;    // the staged tool
    std::wstring trace;  // Wine's debug output of this run
    std::wstring shot;   // where to save a picture of the window, if anywhere
    std::wstring work;   // an empty folder of this scenario's own, removed after it
    std::wstring out;    // where pictures for a person to look at are kept
    // Set only by the scenario runner when this run has a copy of the Wine prefix to itself, so
    // that a scenario may alter the machine (remove the Ports key) without harming the others.
    bool throwawayPrefix = false;
};

struct ListEntry {
    const wchar_t* display;
    const wchar_t* code;
};
struct ExpectedList {
    std::vector<ListEntry> entries;
    int defaultIndex;
};
extern const std::array<ExpectedList, 5> kLists;
enum ListIndex { kBitsPerSecond, kDataBits, kParity, kStopBits, kFlowControl };
std::wstring ItemText(const ListEntry& entry);
int IndexOf(ListIndex list, std::wstring_view display);

extern const std::map<Control, std::wstring> kCaptions;
// Tab order, each label right before its list, the frames last.
extern const std::vector<Control> kZOrder;
extern const std::array<Control, 4> kComOptions;
extern const std::array<Control, 2> kLptOptions;
// The "COM Port Properties" frame and everything drawn inside it.
extern const std::array<Control, 11> kPropertiesGroup;

std::string Name(Control control);
std::string Name(HWND window);
std::string Describe(const RECT& rect);
std::string Describe(const portsetup::PixelRect& rect);
bool SameRect(const RECT& rect, const portsetup::PixelRect& expected);
std::wstring FolderOf(const std::wstring& path);
// The INF path the tool is expected to pass for a tool at exe: its folder, a backslash, the name.
std::wstring InfBeside(const std::wstring& exe);
// The folder of the driver itself, where the helper programs of the scenarios are built.
std::wstring DriverFolder();

// The option states and the enabling that the one-chosen rule gives for chosen.
void ExpectSelection(Checks& checks, const ToolRun& run, Control chosen);
// Checks each list's picked entry by its display text; nullptr stands for the list's default.
void ExpectPicks(Checks& checks, const ToolRun& run, const std::array<const wchar_t*, 5>& displays);
void PickEntries(const ToolRun& run, const std::array<const wchar_t*, 5>& displays);

struct RunResult {
    DWORD exitCode = 0;
    std::vector<std::wstring> children;
    std::vector<PrintUiCall> calls;
};

// Waits for the tool and what it started to end, then reads the trace the run added.
RunResult FinishRun(Checks& checks, ToolRun& run, const Options& options,
                    unsigned long long traceStart);
void ExpectOneRundll32(Checks& checks, const RunResult& result);
void ExpectCall(Checks& checks, const RunResult& result, const std::wstring& command,
                const std::wstring& cmd, const std::wstring& sub,
                const std::vector<std::pair<std::wstring, std::wstring>>& expectedOptions);
// One rundll32.exe started, whose entry point received the install command for port with the INF
// file at infPath as the whole /f value.
void ExpectInstall(Checks& checks, const RunResult& result, const std::wstring& infPath,
                   const std::wstring& port);
void ExpectRemove(Checks& checks, const RunResult& result);
void ExpectNothingLaunched(Checks& checks, const RunResult& result);
// The Ports values after the run are the ones before it with exactly written changed.
void ExpectPorts(Checks& checks, const RegistryValues& before,
                 const std::map<std::wstring, std::wstring>& written);

void EnsureForeground(const ToolRun& run);
bool WaitForFocus(const ToolRun& run, HWND expected);
void MaybeSaveShot(const ToolRun& run, const Options& options);
// The message box the tool shows for a failure: owned by the window, which it disables, and
// dismissed with OK. Returns its text, empty when the tool ended without one.
std::wstring ExpectMessageBoxAndPressOk(Checks& checks, ToolRun& run);

// Files and folders of a scenario's work folder.
void MakeFolders(const std::wstring& path);  // with every missing parent; fatal on failure
void CopyInto(const std::wstring& from, const std::wstring& to);  // fatal on failure
// Copies the staged tool to exe, with the driver package's INF file beside it as staged.
void StageTool(const Options& options, const std::wstring& exe);
bool FileExists(const std::wstring& path);
void WriteFileText(const std::wstring& path, const std::string& text);  // fatal on failure
// A path that the file calls take beyond MAX_PATH: "\\?\" before a full path.
std::wstring LongPath(const std::wstring& path);

}  // namespace e2e
