// Stands in for rundll32.exe where a scenario must see whether, and with what, it was started:
// it appends its command line, as UTF-8, to "<its own path>.ran". Wine's printui.dll only parses
// its commands, so a "printui.dll,PrintUIEntry" call with /if, /ia, /dl or /dd is carried out
// here through the spooler, as Windows would; each outcome, with the error on failure, is appended
// to "<its own path>.log". When "<its own path>.stay" exists it then starts a copy of itself (with
// the one argument "stay") and both keep running for a minute, as a set-up that hangs would.
//
// Exit code: 0 when the command was carried out (or was no PrintUIEntry call), 1 when the spooler
// or the file system refused it, 2 when the command line itself was wrong.
#include <windows.h>

#include <shellapi.h>
#include <winspool.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kBadCommand = 2;

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

void AppendTo(const std::wstring& path, const std::string& text) {
    const HANDLE file =
        CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
}

class Log {
  public:
    explicit Log(std::wstring path) : path_(std::move(path)) {}

    void Line(const std::wstring& text) const { AppendTo(path_, Utf8(text) + '\n'); }

    // Takes the calling thread's last error, so it must come straight after the failed call.
    int Refused(const std::wstring& what) const {
        const DWORD error = GetLastError();
        wchar_t* message = nullptr;
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
        std::wstring text = message ? message : L"";
        LocalFree(message);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) {
            text.pop_back();
        }
        Line(L"failed: " + what + L" (error " + std::to_wstring(error) +
             (text.empty() ? L"" : L": " + text) + L")");
        return kRefused;
    }

    int BadCommand(const std::wstring& why) const {
        Line(L"bad command: " + why);
        return kBadCommand;
    }

  private:
    std::wstring path_;
};

struct PrinterCloser {
    void operator()(HANDLE printer) const { ClosePrinter(printer); }
};
using PrinterHandle = std::unique_ptr<void, PrinterCloser>;

PrinterHandle OpenNamedPrinter(const std::wstring& name, ACCESS_MASK access) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, &defaults)) {
        return PrinterHandle();
    }
    return PrinterHandle(printer);
}

// The spooler's two-call pattern: the size, then the entries. An empty buffer when there are
// none or the spooler refuses.
template <class Call>
std::vector<BYTE> Enumerate(Call call, DWORD& count) {
    DWORD needed = 0;
    count = 0;
    call(nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !call(buffer.data(), needed, &needed, &count)) {
        count = 0;
        buffer.clear();
    }
    return buffer;
}

// Whether the spooler lists an entry named name, in any letter case.
template <class Info, class Call>
bool Lists(Call call, const std::wstring& name) {
    DWORD count = 0;
    const std::vector<BYTE> buffer = Enumerate(call, count);
    const auto* entries = reinterpret_cast<const Info*>(buffer.data());
    return std::any_of(entries, entries + count,
                       [&](const Info& entry) { return _wcsicmp(entry.pName, name.c_str()) == 0; });
}

bool DriverInstalled(const std::wstring& model) {
    return Lists<DRIVER_INFO_1W>(
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* found) {
            return EnumPrinterDriversW(nullptr, nullptr, 1, data, size, needed, found);
        },
        model);
}

// The spooler copies the driver's files into its own folder, so they only need to exist.
int InstallDriver(const Log& log, const std::wstring& model) {
    std::wstring folder(MAX_PATH + 1, L'\0');
    folder.resize(GetTempPathW(static_cast<DWORD>(folder.size()), folder.data()));
    folder += L"stand_in_rundll32";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring driver = folder + L"\\standin_driver.dll";
    const std::wstring data = folder + L"\\standin_data.ppd";
    const std::wstring config = folder + L"\\standin_config.dll";
    for (const std::wstring& path : {driver, data, config}) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return log.Refused(L"writing the driver file " + path);
        }
        DWORD written = 0;
        WriteFile(file, "stand-in", 8, &written, nullptr);
        CloseHandle(file);
    }
    DRIVER_INFO_3W info{};
    info.cVersion = 3;
    info.pName = const_cast<wchar_t*>(model.c_str());
    info.pDriverPath = const_cast<wchar_t*>(driver.c_str());
    info.pDataFile = const_cast<wchar_t*>(data.c_str());
    info.pConfigFile = const_cast<wchar_t*>(config.c_str());
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_NEW_FILES)) {
        return log.Refused(L"AddPrinterDriverExW for the driver \"" + model + L"\"");
    }
    log.Line(L"installed the driver \"" + model + L"\"");
    return kDone;
}

// Windows keeps an existing queue of the same name and names the new one "<name> (Copy N)".
std::wstring FreePrinterName(const std::wstring& name) {
    std::wstring candidate = name;
    for (int copy = 1; OpenNamedPrinter(candidate, PRINTER_ACCESS_USE); ++copy) {
        candidate = name + L" (Copy " + std::to_wstring(copy) + L")";
    }
    return candidate;
}

int CheckInf(const Log& log, const std::wstring& inf) {
    const DWORD attributes = GetFileAttributesW(inf.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return log.Refused(L"no INF file \"" + inf + L"\"");
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return log.Refused(L"the INF file \"" + inf + L"\" is a folder");
    }
    return kDone;
}

// Wine's AddPrinterW takes a port no monitor offers; Windows refuses it.
bool PortOffered(const std::wstring& port) {
    return Lists<PORT_INFO_1W>(
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* found) {
            return EnumPortsW(nullptr, 1, data, size, needed, found);
        },
        port);
}

int InstallPrinter(const Log& log, const std::map<std::wstring, std::wstring>& values) {
    const std::wstring& name = values.at(L"/b");
    const std::wstring& port = values.at(L"/r");
    const std::wstring& model = values.at(L"/m");
    if (const int result = CheckInf(log, values.at(L"/f")); result != kDone) {
        return result;
    }
    if (!PortOffered(port)) {
        SetLastError(ERROR_UNKNOWN_PORT);
        return log.Refused(L"the port \"" + port + L"\" for the printer \"" + name + L"\"");
    }
    if (!DriverInstalled(model)) {
        if (const int result = InstallDriver(log, model); result != kDone) {
            return result;
        }
    }
    std::wstring queue = FreePrinterName(name);
    PRINTER_INFO_2W info{};
    info.pPrinterName = queue.data();
    info.pPortName = const_cast<wchar_t*>(port.c_str());
    info.pDriverName = const_cast<wchar_t*>(model.c_str());
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    const PrinterHandle printer(AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
    if (!printer) {
        return log.Refused(L"AddPrinterW for the printer \"" + queue + L"\" on \"" + port +
                           L"\" with the driver \"" + model + L"\"");
    }
    log.Line(L"added the printer \"" + queue + L"\" on \"" + port + L"\" with the driver \"" +
             model + L"\"");
    return kDone;
}

int DeletePrinterNamed(const Log& log, const std::wstring& name) {
    const PrinterHandle printer = OpenNamedPrinter(name, PRINTER_ALL_ACCESS);
    if (!printer) {
        return log.Refused(L"OpenPrinterW for the printer \"" + name + L"\"");
    }
    if (!DeletePrinter(printer.get())) {
        return log.Refused(L"DeletePrinter for the printer \"" + name + L"\"");
    }
    log.Line(L"deleted the printer \"" + name + L"\"");
    return kDone;
}

// The printer using the driver, if any. Wine's spooler deletes a driver that printers still use,
// where Windows refuses; the stand-in refuses as Windows does, so that a tool removing the driver
// before its queue is caught.
std::wstring PrinterUsing(const std::wstring& model) {
    DWORD count = 0;
    const std::vector<BYTE> buffer = Enumerate(
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* found) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, found);
        },
        count);
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (printers[i].pDriverName && _wcsicmp(printers[i].pDriverName, model.c_str()) == 0) {
            return printers[i].pPrinterName;
        }
    }
    return std::wstring();
}

int DeleteDriver(const Log& log, const std::wstring& model) {
    if (const std::wstring user = PrinterUsing(model); !user.empty()) {
        SetLastError(ERROR_PRINTER_DRIVER_IN_USE);
        return log.Refused(L"the driver \"" + model + L"\" is used by the printer \"" + user +
                           L"\"");
    }
    // Wine fails for a driver it does not have without saying why; Windows names the cause.
    if (!DriverInstalled(model)) {
        SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
        return log.Refused(L"no driver \"" + model + L"\" is installed");
    }
    if (!DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t*>(model.c_str()))) {
        return log.Refused(L"DeletePrinterDriverW for the driver \"" + model + L"\"");
    }
    log.Line(L"deleted the driver \"" + model + L"\"");
    return kDone;
}

bool IsPrintUiEntry(const std::wstring& argument) {
    const std::size_t comma = argument.rfind(L',');
    if (comma == std::wstring::npos) {
        return false;
    }
    const std::size_t slash = argument.find_last_of(L"\\/", comma);
    const std::wstring dll = argument.substr(slash == std::wstring::npos ? 0 : slash + 1,
                                             comma - (slash == std::wstring::npos ? 0 : slash + 1));
    // Windows finds the DLL by file name, whatever its case, but the entry point by exact name.
    return _wcsicmp(dll.c_str(), L"printui.dll") == 0 &&
           argument.compare(comma + 1, std::wstring::npos, L"PrintUIEntry") == 0;
}

// Options are matched exactly, case and all, so that a tool writing them any other way is caught.
int CarryOut(const Log& log, int count, wchar_t** args) {
    const std::map<std::wstring, std::vector<std::wstring>> actions = {
        {L"/if", {L"/b", L"/f", L"/r", L"/m"}},
        {L"/ia", {L"/m", L"/f"}},
        {L"/dl", {L"/n"}},
        {L"/dd", {L"/m"}}};
    const std::vector<std::wstring> valued = {L"/b", L"/f", L"/r", L"/m", L"/n"};
    std::wstring action;
    std::map<std::wstring, std::wstring> values;
    for (int i = 2; i < count; ++i) {
        const std::wstring option = args[i];
        if (actions.contains(option)) {
            if (!action.empty()) {
                return log.BadCommand(L"both " + action + L" and " + option);
            }
            action = option;
        } else if (std::find(valued.begin(), valued.end(), option) != valued.end()) {
            if (i + 1 >= count) {
                return log.BadCommand(option + L" without a value");
            }
            if (!values.emplace(option, args[++i]).second) {
                return log.BadCommand(option + L" given twice");
            }
        } else if (option != L"/q") {
            return log.BadCommand(L"unknown option \"" + option + L"\"");
        }
    }
    if (action.empty()) {
        return log.BadCommand(L"none of /if, /ia, /dl, /dd");
    }
    for (const std::wstring& needed : actions.at(action)) {
        if (!values.contains(needed)) {
            return log.BadCommand(action + L" without " + needed);
        }
    }
    if (action == L"/if") {
        return InstallPrinter(log, values);
    }
    if (action == L"/ia") {
        const int result = CheckInf(log, values.at(L"/f"));
        return result != kDone ? result : InstallDriver(log, values.at(L"/m"));
    }
    if (action == L"/dl") {
        return DeletePrinterNamed(log, values.at(L"/n"));
    }
    return DeleteDriver(log, values.at(L"/m"));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));

    const wchar_t* line = GetCommandLineW();
    AppendTo(self + L".ran", Utf8(line) + '\n');

    int result = kDone;
    int count = 0;
    wchar_t** args = CommandLineToArgvW(line, &count);
    if (args && count >= 2 && IsPrintUiEntry(args[1])) {
        const Log log(self + L".log");
        log.Line(line);
        result = CarryOut(log, count, args);
    }
    const bool stayCopy = args && count == 2 && std::wstring_view(args[1]) == L"stay";
    LocalFree(args);

    if (GetFileAttributesW((self + L".stay").c_str()) != INVALID_FILE_ATTRIBUTES) {
        // A process of its own, so that a scenario sees whether everything the command started
        // is ended with it.
        if (!stayCopy) {
            std::wstring copyLine = L"\"" + self + L"\" stay";
            STARTUPINFOW startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION started{};
            if (CreateProcessW(self.c_str(), copyLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started)) {
                CloseHandle(started.hThread);
                CloseHandle(started.hProcess);
            }
        }
        Sleep(60 * 1000);
    }
    return result;
}
