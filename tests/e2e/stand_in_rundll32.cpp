// Stands in for rundll32.exe where a scenario must see whether, and with what, it was started:
// it appends its command line, as UTF-8, to "<its own path>.ran". When "<its own path>.stay"
// exists it then keeps running for a minute, as a set-up that takes its time would.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));

    const wchar_t* line = GetCommandLineW();
    const int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line, -1, text.data(), size, nullptr, nullptr);
    text += '\n';
    const HANDLE marker =
        CreateFileW((self + L".ran").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(marker, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(marker);
    }

    if (GetFileAttributesW((self + L".stay").c_str()) != INVALID_FILE_ATTRIBUTES) {
        Sleep(60 * 1000);
    }
    return 0;
}
