#include "tool_session.h"

#include <tlhelp32.h>

#include <cstdio>
#include <thread>

namespace e2e {
namespace {

using namespace std::chrono_literals;

constexpr UINT kSendTimeoutMs = 5000;

// SendMessage that cannot hang the driver when the tool stops answering.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result)) {
        throw Fatal("the tool did not answer window message " + std::to_string(message));
    }
    return static_cast<LRESULT>(result);
}

struct FindData {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
    auto* find = reinterpret_cast<FindData*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == find->processId) {
        find->windows.push_back(window);
    }
    return TRUE;
}

void SendKeys(const std::vector<INPUT>& inputs) {
    std::vector<INPUT> copy = inputs;
    const UINT sent = SendInput(static_cast<UINT>(copy.size()), copy.data(), sizeof(INPUT));
    if (sent != copy.size()) {
        throw Fatal("SendInput failed with error " + std::to_string(GetLastError()));
    }
}

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

std::string Utf8(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::string Show(std::wstring_view text) {
    std::wstring shown = L"\"";
    for (std::size_t i = 0; i < text.size();) {
        std::size_t blanks = 0;
        while (i + blanks < text.size() && text[i + blanks] == L' ') {
            ++blanks;
        }
        if (blanks > 3) {
            shown += L"<" + std::to_wstring(blanks) + L" blanks>";
            i += blanks;
        } else if (blanks > 0) {
            shown.append(blanks, L' ');
            i += blanks;
        } else {
            if (text[i] == L'\r') {
                shown += L"\\r";
            } else if (text[i] == L'\n') {
                shown += L"\\n";
            } else {
                shown.push_back(text[i]);
            }
            ++i;
        }
    }
    shown += L"\"";
    return Utf8(shown);
}

std::wstring SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

bool Checks::Expect(bool ok, const std::string& what) {
    if (!ok) {
        ++failures_;
        std::printf("  FAIL: %s\n", what.c_str());
        std::fflush(stdout);
    }
    return ok;
}

bool Checks::ExpectText(std::wstring_view actual, std::wstring_view expected,
                        const std::string& what) {
    return Expect(actual == expected,
                  what + ": got " + Show(actual) + ", expected " + Show(expected));
}

bool Checks::ExpectInt(long long actual, long long expected, const std::string& what) {
    return Expect(actual == expected, what + ": got " + std::to_string(actual) + ", expected " +
                                          std::to_string(expected));
}

bool WaitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (predicate()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
}

void ToolRun::Start(const std::wstring& exePath, const std::wstring& arguments,
                    const std::wstring& currentFolder, bool captureErrors) {
    std::wstring commandLine =
        L"\"" + exePath + L"\"" + (arguments.empty() ? L"" : L" ") + arguments;
    // A folder other than the tool's: the INF path must come from where the program lies.
    wchar_t windowsFolder[MAX_PATH];
    GetWindowsDirectoryW(windowsFolder, MAX_PATH);
    const wchar_t* startIn = currentFolder.empty() ? windowsFolder : currentFolder.c_str();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    Handle writeEnd;
    if (captureErrors) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE reading = nullptr;
        HANDLE writing = nullptr;
        // Large enough for everything the tool says, so that it never waits for the reader.
        if (!CreatePipe(&reading, &writing, &inherit, 1 << 20)) {
            throw Fatal("cannot make a pipe: error " + std::to_string(GetLastError()));
        }
        errorPipe_.reset(reading);
        writeEnd.reset(writing);
        SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = writing;
    } else if (!arguments.empty()) {
        // As from a shortcut or the Run box: no error output to write to.
        startup.dwFlags = STARTF_USESTDHANDLES;
    }
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, captureErrors, 0,
                        nullptr, startIn, &startup, &started)) {
        throw Fatal("cannot start " + Utf8(exePath) + ": error " + std::to_string(GetLastError()));
    }
    CloseHandle(started.hThread);
    process_.reset(started.hProcess);
    processId_ = started.dwProcessId;
}

ToolRun::ToolRun(const std::wstring& exePath, const WithArguments& start) {
    Start(exePath, start.arguments, {}, start.captureErrors);
}

std::string ToolRun::ErrorOutput() const {
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (errorPipe_ && ReadFile(errorPipe_.get(), buffer, sizeof buffer, &read, nullptr) &&
           read > 0) {
        text.append(buffer, read);
    }
    return text;
}

ToolRun::ToolRun(const std::wstring& exePath, const std::wstring& currentFolder) {
    Start(exePath, {}, currentFolder, false);
    WaitForInputIdle(process_.get(), 20000);

    const bool found = WaitUntil(
        [&] {
            for (HWND window : TopLevelWindowsOf(processId_)) {
                wchar_t caption[64] = {};
                GetWindowTextW(window, caption, 64);
                if (std::wstring_view(caption) == L"Select Port Type" && IsWindowVisible(window) &&
                    GetWindow(window, GW_OWNER) == nullptr) {
                    window_ = window;
                    return true;
                }
            }
            return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
        },
        20s);
    if (!found || window_ == nullptr) {
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        throw Fatal(found ? "the tool ended with code " + std::to_string(code) +
                                " before showing its window"
                          : "no visible \"Select Port Type\" window of the tool within 20 s");
    }
    threadId_ = GetWindowThreadProcessId(window_, nullptr);
}

ToolRun::~ToolRun() {
    if (process_ && WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

HWND ToolRun::Item(int controlId) const {
    HWND item = GetDlgItem(window_, controlId);
    if (item == nullptr) {
        throw Fatal("the window has no child with ID " + std::to_string(controlId));
    }
    return item;
}

HWND ToolRun::Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(threadId_, &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

void ToolRun::PollChildren() {
    Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID != processId_) {
            continue;
        }
        ChildProcess* seen = nullptr;
        for (ChildProcess& child : children_) {
            if (child.pid == entry.th32ProcessID) {
                seen = &child;
            }
        }
        if (seen == nullptr) {
            children_.push_back(
                {entry.th32ProcessID,
                 entry.szExeFile,
                 {},
                 Handle(OpenProcess(
                     SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                     entry.th32ProcessID))});
            seen = &children_.back();
        }
        // A process seen while it starts may not have its image name yet.
        if (entry.szExeFile[0] != L'\0') {
            seen->exeName = entry.szExeFile;
        }
        if (seen->imagePath.empty() && seen->process) {
            std::wstring path(32768, L'\0');
            DWORD length = static_cast<DWORD>(path.size());
            if (QueryFullProcessImageNameW(seen->process.get(), 0, path.data(), &length)) {
                seen->imagePath = path.substr(0, length);
            }
        }
    }
}

void ToolRun::EndChildren() const {
    for (const ChildProcess& child : children_) {
        if (child.process && WaitForSingleObject(child.process.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(child.process.get(), 99);
            WaitForSingleObject(child.process.get(), 5000);
        }
    }
}

HWND ToolRun::WaitForOwnedPopup(std::chrono::milliseconds timeout) {
    HWND popup = nullptr;
    const bool done = WaitUntil(
        [&] {
            PollChildren();
            for (HWND window : TopLevelWindowsOf(processId_)) {
                if (window != window_ && IsWindowVisible(window)) {
                    popup = window;
                    return true;
                }
            }
            return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
        },
        timeout);
    if (!done) {
        DescribeWindows();
        throw Fatal("the tool neither showed a message box nor ended");
    }
    return popup;
}

bool ToolRun::EndsWithin(std::chrono::milliseconds wait) const {
    return WaitForSingleObject(process_.get(), static_cast<DWORD>(wait.count())) == WAIT_OBJECT_0;
}

DWORD ToolRun::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        PollChildren();
        if (WaitForSingleObject(process_.get(), 5) == WAIT_OBJECT_0) {
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            DescribeWindows();
            throw Fatal("the tool did not end within " + std::to_string(timeout.count()) + " ms");
        }
    }
    PollChildren();  // a child started just before the end
    exited_ = true;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

bool ToolRun::WaitForChildren(std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (const ChildProcess& child : children_) {
        if (!child.process) {
            continue;  // gone before it could be opened: nothing left to wait for
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const DWORD wait = left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
        if (WaitForSingleObject(child.process.get(), wait) != WAIT_OBJECT_0) {
            return false;
        }
    }
    return true;
}

// What the tool shows while it does not end: usually a message box that explains why.
void ToolRun::DescribeWindows() const {
    for (HWND window : TopLevelWindowsOf(processId_)) {
        if (!IsWindowVisible(window)) {
            continue;
        }
        try {
            std::printf("  the tool still shows window %s (class %s) saying %s\n",
                        Show(TextOf(window)).c_str(), Utf8(ClassOf(window)).c_str(),
                        Show(MessageBoxText(window)).c_str());
        } catch (const Fatal&) {
            std::printf("  the tool still shows a window of class %s and does not answer it\n",
                        Utf8(ClassOf(window)).c_str());
        }
    }
}

std::wstring TextOf(HWND window) {
    const auto length = static_cast<std::size_t>(Send(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    const auto copied = static_cast<std::size_t>(
        Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(copied < length ? copied : length);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

RECT RectInClient(HWND child, HWND parent) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<HWND> ChildrenInZOrder(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    FindData find{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&find));
    return find.windows;
}

bool IsChecked(HWND button) {
    return Send(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int CurrentSelection(HWND combo) {
    return static_cast<int>(Send(combo, CB_GETCURSEL, 0, 0));
}

bool IsDroppedDown(HWND combo) {
    return Send(combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

std::vector<std::wstring> ListTexts(HWND combo) {
    std::vector<std::wstring> texts;
    const auto count = Send(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) {
            texts.emplace_back(L"<unreadable>");
            continue;
        }
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const auto copied = Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied >= 0 ? static_cast<std::size_t>(copied) : 0);
        texts.push_back(std::move(text));
    }
    return texts;
}

std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    for (HWND child : ChildrenInZOrder(box)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) {
            continue;
        }
        const std::wstring part = TextOf(child);
        if (!part.empty()) {
            text += (text.empty() ? L"" : L"\n") + part;
        }
    }
    return text;
}

void Click(HWND button) {
    Send(button, BM_CLICK, 0, 0);
}

void PostClick(HWND button) {
    if (!PostMessageW(button, BM_CLICK, 0, 0)) {
        throw Fatal("cannot post a click");
    }
}

void Pick(HWND combo, int index) {
    if (Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index) {
        throw Fatal("the list refused entry " + std::to_string(index));
    }
}

void PostClose(HWND window) {
    if (!PostMessageW(window, WM_CLOSE, 0, 0)) {
        throw Fatal("cannot post WM_CLOSE");
    }
}

void PressKey(WORD virtualKey) {
    SendKeys({KeyInput(virtualKey, false), KeyInput(virtualKey, true)});
}

void PressShiftKey(WORD virtualKey) {
    SendKeys({KeyInput(VK_SHIFT, false), KeyInput(virtualKey, false), KeyInput(virtualKey, true),
              KeyInput(VK_SHIFT, true)});
}

void PressAltKey(WORD virtualKey) {
    SendKeys({KeyInput(VK_MENU, false), KeyInput(virtualKey, false), KeyInput(virtualKey, true),
              KeyInput(VK_MENU, true)});
}

void SetFocusOf(DWORD threadId, HWND control) {
    const DWORD self = GetCurrentThreadId();
    if (!AttachThreadInput(self, threadId, TRUE)) {
        throw Fatal("cannot share the tool's input state");
    }
    SetFocus(control);
    AttachThreadInput(self, threadId, FALSE);
}

std::string ReadFileFrom(const std::wstring& path, unsigned long long offset) {
    Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return {};
    }
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN);
    std::string content;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        content.append(buffer, read);
    }
    return content;
}

unsigned long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace e2e
