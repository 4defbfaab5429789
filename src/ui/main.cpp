// The tool's start: without arguments one window, "Select Port Type", whose flows end the tool;
// with /install or /remove the same work with nobody at the screen; /? shows how.
#include <windows.h>

#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "model/command_line.h"
#include "model/visible_desktop.h"
#include "ui/form1.h"
#include "ui/usage_box.h"
#include "unattended/unattended_setup.h"

// A 32-bit build would run under WOW64: its rundll32 would be SysWOW64's, and the spooler would
// install the driver for the x86 environment, which an x64 PC's queue does not use, so that every
// install would end 1603.
static_assert(sizeof(void*) == 8, "portsetup is built for 64-bit Windows only");

namespace {

// Whether anybody can see this process's windows: a run as SYSTEM in session 0, as deployment
// tools start programs, has a desktop nobody sees, where a box or the dialog would wait for ever.
bool DesktopVisible() {
    DWORD session = 0;
    const bool sessionKnown = ProcessIdToSessionId(GetCurrentProcessId(), &session);
    USEROBJECTFLAGS flags{};
    const HWINSTA station = GetProcessWindowStation();
    const bool stationKnown =
        station && GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr);
    return portsetup::WindowsCanBeSeen(
        sessionKnown ? std::optional<unsigned long>(session) : std::nullopt,
        stationKnown ? std::optional<bool>((flags.dwFlags & WSF_VISIBLE) != 0) : std::nullopt);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything loads a DLL on demand: take DLLs from the system folder only, never from
    // this program's folder, which is often a download folder anyone can write to.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    using namespace portsetup;
    try {
        // The C runtime has split the command line as CommandLineToArgvW does, without the
        // shell32 import that would cost every start of the dialog.
        const std::vector<std::wstring> args(__wargv + 1, __wargv + __argc);
        CommandLine commandLine = ParseCommandLine(args);
        const bool shows = commandLine.mode == RunMode::Dialog || commandLine.mode == RunMode::Help;
        if (shows && commandLine.error.empty() && !DesktopVisible()) {
            commandLine.error =
                L"without /install or /remove it asks for a window, and no desktop is visible to "
                L"show one (a run as SYSTEM, in session 0). Give /install PORT or /remove.";
        }
        if (commandLine.mode == RunMode::Help && commandLine.error.empty()) {
            ShowUsage(L"" PORTSETUP_VERSION);
            return kExitDone;
        }
        if (commandLine.mode != RunMode::Dialog || !commandLine.error.empty()) {
            return RunUnattended(commandLine, args, L"" PORTSETUP_VERSION, DesktopVisible());
        }
        return Form1::ShowDialog(instance);
    } catch (const std::exception&) {
        MessageBoxW(nullptr, L"The window could not be created.", L"Select Port Type",
                    MB_OK | MB_ICONERROR);
        return kExitFailed;
    }
}
