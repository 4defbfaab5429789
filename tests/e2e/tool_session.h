// Running portsetup.exe from the outside: starting it, finding and reading its window and
// controls, driving them with window messages and keyboard input, and watching the processes it
// starts. Nothing here reaches into the tool; it sees what any other program on the desktop sees.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// A step the scenario cannot go on without failed (no window, a hang): the scenario stops.
struct Fatal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Utf8(std::wstring_view text);
// Quoted for a report, with long runs of blanks shown as their count.
std::string Show(std::wstring_view text);
std::wstring SystemMessage(DWORD code);  // the system's text for an error code, trimmed

// Counts failed expectations and reports each one as it happens; a scenario carries on after a
// failed expectation so that one run shows everything that is wrong.
class Checks {
  public:
    bool Expect(bool ok, const std::string& what);
    bool ExpectText(std::wstring_view actual, std::wstring_view expected, const std::string& what);
    bool ExpectInt(long long actual, long long expected, const std::string& what);
    int Failures() const { return failures_; }

  private:
    int failures_ = 0;
};

struct Closer {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, Closer>;

struct ChildProcess {
    DWORD pid = 0;
    std::wstring exeName;
    std::wstring imagePath;  // the full path of the program file it runs, when the system tells
    Handle process;          // kept open so that the child can be waited for after it was seen
};

// One run of the tool, from its start to its exit.
class ToolRun {
  public:
    // Starts exePath in currentFolder (by default the Windows folder, so that nothing can be
    // found through the current folder) and waits for its visible "Select Port Type" window.
    explicit ToolRun(const std::wstring& exePath, const std::wstring& currentFolder = {});
    // Starts exePath with arguments, as a deployment tool does, with its error output into a
    // pipe, or else with no standard handles at all; waits for no window.
    struct WithArguments {
        std::wstring arguments;
        bool captureErrors = true;
    };
    ToolRun(const std::wstring& exePath, const WithArguments& start);
    ~ToolRun();  // ends a tool that is still running, so that no scenario leaves one behind
    ToolRun(const ToolRun&) = delete;
    ToolRun& operator=(const ToolRun&) = delete;

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return processId_; }
    DWORD ThreadId() const { return threadId_; }
    HWND Item(int controlId) const;  // fatal when there is no such child
    HWND Focus() const;

    // Waits for the tool's other top-level window (a message box), noting the children it starts
    // meanwhile. Returns null when the tool ended without one; fatal when it does neither.
    HWND WaitForOwnedPopup(std::chrono::milliseconds timeout);
    // Whether the process ends within wait.
    bool EndsWithin(std::chrono::milliseconds wait) const;
    // Waits for the process to end; fatal on timeout. Returns the exit code.
    DWORD WaitForExit(std::chrono::milliseconds timeout);
    // What the tool wrote to its error output (with arguments only), once it has ended.
    std::string ErrorOutput() const;
    // Every process the tool started, as seen while waiting.
    const std::vector<ChildProcess>& Children() const { return children_; }
    // Waits for every started child to end; false if one is still running at the timeout.
    bool WaitForChildren(std::chrono::milliseconds timeout) const;
    // Ends the started children that still run.
    void EndChildren() const;

  private:
    void PollChildren();
    void DescribeWindows() const;

    void Start(const std::wstring& exePath, const std::wstring& arguments,
               const std::wstring& currentFolder, bool captureErrors);

    Handle process_;
    Handle errorPipe_;  // the reading end of the tool's error output
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
    std::vector<ChildProcess> children_;
    bool exited_ = false;
};

// Polls predicate until it holds or timeout passes.
bool WaitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout);

// Window reading, across the process boundary.
std::wstring TextOf(HWND window);  // WM_GETTEXT
std::wstring ClassOf(HWND window);
RECT RectInClient(HWND child, HWND parent);
std::vector<HWND> ChildrenInZOrder(HWND parent);
std::vector<HWND> TopLevelWindowsOf(DWORD processId);
bool IsChecked(HWND button);
int CurrentSelection(HWND combo);
bool IsDroppedDown(HWND combo);
std::vector<std::wstring> ListTexts(HWND combo);
// The texts of a message box's static controls, joined by new lines.
std::wstring MessageBoxText(HWND box);

// Driving: window messages.
void Click(HWND button);      // BM_CLICK, returns once the click was handled
void PostClick(HWND button);  // BM_CLICK, returns at once (for clicks that end the tool)
void Pick(HWND combo, int index);
void PostClose(HWND window);  // WM_CLOSE, as the window system's close sends it

// Driving: keyboard input through the system's input queue, as a keyboard would type it; the
// tool's window must be the foreground window.
void PressKey(WORD virtualKey);
void PressAltKey(WORD virtualKey);
void PressShiftKey(WORD virtualKey);
// Gives the keyboard focus to a control of another thread, by sharing that thread's input state.
void SetFocusOf(DWORD threadId, HWND control);

// Reads a whole file shared with a writer that may still hold it open, from offset on.
std::string ReadFileFrom(const std::wstring& path, unsigned long long offset);
unsigned long long FileSize(const std::wstring& path);  // 0 when missing

}  // namespace e2e
