// The tool's start: one window, "Select Port Type", whose flows end the tool.
#include <windows.h>

#include <exception>

#include "ui/form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything loads a DLL on demand: take DLLs from the system folder only, never from
    // this program's folder, which is often a download folder anyone can write to.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    try {
        return portsetup::Form1::Run(instance);
    } catch (const std::exception&) {
        MessageBoxW(nullptr, L"The window could not be created.", L"Select Port Type",
                    MB_OK | MB_ICONERROR);
        return portsetup::kExitFailed;
    }
}
