// The tool as deployment tools run it: /install and /remove with nobody at the screen, what the
// spooler shows afterwards, the log, the exit codes of a refused run, and a missing driver
// package in both modes. Where a printer must really be set up, the runner puts a rundll32.exe
// in the system folder that carries the entry point's commands out through Wine's spooler.
#include <windows.h>

#include <tlhelp32.h>
#include <winspool.h>

#include <cstdio>
#include <optional>

#include "scenarios.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

// The tool waits for each set-up command; the stand-in's take well under a second.
constexpr auto kUnattendedExit = 60s;

struct Printer {
    std::wstring port;
    std::wstring driver;
    std::wstring comment;
};

// The printer of that name as the spooler reports it, read here independently of the tool.
std::optional<Printer> PrinterNow(std::wstring name = kModel) {
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, nullptr)) {
        return std::nullopt;
    }
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    const bool read = needed > 0 && GetPrinterW(printer, 2, buffer.data(), needed, &needed);
    ClosePrinter(printer);
    if (!read) {
        throw Fatal("GetPrinterW failed: error " + std::to_string(GetLastError()));
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    return Printer{info->pPortName ? info->pPortName : L"",
                   info->pDriverName ? info->pDriverName : L"",
                   info->pComment ? info->pComment : L""};
}

// What an administrator sets on a queue, which a move must not lose.
void SetPrinterComment(const wchar_t* comment, std::wstring name = kModel) {
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    DWORD needed = 0;
    if (!OpenPrinterW(name.data(), &printer, &access)) {
        throw Fatal("OpenPrinterW failed: error " + std::to_string(GetLastError()));
    }
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    const bool set = needed > 0 && GetPrinterW(printer, 2, buffer.data(), needed, &needed) &&
                     (info->pComment = const_cast<wchar_t*>(comment), true) &&
                     SetPrinterW(printer, 2, buffer.data(), 0);
    ClosePrinter(printer);
    if (!set) {
        throw Fatal("setting the queue's comment failed: error " + std::to_string(GetLastError()));
    }
}

// The spooler's two-call pattern: ask for the size, then for the entries. Returns the buffer and
// the number of entries in it.
template <class Call>
std::pair<std::vector<BYTE>, DWORD> Enumerate(const char* what, Call call) {
    DWORD needed = 0;
    DWORD count = 0;
    call(nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed > 0 && !call(buffer.data(), needed, &needed, &count)) {
        throw Fatal(std::string(what) + " failed: error " + std::to_string(GetLastError()));
    }
    return {std::move(buffer), count};
}

// Every local queue whose name begins with the model's: a second set-up may add "... (Copy 1)".
int QueuesNow() {
    const auto [buffer, count] =
        Enumerate("EnumPrintersW", [](BYTE* data, DWORD size, DWORD* needed, DWORD* found) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 1, data, size, needed, found);
        });
    const auto* printers = reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data());
    int queues = 0;
    for (DWORD i = 0; i < count; ++i) {
        queues += std::wstring_view(printers[i].pName).starts_with(kModel) ? 1 : 0;
    }
    return queues;
}

bool DriverNow() {
    const auto [buffer, count] =
        Enumerate("EnumPrinterDriversW", [](BYTE* data, DWORD size, DWORD* needed, DWORD* found) {
            return EnumPrinterDriversW(nullptr, nullptr, 1, data, size, needed, found);
        });
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (std::wstring_view(drivers[i].pName) == kModel) {
            return true;
        }
    }
    return false;
}

int PortsNamed(const std::wstring& port) {
    const auto [buffer, count] =
        Enumerate("EnumPortsW", [](BYTE* data, DWORD size, DWORD* needed, DWORD* found) {
            return EnumPortsW(nullptr, 1, data, size, needed, found);
        });
    const auto* ports = reinterpret_cast<const PORT_INFO_1W*>(buffer.data());
    int named = 0;
    for (DWORD i = 0; i < count; ++i) {
        named += _wcsicmp(ports[i].pName, port.c_str()) == 0 ? 1 : 0;
    }
    return named;
}

int ProcessesNamed(const wchar_t* exeName) {
    Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int named = 0;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        named += _wcsicmp(entry.szExeFile, exeName) == 0 ? 1 : 0;
    }
    return named;
}

void ExpectPrinter(Checks& checks, const std::wstring& port) {
    const std::optional<Printer> printer = PrinterNow();
    if (checks.Expect(printer.has_value(), "the spooler shows the printer")) {
        checks.ExpectText(printer->port, port, "the printer's port");
        checks.ExpectText(printer->driver, kModel, "the printer's driver");
    }
    checks.ExpectInt(QueuesNow(), 1, "queues of the printer");
    checks.Expect(DriverNow(), "the spooler shows the driver");
}

struct Unattended {
    DWORD exitCode = 0;
    std::string errors;                  // what the tool wrote to its error output
    std::vector<std::wstring> children;  // what it started
    std::vector<PrintUiCall> calls;      // what Wine's own entry point received
};

Unattended RunUnattended(const Options& options, const std::wstring& exe,
                         const std::wstring& arguments) {
    std::printf("portsetup.exe %s\n", Utf8(arguments).c_str());
    std::fflush(stdout);
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(exe, ToolRun::WithArguments{arguments});
    Unattended result;
    result.exitCode = run.WaitForExit(kUnattendedExit);
    result.errors = run.ErrorOutput();
    for (const ChildProcess& child : run.Children()) {
        result.children.push_back(child.exeName);
    }
    result.calls = ParsePrintUiTrace(ReadFileFrom(options.trace, traceStart));
    std::printf("  exit code %lu; it said:\n%s", result.exitCode, result.errors.c_str());
    return result;
}

void ExpectSays(Checks& checks, const std::string& text, const std::string& part,
                const std::string& where) {
    checks.Expect(text.find(part) != std::string::npos, where + " says \"" + part + "\"");
}

std::wstring SystemFolderFile(const wchar_t* name) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\" + name;
}

// The lines the stand-in rundll32 was started with since offset.
std::string StandInRuns(unsigned long long offset) {
    return ReadFileFrom(SystemFolderFile(L"rundll32.exe.ran"), offset);
}
unsigned long long StandInRunsSize() {
    return FileSize(SystemFolderFile(L"rundll32.exe.ran"));
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

void RequirePrintingStandIn(const Options& options) {
    if (!options.throwawayPrefix) {
        throw Fatal("this scenario needs the printing rundll32.exe in a prefix of its own");
    }
}

void SetValue(const std::wstring& path, const wchar_t* value, DWORD type, const void* data,
              std::size_t size) {
    if (RegSetKeyValueW(HKEY_LOCAL_MACHINE, path.c_str(), value, type, data,
                        static_cast<DWORD>(size)) != ERROR_SUCCESS) {
        throw Fatal("cannot plant the device " + Utf8(path));
    }
}
void SetText(const std::wstring& path, const wchar_t* value, const std::wstring& text) {
    SetValue(path, value, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// A USB serial adapter as the system's device installer lists it: a Ports-class device under
// Enum with its hardware ID, and its COM port in its device key.
void PlantAdapter(const std::wstring& instance, const std::wstring& port) {
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\" + instance;
    const wchar_t hardwareIds[] = L"FTDIBUS\\COMPORT&VID_0403&PID_6001\0FTDIBUS\\COMPORT\0";
    SetText(key, L"ClassGUID", L"{4d36e978-e325-11ce-bfc1-08002be10318}");
    SetValue(key, L"HardwareID", REG_MULTI_SZ, hardwareIds, sizeof hardwareIds);
    SetText(key, L"FriendlyName", L"USB Serial Port (" + port + L")");
    SetText(key + L"\\Device Parameters", L"PortName", port);
}

constexpr wchar_t kUsbPrintClass[] = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

// The name of a USB printer's printing interface, whose device path is \\?\ and this name.
std::wstring UsbInterfaceName(const std::wstring& serial) {
    std::wstring name = L"usb#vid_04b8&pid_0202#" + serial + L"#" + kUsbPrintClass;
    CharLowerW(name.data());
    return name;
}

// A USB printer as the device installer lists it: its device under Enum\USB, and its printing
// interface under DeviceClasses, with the port number of its USBnnn port, listed by Wine only
// while its Control key says Linked (plugged in).
void PlantUsbPrinter(const std::wstring& serial, DWORD portNumber, bool pluggedIn) {
    const std::wstring instance = L"USB\\VID_04B8&PID_0202\\" + serial;
    const std::wstring device = L"SYSTEM\\CurrentControlSet\\Enum\\" + instance;
    const wchar_t hardwareIds[] = L"USB\\VID_04B8&PID_0202&REV_0100\0USB\\VID_04B8&PID_0202\0";
    SetText(device, L"ClassGUID", L"{36fc9e60-c465-11cf-8056-444553540000}");
    SetValue(device, L"HardwareID", REG_MULTI_SZ, hardwareIds, sizeof hardwareIds);
    SetText(device, L"DeviceDesc", L"USB Printing Support");
    const std::wstring name = UsbInterfaceName(serial);
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\" +
                             std::wstring(kUsbPrintClass) + L"\\##?#" + name;
    SetText(key, L"DeviceInstance", instance);
    SetText(key + L"\\#", L"SymbolicLink", L"\\\\?\\" + name);
    SetValue(key + L"\\#\\Device Parameters", L"Port Number", REG_DWORD, &portNumber,
             sizeof portNumber);
    SetText(key + L"\\#\\Device Parameters", L"Base Name", L"USB");
    const DWORD linked = pluggedIn ? 1 : 0;
    SetValue(key + L"\\#\\Control", L"Linked", REG_DWORD, &linked, sizeof linked);
}

std::wstring DetectionValue(const std::wstring& queue = kModel) {
    wchar_t text[256]{};
    DWORD size = sizeof text;
    return RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\portsetup", queue.c_str(), RRF_RT_REG_SZ,
                        nullptr, text, &size) == ERROR_SUCCESS
               ? text
               : L"(none)";
}

// The stand-in rundll32.exe run on the entry point's arguments, as a technician would by hand.
void RunStandIn(const std::wstring& arguments) {
    std::wstring line = L"rundll32 printui.dll,PrintUIEntry " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(SystemFolderFile(L"rundll32.exe").c_str(), line.data(), nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &startup, &started)) {
        throw Fatal("cannot start the stand-in rundll32.exe");
    }
    WaitForSingleObject(started.hProcess, 20000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

// The tool copied alone into a new folder of the work folder, for a package of its own.
struct CopiedTool {
    std::wstring folder;
    std::wstring exe;
};
CopiedTool ToolAloneIn(const Options& options, std::wstring_view folderName) {
    CopiedTool copied{options.work + L"\\" + std::wstring(folderName), {}};
    copied.exe = copied.folder + L"\\portsetup.exe";
    MakeFolders(copied.folder);
    CopyInto(options.exe, copied.exe);
    return copied;
}

}  // namespace

// Install, confirmed through the spooler, with the settings stored and a log in a folder that
// did not exist; run again, the printer is not set up a second time; asked for another port, the
// one queue moves there.
int UnattendedInstall(const Options& options) {
    RequirePrintingStandIn(options);
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const std::wstring log = options.work + L"\\logs\\new folder\\portsetup.log";

    unsigned long long ran = StandInRunsSize();
    Unattended result = RunUnattended(
        options, options.exe, L"/install com2 /settings 19200,n,8,1,p /log \"" + log + L"\"");
    checks.ExpectInt(result.exitCode, 0, "exit code of a confirmed install");
    ExpectPrinter(checks, L"COM2:");
    ExpectPorts(checks, before, {{L"COM2:", L"19200,n,8,1,p"}});
    std::string commands = StandInRuns(ran);
    checks.ExpectInt(Count(commands, "PrintUIEntry"), 1, "set-up commands run");
    ExpectSays(checks, commands,
               "printui.dll,PrintUIEntry /if /b \"Tarvik(Cut Mode)\" /f \"" +
                   Utf8(InfBeside(options.exe)) + "\" /r \"COM2:\" /m \"Tarvik(Cut Mode)\" /q",
               "the install command");

    const std::string logText = ReadFileFrom(log, 0);
    std::printf("  the log:\n%s", logText.c_str());
    // Each line starts with the local time, 2026-12-08T21:05:03+01:00.
    bool stamped = !logText.empty();
    for (std::size_t line = 0; line < logText.size(); line = logText.find('\n', line) + 1) {
        const std::string stamp = logText.substr(line, 26);
        stamped = stamped && stamp.size() == 26 && stamp[4] == '-' && stamp[10] == 'T' &&
                  stamp[13] == ':' && (stamp[19] == '+' || stamp[19] == '-') && stamp[25] == ' ';
    }
    checks.Expect(stamped, "every log line starts with an ISO 8601 local time and its offset");
    for (const std::string& part :
         {"started with: /install com2 /settings 19200,n,8,1,p /log \"" + Utf8(log) + "\"",
          std::string("Velmoset.INF, driver version 1.2.0.0."),
          std::string("Starting: rundll32 printui.dll,PrintUIEntry /if"),
          std::string("The command ended with exit code 0."),
          std::string("Confirmed by the spooler: printer \"Tarvik(Cut Mode)\" on port \"COM2:\""),
          std::string("Stored COM2: = 19200,n,8,1,p under HKEY_LOCAL_MACHINE\\SOFTWARE"),
          std::string("Exit code 0: done.\r\n")}) {
        ExpectSays(checks, logText, part, "the log");
    }

    std::printf("again, with other settings\n");
    ran = StandInRunsSize();
    result = RunUnattended(options, options.exe,
                           L"-INSTALL COM2: -Settings 9600,E,7,2,X /log \"" + log + L"\"");
    checks.ExpectInt(result.exitCode, 0, "exit code of a repeated install");
    checks.ExpectInt(Count(StandInRuns(ran), "PrintUIEntry"), 0,
                     "set-up commands run for a printer already set up");
    ExpectPrinter(checks, L"COM2:");
    ExpectPorts(checks, before, {{L"COM2:", L"9600,e,7,2,x"}});
    // Wine keeps no driver versions: the spooler shows 0, while the detection value says 1.2.0.0.
    ExpectSays(checks, result.errors,
               "(the spooler shows 0), so it cannot be compared with the "
               "package's 1.2.0.0: it is left as it is, not updated.",
               "the output");
    checks.ExpectInt(Count(ReadFileFrom(log, 0), "started with:"), 2, "runs in the log");
    ExpectSays(checks, ReadFileFrom(log, 0), "It replaced \"19200,n,8,1,p\".", "the log");

    std::printf("moved to COM1, then to LPT1: the one queue is kept, with its comment\n");
    SetPrinterComment(L"till 4, front counter");
    for (const std::wstring port : {L"COM1", L"LPT1"}) {
        const RegistryValues beforeMove = ReadPortsValues();
        ran = StandInRunsSize();
        result = RunUnattended(options, options.exe, L"/install " + port);
        checks.ExpectInt(result.exitCode, 0, "exit code of a move to " + Utf8(port));
        checks.ExpectInt(Count(StandInRuns(ran), "PrintUIEntry"), 0, "set-up commands for a move");
        // Wine's serial driver lists COM1 under SERIALCOMM: a present device, so no warning.
        checks.Expect(result.errors.find("no serial device") == std::string::npos,
                      "no warning of a missing serial device on " + Utf8(port));
        ExpectPrinter(checks, port + L":");
        checks.ExpectText(PrinterNow()->comment, L"till 4, front counter", "the queue's comment");
        ExpectPorts(checks, beforeMove,
                    port == L"COM1"
                        ? std::map<std::wstring, std::wstring>{{L"COM1:", L"9600,n,8,1"}}
                        : std::map<std::wstring, std::wstring>{});
    }

    std::printf("without the Ports key\n");
    DeletePortsKey();
    result = RunUnattended(options, options.exe, L"/install COM2");
    checks.ExpectInt(result.exitCode, 2, "exit code when the settings cannot be stored");
    ExpectPrinter(checks, L"COM2:");
    checks.ExpectText(DetectionValue(), L"(none)",
                      "the detection value after a move that did not end with 0");
    ExpectSays(checks, result.errors, "were not stored", "the output");
    return checks.Failures();
}

// Remove takes the queue and then the driver away and confirms that neither remains; the port's
// settings stay. A second removal finds nothing to remove, starts nothing and still succeeds.
int UnattendedRemove(const Options& options) {
    RequirePrintingStandIn(options);
    Checks checks;
    PlantPortSentinels();
    if (RunUnattended(options, options.exe, L"/install COM3").exitCode != 0) {
        throw Fatal("the install to remove did not succeed");
    }
    const RegistryValues before = ReadPortsValues();
    for (int round = 1; round <= 2; ++round) {
        const unsigned long long ran = StandInRunsSize();
        const Unattended result = RunUnattended(options, options.exe, L"/remove");
        checks.ExpectInt(result.exitCode, 0, "exit code of removal " + std::to_string(round));
        const std::string commands = StandInRuns(ran);
        ExpectSays(checks, result.errors,
                   round == 1
                       ? "Deleted the detection value HKEY_LOCAL_MACHINE\\SOFTWARE\\portsetup\\"
                         "Tarvik(Cut Mode) = \"port=COM3: settings=9600,n,8,1 driver=1.2.0.0\"."
                       : "No detection value HKEY_LOCAL_MACHINE\\SOFTWARE\\portsetup\\"
                         "Tarvik(Cut Mode) was there to delete.",
                   "the output");
        if (round == 1) {
            checks.Expect(commands.find("/dl /n \"Tarvik(Cut Mode)\" /q") <
                              commands.find("/dd /m \"Tarvik(Cut Mode)\" /q"),
                          "the queue is removed, then the driver: " + commands);
            ExpectSays(checks, result.errors, "neither the printer nor its driver remains",
                       "the output");
        } else {
            checks.Expect(commands.empty() && result.children.empty(),
                          "nothing is started on a clean PC: " + commands);
            ExpectSays(checks, result.errors, "Nothing to remove.", "the output");
        }
        checks.Expect(!PrinterNow(), "the spooler shows no printer");
        checks.Expect(!DriverNow(), "the spooler shows no driver");
        ExpectSays(checks, result.errors, "Exit code 0: done.", "the output");
        ExpectPorts(checks, before, {});
    }

    std::printf("while another queue uses the driver\n");
    if (RunUnattended(options, options.exe, L"/install COM3").exitCode != 0) {
        throw Fatal("the install to remove did not succeed");
    }
    std::wstring other = L"Back office";
    PRINTER_INFO_2W queue{};
    queue.pPrinterName = other.data();
    queue.pPortName = const_cast<wchar_t*>(L"LPT2:");
    queue.pDriverName = const_cast<wchar_t*>(kModel);
    queue.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    queue.pDatatype = const_cast<wchar_t*>(L"RAW");
    queue.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    const HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&queue));
    if (!added) {
        throw Fatal("AddPrinterW failed: error " + std::to_string(GetLastError()));
    }
    ClosePrinter(added);
    Unattended result = RunUnattended(options, options.exe, L"/remove");
    checks.ExpectInt(result.exitCode, 0, "exit code when another queue keeps the driver");
    checks.Expect(!PrinterNow() && PrinterNow(other) && DriverNow(),
                  "the printer is gone, the other queue and the driver are left");
    checks.ExpectText(DetectionValue(), L"(none)", "the detection value after a failed removal");

    std::printf("a set-up command that passes /timeout\n");
    const std::wstring stay = SystemFolderFile(L"rundll32.exe.stay");
    WriteFileText(stay, "");
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\portsetup", L"Back office", REG_SZ, L"x", 4);
    ToolRun run(options.exe, ToolRun::WithArguments{L"/remove /name \"Back office\" /timeout 2"});
    checks.ExpectInt(run.WaitForExit(kUnattendedExit), 1460, "exit code of a command past it");
    checks.ExpectText(DetectionValue(L"Back office"), L"(none)", "the value, deleted first");
    // Before the error output is read: under Wine a process left running would hold it open.
    checks.Expect(WaitUntil([] { return ProcessesNamed(L"rundll32.exe") == 0; }, kInputTimeout),
                  "no rundll32.exe runs on, nor what it started");
    DeleteFileW(stay.c_str());
    const std::string said = run.ErrorOutput();
    ExpectSays(checks, said, "it was stopped, with every process it started", "the output");
    ExpectSays(checks, said,
               "see \"Driver signatures\" in the guide \"portsetup for Windows administrators\"",
               "the output");
    ExpectSays(checks, said, "Starting: rundll32 printui.dll,PrintUIEntry /dl /n \"Back office\"",
               "the output");
    return checks.Failures();
}

// A port beyond the dialog's, as a USB serial adapter gets: the spooler does not offer it, so the
// tool adds it. The queue found there has another driver: the model's driver is installed alone,
// then the queue is switched to it and to COM7: in place. A second run adds and starts nothing.
int UnattendedNewPort(const Options& options) {
    RequirePrintingStandIn(options);
    Checks checks;
    checks.ExpectInt(PortsNamed(L"COM7:"), 0, "ports COM7: before");
    // A queue of the model's name with a driver of another name.
    RunStandIn(L"/if /b \"" + std::wstring(kModel) + L"\" /f \"" + InfBeside(options.exe) +
               L"\" /r LPT2: /m \"Other model\"");

    const RegistryValues before = PlantPortSentinels();
    for (const int round : {1, 2}) {
        const unsigned long long ran = StandInRunsSize();
        const Unattended result =
            RunUnattended(options, options.exe, L"/install com7 /settings 38400,n,8,1");
        checks.ExpectInt(result.exitCode, 0, "exit code of run " + std::to_string(round));
        checks.ExpectInt(PortsNamed(L"COM7:"), 1, "ports COM7:");
        ExpectPrinter(checks, L"COM7:");
        checks.ExpectInt(Count(result.errors, "Added the port COM7:"), round == 1 ? 1 : 0,
                         "the port added");
        checks.ExpectInt(Count(result.errors, "It replaced"), 0, "settings replaced by themselves");
        const std::string commands = StandInRuns(ran);
        checks.Expect(Count(commands, "PrintUIEntry") == (round == 1 ? 1 : 0) &&
                          Count(commands, "PrintUIEntry /ia /m") == (round == 1 ? 1 : 0),
                      "only the driver is installed, once: " + commands);
        ExpectSays(checks, result.errors, "no serial device is present on COM7:", "the output");
        if (round == 1) {
            // Windows refuses to give a queue a driver that is not installed yet.
            checks.Expect(result.errors.find("PrintUIEntry /ia") <
                              result.errors.find("Moved the printer's queue"),
                          "the driver is installed before the queue is moved to it");
            ExpectSays(checks, result.errors,
                       "\r\nMoved the printer's queue \"Tarvik(Cut Mode)\" in place from port "
                       "\"LPT2:\" with driver \"Other model\" to port \"COM7:\" with driver "
                       "\"Tarvik(Cut Mode)\".\r\n",
                       "the output");
        }
    }
    ExpectPorts(checks, before, {{L"COM7:", L"38400,n,8,1"}});
    return checks.Failures();
}

// /install /device: the adapter found on COM7 and the printer set up there with its settings and
// the detection value; the adapter on COM8 next time moves the queue in place. No match ends with
// 1167, two with 1639, both starting nothing and leaving the value; /remove deletes it.
int UnattendedDevice(const Options& options) {
    RequirePrintingStandIn(options);
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const std::wstring adapter = L"VID_0403+PID_6001+A1B2C3D4A\\0000";
    const std::wstring device = L"/install /device vid_0403&pid_6001 /settings 19200,n,8,1,p";
    const std::wstring detected = L"device=vid_0403&pid_6001 settings=19200,n,8,1,p driver=1.2.0.0";
    for (const std::wstring port : {L"COM7", L"COM8"}) {
        PlantAdapter(adapter, port);
        const unsigned long long ran = StandInRunsSize();
        const Unattended result = RunUnattended(options, options.exe, device);
        checks.ExpectInt(result.exitCode, 0, "exit code with the adapter on " + Utf8(port));
        ExpectPrinter(checks, port + L":");
        checks.ExpectInt(Count(StandInRuns(ran), "PrintUIEntry"), port == L"COM7" ? 1 : 0,
                         "set-up commands run");
        ExpectSays(checks, result.errors,
                   Utf8(L"found: \"USB Serial Port (" + port + L")\" on " + port +
                        L", hardware IDs FTDIBUS\\COMPORT&VID_0403&PID_6001, FTDIBUS\\COMPORT, "
                        L"instance ID FTDIBUS\\" +
                        adapter),
                   "the output");
        checks.Expect(result.errors.find("no serial device") == std::string::npos,
                      "no warning of a missing device on the port its present device has");
        checks.ExpectText(DetectionValue(), detected, "the detection value");
    }
    ExpectPorts(checks, before, {{L"COM7:", L"19200,n,8,1,p"}, {L"COM8:", L"19200,n,8,1,p"}});

    std::printf("no device that matches, then two\n");
    PlantAdapter(L"VID_0403+PID_6001+FFEE0011A\\0000", L"COM9");
    const struct {
        std::wstring arguments;
        DWORD exitCode;
        std::string says;
        std::string last;
    } refused[] = {
        {L"/install /device VID_0403&PID_6015", 1167,
         "The devices present: \"USB Serial Port (COM8)\" on COM8",
         "Exit code 1167: no present printer or serial adapter matches /device ID, or the printer "
         "did not answer or went away.\r\n"},
        {L"/install /device VID_0403&PID_6001", 1639, "2 present devices match",
         "Exit code 1639: /device matches several devices on this PC.\r\n"},
    };
    for (const auto& test : refused) {
        const Unattended result = RunUnattended(options, options.exe, test.arguments);
        checks.ExpectInt(result.exitCode, test.exitCode, "exit code");
        ExpectSays(checks, result.errors, test.says, "the output");
        checks.Expect(result.errors.ends_with(test.last), "the output ends: " + test.last);
        checks.Expect(result.children.empty(), "nothing was started");
        ExpectPrinter(checks, L"COM8:");
        checks.ExpectText(DetectionValue(), detected, "the detection value, left");
    }

    const Unattended removed = RunUnattended(options, options.exe, L"/remove");
    checks.ExpectInt(removed.exitCode, 0, "exit code of /remove");
    checks.ExpectText(DetectionValue(), L"(none)", "the detection value after /remove");

    std::printf("a USB printer on USB001, then replugged on USB002\n");
    WritePortsString(L"USB001", L"");  // as the USB port monitor offers the ports
    WritePortsString(L"USB002", L"");
    const RegistryValues usbBefore = ReadPortsValues();
    const std::wstring usbDetected = L"device=USB\\VID_04B8&PID_0202 settings=none driver=1.2.0.0";
    for (const DWORD number : {1, 2}) {
        PlantUsbPrinter(L"SERIAL1", number, true);
        const std::wstring port = L"USB00" + std::to_wstring(number);
        const unsigned long long ran = StandInRunsSize();
        const Unattended result =
            RunUnattended(options, options.exe, L"/install /device \"USB\\VID_04B8&PID_0202\"");
        checks.ExpectInt(result.exitCode, 0, "exit code with the printer on " + Utf8(port));
        ExpectPrinter(checks, port);
        checks.ExpectInt(Count(StandInRuns(ran), "PrintUIEntry"), number == 1 ? 1 : 0,
                         "set-up commands run");
        ExpectSays(checks, result.errors,
                   Utf8(L"found: \"USB Printing Support\" on " + port +
                        L", hardware IDs USB\\VID_04B8&PID_0202&REV_0100, USB\\VID_04B8&PID_0202, "
                        L"instance ID USB\\VID_04B8&PID_0202\\SERIAL1. Its port is " +
                        port),
                   "the output");
        checks.ExpectText(DetectionValue(), usbDetected, "the detection value");
    }
    std::printf("line settings, a port the spooler does not offer, unplugged, two of one model\n");
    // Each row plants a printer first: its serial number, port number, and whether plugged in.
    const struct {
        std::wstring serial;
        DWORD number;
        bool pluggedIn;
        std::wstring arguments;
        DWORD exitCode;
        std::string says;
    } usbRefused[] = {
        {L"SERIAL1", 2, true, L"/install /device PID_0202 /settings 9600,n,8,1", 1639,
         "a USB printer's port, and a USB printer has no line settings"},
        {L"SERIAL1", 2, false, L"/install /device PID_0202", 1167,
         "No present USB printer or serial port device with a port matches"},
        {L"SERIAL1", 5, true, L"/install /device PID_0202", 1167,
         "The spooler does not offer the port USB005: the USB printer is not plugged in."},
        {L"SERIAL2", 3, true, L"/install /device PID_0202", 1639,
         "SERIAL1; \"USB Printing Support\" on USB003"},
    };
    PlantUsbPrinter(L"SERIAL1", 2, true);
    for (const auto& test : usbRefused) {
        PlantUsbPrinter(test.serial, test.number, test.pluggedIn);
        const Unattended result = RunUnattended(options, options.exe, test.arguments);
        checks.ExpectInt(result.exitCode, test.exitCode, "exit code");
        ExpectSays(checks, result.errors, test.says, "the output");
        checks.Expect(result.children.empty(), "nothing was started");
        ExpectPrinter(checks, L"USB002");
        checks.ExpectText(DetectionValue(), usbDetected, "the detection value, left");
    }
    ExpectPorts(checks, usbBefore, {});
    return checks.Failures();
}

// A queue Kitchen of another model is refused with 183 and left alone, by an install and a removal
// alike. Then two printers of the
// model side by side, each under its own /name: Kitchen on COM7 and a counter queue, named with a
// blank and non-Latin letters, on COM8, each with its own detection value.
// Kitchen moves to COM9 in place without touching the counter's queue; removing Kitchen keeps the
// driver the counter's queue uses, and removing that last queue takes the driver too.
int UnattendedQueues(const Options& options) {
    RequirePrintingStandIn(options);
    Checks checks;
    const std::wstring counter = L"Counter \u041a\u0430\u0441\u0441\u0430";
    const std::wstring log = options.work + L"\\queues.log";
    const auto run = [&](const std::wstring& arguments, const char* what) {
        const Unattended result =
            RunUnattended(options, options.exe, arguments + L" /log \"" + log + L"\"");
        checks.ExpectInt(result.exitCode, 0, std::string("exit code of ") + what);
    };
    RunStandIn(L"/if /b Kitchen /f \"" + InfBeside(options.exe) +
               L"\" /r LPT2: /m \"Other model\"");
    const Unattended foreign = RunUnattended(options, options.exe, L"/install COM7 /name Kitchen");
    checks.ExpectInt(foreign.exitCode, 183, "exit code with Kitchen another model's queue");
    const std::optional<Printer> left = PrinterNow(L"Kitchen");
    checks.Expect(left && left->port == L"LPT2:" && left->driver == L"Other model" &&
                      foreign.children.empty() && PortsNamed(L"COM7:") == 0,
                  "another model's Kitchen is left as it was, with nothing started or added");
    ExpectSays(checks, foreign.errors, "has the driver \"Other model\", not", "the output");
    const Unattended notOurs = RunUnattended(options, options.exe, L"/remove /name Kitchen");
    checks.Expect(notOurs.exitCode == 183 && PrinterNow(L"Kitchen") && notOurs.children.empty(),
                  "/remove /name of another model's queue ends 183 with it kept, nothing started");
    RunStandIn(L"/dl /n Kitchen");
    run(L"/install COM7 /name Kitchen", "Kitchen's install");
    run(L"/install com8 /name \"" + counter + L"\"", "the counter's install");
    SetPrinterComment(L"front counter", counter);
    run(L"/install COM9 /name Kitchen", "Kitchen's move");
    const std::optional<Printer> kitchen = PrinterNow(L"Kitchen");
    const std::optional<Printer> other = PrinterNow(counter);
    checks.Expect(kitchen && kitchen->port == L"COM9:" && !PrinterNow(), "Kitchen is on COM9:");
    checks.Expect(other && other->port == L"COM8:" && other->comment == L"front counter",
                  "the counter's queue is left as it was");
    checks.ExpectText(DetectionValue(L"Kitchen"), L"port=COM9: settings=9600,n,8,1 driver=1.2.0.0",
                      "Kitchen's detection value");
    checks.ExpectText(DetectionValue(counter), L"port=COM8: settings=9600,n,8,1 driver=1.2.0.0",
                      "the counter's detection value");
    run(L"/remove /name Kitchen", "Kitchen's removal");
    checks.Expect(!PrinterNow(L"Kitchen") && PrinterNow(counter) && DriverNow(),
                  "Kitchen is gone; the counter's queue and the driver stay");
    checks.Expect(DetectionValue(L"Kitchen") == L"(none)" && DetectionValue(counter) != L"(none)",
                  "only Kitchen's detection value is deleted");
    run(L"/remove /name \"" + counter + L"\"", "the counter's removal");
    checks.Expect(!PrinterNow(counter) && !DriverNow() && DetectionValue(counter) == L"(none)",
                  "the last queue, its detection value and the driver are gone");
    const std::string said = ReadFileFrom(log, 0);
    ExpectSays(checks, said, Utf8(L"started with: /install com8 /name \"" + counter + L"\""),
               "the log");
    ExpectSays(checks, said, Utf8(L"is kept: these printers use it: \"" + counter + L"\"."),
               "the log");
    return checks.Failures();
}

// With Windows protected print mode on by policy, /install ends with 1625 and Next shows why and
// ends with 1, neither starting nor storing anything; with the policy at 0 the install goes ahead.
int ProtectedPrint(const Options& options) {
    RequirePrintingStandIn(options);
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    auto setPolicy = [](DWORD state) {
        if (RegSetKeyValueW(HKEY_LOCAL_MACHINE,
                            L"SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP",
                            L"WindowsProtectedPrintGroupPolicyState", REG_DWORD, &state,
                            sizeof state) != ERROR_SUCCESS) {
            throw Fatal("cannot set the protected print policy");
        }
    };
    setPolicy(1);
    const std::wstring log = options.work + L"\\wpp.log";
    Unattended result = RunUnattended(options, options.exe, L"/install COM2 /log \"" + log + L"\"");
    checks.ExpectInt(result.exitCode, 1625, "exit code with protected print mode on");
    checks.Expect(result.children.empty(), "nothing was started");
    ExpectSays(checks, ReadFileFrom(log, 0), "Windows protected print mode is on", "the log");
    {
        const unsigned long long traceStart = FileSize(options.trace);
        ToolRun run(options.exe);
        PostClick(run.Item(ControlId(portsetup::Command1)));
        const std::wstring text = ExpectMessageBoxAndPressOk(checks, run);
        checks.Expect(text.find(L"protected print mode is on") != std::wstring::npos,
                      "the box names the mode: " + Show(text));
        const RunResult finished = FinishRun(checks, run, options, traceStart);
        checks.ExpectInt(finished.exitCode, 1, "exit code of Next with protected print mode on");
        ExpectNothingLaunched(checks, finished);
    }
    ExpectPorts(checks, before, {});

    setPolicy(0);
    result = RunUnattended(options, options.exe, L"/install COM2");
    checks.ExpectInt(result.exitCode, 0, "exit code with the policy at 0");
    ExpectPrinter(checks, L"COM2:");
    return checks.Failures();
}

// Under Wine's own entry point nothing is installed: the install is not confirmed, ends with 1603
// and stores nothing, handing the entry point the quiet switch and a hidden window. A removal
// then finds nothing to remove and starts nothing.
int UnattendedUnconfirmed(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    Unattended result = RunUnattended(options, options.exe, L"/install COM3 /settings 4800,o,7,1");
    checks.ExpectInt(result.exitCode, 1603, "exit code of an install the spooler does not show");
    ExpectPorts(checks, before, {});
    ExpectSays(checks, result.errors, "Not confirmed", "the output");
    ExpectSays(checks, result.errors,
               "the PC trusts the driver package's publisher (see \"Driver signatures\" in the "
               "guide \"portsetup for Windows administrators\").\r\nExit code 1603:",
               "the output's last lines");
    if (checks.ExpectInt(static_cast<long long>(result.calls.size()), 1, "entry point calls")) {
        const PrintUiCall& call = result.calls[0];
        checks.Expect(call.command.starts_with(L"/if /b ") && call.command.ends_with(L" /q"),
                      "the install command ends in /q: " + Utf8(call.command));
        checks.ExpectInt(static_cast<long long>(call.showCmd), SW_HIDE, "its window state");
    }

    result = RunUnattended(options, options.exe, L"/remove");
    checks.ExpectInt(result.exitCode, 0, "exit code of a removal with nothing to remove");
    checks.ExpectInt(static_cast<long long>(result.calls.size()), 0, "entry point calls");
    ExpectPorts(checks, before, {});
    return checks.Failures();
}

// Command lines that are not valid, a log that cannot be written and a run already under way end
// at once with their own codes, starting and storing nothing. /? shows how to call the tool.
int UnattendedRefusals(const Options& options) {
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const std::wstring log = options.work + L"\\refused.log";
    const std::wstring hardLinked = FolderOf(options.out) + L"\\hard-linked.log";
    const unsigned long long linkedBytes = FileSize(hardLinked);
    const struct {
        std::wstring arguments;
        DWORD exitCode;
        std::string says;
    } cases[] = {
        {L"/install COM257", 1639, "the port \"COM257\" is not one of"},
        {L"/install COM1 /settings 9600,n,8,1,q", 1639, "flow control \"q\""},
        {L"/install LPT1 /settings 9600,n,8,1", 1639, "/settings goes with a COM port only"},
        {L"/remove COM2", 1639, "unexpected value \"COM2\""},
        {L"/install COM1 /install COM2", 1639, "is given twice"},
        {L"/uninstall /log \"" + log + L"\"", 1639, "unknown switch \"/uninstall\""},
        {L"/remove /log \"" + options.work + L"\"", 1622, "cannot be written"},
        {L"/remove /log \"" + FolderOf(options.out) + L"\\linked-logs\\r.log\"", 1622,
         "is a junction or symbolic link"},
        {L"/remove /log \"%ProgramData%\\portsetup\\r.log\"", 1622,
         "holds %ProgramData%, an environment variable that was not expanded"},
        {L"/remove /log portsetup.log", 1622, "it is a relative path"},
        {L"/remove /log \"" + hardLinked + L"\"", 1622, "the file has 2 names (hard links)"},
        {L"/remove /log \"" + options.work + L"\\\" /timeout 60", 1622,
         "must not end with a backslash before its closing quote"},
        {L"/remove /log \\\"C:\\logs\\q.log\\\"", 1622, "Write them plainly: /log \"C:\\logs"},
        {L"/install COM7 /name \"Kitchen \"", 1639, "write it without: /name \"Kitchen\"."},
    };
    for (const auto& test : cases) {
        const Unattended result = RunUnattended(options, options.exe, test.arguments);
        checks.ExpectInt(result.exitCode, test.exitCode, "exit code");
        ExpectSays(checks, result.errors, test.says, "the output");
        checks.Expect(result.children.empty(), "nothing was started");
    }
    ExpectSays(
        checks, ReadFileFrom(log, 0),
        "unknown switch \"/uninstall\". Correct the command line (in a deployment, the "
        "install or uninstall command): portsetup.exe /? lists the switches, and \"Deploying "
        "to many PCs\" in the guide \"portsetup for Windows administrators\"",
        "the log");
    checks.Expect(FileSize(hardLinked) == linkedBytes, "the hard-linked file is left as it was");
    ExpectSays(checks, ReadFileFrom(log, 0), "Exit code 1639: the command line is not valid.\r\n",
               "the log");

    std::printf("while another run holds the machine's run lock\n");
    Handle held(CreateMutexW(nullptr, TRUE, L"Global\\PortSetup.Unattended"));
    Unattended result = RunUnattended(options, options.exe, L"/install COM2");
    checks.ExpectInt(result.exitCode, 1618, "exit code while another run is under way");
    ExpectSays(checks, result.errors, "the run lock is the mutex Global\\PortSetup.Unattended",
               "the output, where the system makes no private namespaces,");
    checks.Expect(result.children.empty(), "nothing was started");
    held.reset();
    std::printf("while another kind of object holds the lock's name\n");
    held.reset(CreateEventW(nullptr, TRUE, FALSE, L"Global\\PortSetup.Unattended"));
    result = RunUnattended(options, options.exe, L"/install COM2");
    checks.ExpectInt(result.exitCode, 1618, "exit code when the run lock cannot be made");
    ExpectSays(checks, result.errors, "Cannot tell whether another run", "the output");
    checks.Expect(result.children.empty(), "nothing was started");
    held.reset();
    ExpectPorts(checks, before, {});

    std::printf("/?\n");
    ToolRun help(options.exe, ToolRun::WithArguments{L"/?"});
    const HWND box = help.WaitForOwnedPopup(kExitTimeout);
    if (checks.Expect(box != nullptr, "/? shows a message box")) {
        const std::wstring text = MessageBoxText(box);
        RECT shown{};
        RECT work{};
        GetWindowRect(box, &shown);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        checks.Expect(shown.top >= work.top && shown.bottom <= work.bottom,
                      "the box fits the work area: " + std::to_string(shown.bottom - shown.top));
        checks.Expect(
            text.find(L"/install PORT [/name QUEUE] [/settings SETTINGS] [/timeout SECONDS]") !=
                    std::wstring::npos &&
                text.find(L"1639") == std::wstring::npos &&
                text.find(L"README.txt") != std::wstring::npos,
            "on this screen it shows the switches, and where the exit codes are: " + Show(text));
        PostClick(GetDlgItem(box, IDOK));
    }
    checks.ExpectInt(help.WaitForExit(kExitTimeout), 0, "exit code after /?");
    ExpectSays(checks, help.ErrorOutput(), "    1639  the command line is not valid\r\n",
               "the whole text on the error output");
    return checks.Failures();
}

// The tool alone, without its INF file (as when started from inside a .zip file): Next explains
// what is missing and where it was looked for, ends with 1 and starts and stores nothing; Delete
// still removes the driver; /install ends with 1619.
int PackageMissing(const Options& options) {
    Checks checks;
    const auto [folder, exe] = ToolAloneIn(options, L"Temp1_driver.zip");
    const RegistryValues before = PlantPortSentinels();
    {
        const unsigned long long traceStart = FileSize(options.trace);
        ToolRun run(exe);
        Click(run.Item(ControlId(portsetup::Option1_1)));
        PostClick(run.Item(ControlId(portsetup::Command1)));
        const std::wstring text = ExpectMessageBoxAndPressOk(checks, run);
        for (const std::wstring& part :
             {std::wstring(kInfName), folder, std::wstring(L"extract")}) {
            checks.Expect(text.find(part) != std::wstring::npos, "the box names " + Show(part));
        }
        const RunResult result = FinishRun(checks, run, options, traceStart);
        checks.ExpectInt(result.exitCode, 1, "exit code of Next without the INF file");
        ExpectNothingLaunched(checks, result);
    }
    {
        const unsigned long long traceStart = FileSize(options.trace);
        ToolRun run(exe);
        PostClick(run.Item(ControlId(portsetup::cmdDelete)));
        const RunResult result = FinishRun(checks, run, options, traceStart);
        checks.ExpectInt(result.exitCode, 0, "exit code of Delete without the INF file");
        ExpectRemove(checks, result);
    }
    const Unattended result = RunUnattended(options, exe, L"/install COM2 /settings 19200,n,8,1,p");
    checks.ExpectInt(result.exitCode, 1619, "exit code of /install without the INF file");
    checks.Expect(result.children.empty(), "nothing was started");
    ExpectSays(checks, result.errors, Utf8(L"is not in \"" + folder + L"\""), "the output");
    ExpectPorts(checks, before, {});
    return checks.Failures();
}

// A package whose [Manufacturer] names, beside the undecorated models section, only one for x64
// Windows 10 and later: Wine 8's default Windows 7 reads the undecorated section's version,
// Windows 10 the decorated one's. An INF that cannot be read ends with 1603, starting nothing.
int PackageOsVersion(const Options& options) {
    Checks checks;
    const std::wstring exe = ToolAloneIn(options, L"Windows 10 package").exe;
    WriteFileText(
        InfBeside(exe),
        "[Version]\nSignature=\"$Windows NT$\"\n[Manufacturer]\nM=Models,NTamd64.10.0\n"
        "[Models]\n\"Tarvik(Cut Mode)\"=Plain\n[Plain]\nDriverVer=1/1/2026,1.3\n"
        "[Models.NTamd64.10.0]\n\"Tarvik(Cut Mode)\"=Ten\n[Ten]\nDriverVer=1/1/2026,1.4\n");
    for (const auto& [version, read] : {std::pair{L"win7", "driver version 1.3.0.0."},
                                        std::pair{L"win10", "driver version 1.4.0.0."}}) {
        // Read by each process Wine starts from now on.
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", REG_SZ, version,
                        static_cast<DWORD>(wcslen(version) * 2 + 2));
        const Unattended result = RunUnattended(options, exe, L"/install COM2");
        ExpectSays(checks, result.errors, read, "the output on " + Utf8(version));
    }
    WriteFileText(InfBeside(exe), "DriverVer=12/09/2026,1.4.0.0\r\n");
    const Unattended result = RunUnattended(options, exe, L"/install COM2");
    checks.ExpectInt(result.exitCode, 1603, "exit code with an INF that cannot be read");
    ExpectSays(checks, result.errors, "its driver version cannot be read", "the output");
    checks.Expect(result.children.empty(), "nothing was started");
    return checks.Failures();
}

// /check and /detect against a receipt printer that the runner plays on a pseudo-terminal as COM7,
// answering only at its own speed, parity and stop bits: ready, the wrong speed, odd parity and two
// stop bits, cover open, paper end, a presenter, XOFF and automatic status back before the answer,
// a stray byte before the open, an answer in two parts, its speed found, past a speed of other
// answers, a virtual port that answers late at any speed; /install /check out of paper keeps the
// printer but writes no detection value, /settings detect stores the speed found with the stored
// handshake, and a check that fails later deletes the value. Only status requests go down the
// line. Started with neither a console nor /log, /check shows its outcome in a message box; with
// /log it shows none.
int PrinterCheck(const Options& options) {
    RequirePrintingStandIn(options);
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    const auto printer = [&options](const std::string& state) {
        WriteFileText(options.work + L"\\printer.state", state);
    };
    const struct {
        std::string state;
        std::wstring arguments;
        DWORD exitCode;
        std::string says;
    } asked[] = {
        {"19200 ready", L"/check COM7 /settings 19200,n,8,1", 0,
         "DLE EOT 1 (printer status): 16\r\nDLE EOT 4 (roll paper sensor): 12\r\n"
         "The printer answered and is ready."},
        {"19200 ready", L"/check COM7 /settings 9600,n,8,1", 1167,
         "Nothing came back within 250 ms."},
        {"19200,o,8,2 ready", L"/check COM7 /settings 19200,o,8,2", 0, "is ready"},
        {"19200 cover-open", L"/check COM7 /settings 19200,n,8,1", 21,
         "close its cover; then check again: portsetup.exe /check COM7."},
        {"19200 paper-end", L"/check COM7 /settings 19200,n,8,1", 28, "the paper roll has run out"},
        {"19200 presenter", L"/check COM7 /settings 19200,n,8,1", 0, "no paper at the presenter"},
        {"19200 ready xoff", L"/check COM7 /settings 19200,n,8,1", 0, "16, set aside: 13\r\n"},
        {"19200 ready asb", L"/check COM7 /settings 19200,n,8,1", 0, "set aside: 14 00 00 0F\r\n"},
        {"19200 ready stray", L"/check COM7 /settings 19200,n,8,1", 0, "and is ready."},
        {"19200 ready split", L"/check COM7 /settings 19200,n,8,1", 13, "DLE EOT 1 was 16 16,"},
        {"19200,e,8,1 ready", L"/check COM7 /settings 19200,e,8,1", 0, "and is ready."},
        {"38400 near-end", L"/detect COM7", 0,
         "At 19200,n,8,1: DLE EOT 1 (printer status): no answer\r\n"
         "At 38400,n,8,1: DLE EOT 1 (printer status): 16\r\n"
         "At 38400,n,8,1: DLE EOT 1 (printer status): 16\r\n"},
        {"38400 near-end", L"/detect COM7", 0,
         "The printer answers at 38400,n,8,1.\r\nThe printer answered and is ready.\r\n"
         "Warning: the paper roll is near its end: have a new roll ready.\r\n"
         "For the install command: /settings 38400,n,8,1, with"},
        {"19200 ready ff-at=9600", L"/detect COM7", 0,
         "At 9600,n,8,1: DLE EOT 4 (roll paper sensor): FF\r\nAt 9600,n,8,1: not this speed."},
        {"any paper-end late=300", L"/detect COM7", 1167, "no answer, too late: 1E\r\n"},
        {"300 ready", L"/detect COM7", 1167, "Exit code 1167: the printer did not answer or went"},
    };
    for (const auto& test : asked) {
        printer(test.state);
        const Unattended result = RunUnattended(options, options.exe, test.arguments);
        checks.ExpectInt(result.exitCode, test.exitCode,
                         "exit code with the printer " + test.state);
        ExpectSays(checks, result.errors, test.says, "the output");
    }

    std::printf("set up with /check, out of paper; then with the speed found\n");
    printer("19200 paper-end");
    Unattended result =
        RunUnattended(options, options.exe, L"/install COM7 /settings 19200,n,8,1 /check");
    checks.ExpectInt(result.exitCode, 28, "exit code of /install /check out of paper");
    ExpectPrinter(checks, L"COM7:");
    checks.ExpectText(DetectionValue(), L"(none)", "the detection value after the failed check");
    ExpectSays(checks, result.errors, "The printer stays set up", "the output");
    printer("19200 presenter");
    result = RunUnattended(options, options.exe, L"/install COM7 /settings 19200,n,8,1 /check");
    checks.ExpectInt(result.exitCode, 0, "exit code of /install /check, a presenter printer");
    checks.ExpectText(DetectionValue(), L"port=COM7: settings=19200,n,8,1 driver=1.2.0.0",
                      "the detection value of the presenter printer");
    printer("38400 paper-end");
    result = RunUnattended(options, options.exe, L"/install COM7 /settings detect");
    checks.ExpectInt(result.exitCode, 0, "exit code of /install /settings detect");
    ExpectSays(checks, result.errors, "Without /check, the printer's state does not change",
               "the output out of paper");
    ExpectPorts(checks, before, {{L"COM7:", L"38400,n,8,1"}});
    std::printf("/settings detect past a speed of other answers, keeping the stored handshake\n");
    RunUnattended(options, options.exe, L"/install COM7 /settings 9600,n,8,1,p");
    printer("19200 ready ff-at=9600");
    result = RunUnattended(options, options.exe, L"/install COM7 /settings detect");
    checks.ExpectInt(result.exitCode, 0, "exit code of /install /settings detect");
    ExpectPrinter(checks, L"COM7:");
    ExpectPorts(checks, before, {{L"COM7:", L"19200,n,8,1,p"}});
    checks.ExpectText(DetectionValue(), L"port=COM7: settings=19200,n,8,1,p driver=1.2.0.0",
                      "the detection value");
    printer("38400 paper-end");
    result = RunUnattended(options, options.exe, L"/install COM7 /settings 38400,n,8,1 /check");
    checks.ExpectInt(result.exitCode, 28, "exit code of a check again, out of paper");
    checks.ExpectText(DetectionValue(), L"(none)", "the detection value after the failed re-check");
    printer("38400 ready");

    const std::string received = ReadFileFrom(options.work + L"\\printer.received", 0);
    bool requestsOnly = !received.empty() && received.size() % 3 == 0;
    for (std::size_t at = 0; requestsOnly && at < received.size(); at += 3) {
        requestsOnly = received[at] == 0x10 && received[at + 1] == 0x04 && received[at + 2] >= 1 &&
                       received[at + 2] <= 4;
    }
    checks.Expect(requestsOnly, "the printer received only DLE EOT n requests (" +
                                    std::to_string(received.size()) + " bytes)");

    std::printf("without a console: a message box, and none with /log\n");
    FreeConsole();
    ToolRun boxed(options.exe, ToolRun::WithArguments{L"/check COM7", false});
    const HWND box = boxed.WaitForOwnedPopup(kUnattendedExit);
    if (checks.Expect(box != nullptr, "/check without a console shows a message box")) {
        const std::wstring text = MessageBoxText(box);
        checks.Expect(text.find(L"The settings stored for COM7: are used.") != std::wstring::npos &&
                          text.find(L"The printer answered and is ready.") != std::wstring::npos,
                      "the box tells the outcome: " + Show(text));
        PostClick(GetDlgItem(box, IDOK));
    }
    checks.ExpectInt(boxed.WaitForExit(kExitTimeout), 0, "exit code after the box");
    const std::wstring log = options.work + L"\\check.log";
    ToolRun logged(options.exe,
                   ToolRun::WithArguments{L"/check COM7 /log \"" + log + L"\"", false});
    checks.Expect(logged.WaitForOwnedPopup(kUnattendedExit) == nullptr, "no box with /log");
    checks.ExpectInt(logged.WaitForExit(kExitTimeout), 0, "exit code with /log");
    ExpectSays(checks, ReadFileFrom(log, 0), "The printer answered and is ready.", "the log");

    std::printf("a USB printer through its printing interface, with no comm-device call\n");
    PlantUsbPrinter(L"SERIAL1", 1, true);
    WritePortsString(L"USB001", L"");
    WritePortsString(L"USB002", L"");
    const std::wstring usbState = options.work + L"\\usb-printer.state";
    const unsigned long long traceStart = FileSize(options.trace);
    const std::string ready = "\x10\x04\x01\x10\x04\x04";
    const struct {
        std::string state;  // empty: switched off
        std::wstring arguments;
        DWORD exitCode;
        std::string says;
        std::string sent;
    } usbAsked[] = {
        {"any ready", L"/check /device \"USB\\VID_04B8&PID_0202\"", 0,
         "through its USB printing interface \\\\?\\" + Utf8(UsbInterfaceName(L"serial1")) +
             ".\r\nDLE EOT 1 (printer status): 16\r\nDLE EOT 4 (roll paper sensor): 12\r\n"
             "The printer answered and is ready.",
         ready},
        {"any paper-end", L"/check usb001", 28, "the paper roll has run out",
         "\x10\x04\x01\x10\x04\x02\x10\x04\x04"},
        {"", L"/check USB001", 1167, "Some USB printers do not pass status back", "\x10\x04\x01"},
        {"any ready", L"/check USB002", 1167, "No USB printer is plugged in on USB002.", ""},
        {"any ready", L"/detect /device VID_04B8&PID_0202", 1639,
         "a USB printer has no line settings", ""},
        {"any ready", L"/install USB002", 0, "Warning: no USB printer is plugged in on USB002", ""},
        {"any ready", L"/install USB001 /check", 0, "The printer answered and is ready.", ready},
    };
    for (const auto& test : usbAsked) {
        DeleteFileW(usbState.c_str());
        if (!test.state.empty()) {
            WriteFileText(usbState, test.state);
        }
        const unsigned long long sent = FileSize(options.work + L"\\usb-printer.received");
        const Unattended usbResult = RunUnattended(options, options.exe, test.arguments);
        checks.ExpectInt(usbResult.exitCode, test.exitCode, "exit code, USB printer " + test.state);
        ExpectSays(checks, usbResult.errors, test.says, "the output");
        checks.Expect(ReadFileFrom(options.work + L"\\usb-printer.received", sent) == test.sent,
                      "the USB printer received only the status requests asked");
    }
    // Wine's own reads query the time-outs; any other comm call would be the tool's.
    const std::string trace = ReadFileFrom(options.trace, traceStart);
    checks.ExpectInt(Count(trace, ":comm:") - Count(trace, "IOCTL_SERIAL_GET_TIMEOUTS"), 0,
                     "comm-device calls on the USB printer's path");
    ExpectPrinter(checks, L"USB001");
    checks.ExpectText(DetectionValue(), L"port=USB001 settings=none driver=1.2.0.0",
                      "the detection value of the USB printer");
    return checks.Failures();
}

}  // namespace e2e
