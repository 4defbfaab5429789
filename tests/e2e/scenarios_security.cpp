// Files planted where Windows looks before the system folder: a rundll32.exe beside the tool and in
// the folder it is started in, and DLLs beside the tool named like those it loads. The tool must
// take neither; and the DLLs it names in its import tables must be ones that Windows never looks
// for in the program's folder.
#include <cstdio>
#include <set>
#include <utility>

#include "pe_imports.h"
#include "scenarios.h"

namespace e2e {
namespace {

constexpr wchar_t kStandIn[] = L"e2e_stand_in_rundll32.exe";
constexpr wchar_t kRecordingDll[] = L"e2e_recording.dll";
// DLLs the tool loads after it started (seen with WINEDEBUG=+loaddll), none of them a known DLL.
constexpr const wchar_t* kPlantedDlls[] = {L"uxtheme.dll", L"comctl32.dll"};

std::wstring SystemFolder() {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return system;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The known DLLs of Windows 10 and 11 (HKLM\...\Session Manager\KnownDLLs, with ntdll.dll and the
// DLLs they load themselves): the loader maps these from the system folder and never searches for
// them. API set names ("api-ms-win-...") are resolved by the loader without a search too.
bool IsKnownDll(const std::string& name) {
    static const std::set<std::string> known{
        "advapi32.dll", "clbcatq.dll",  "combase.dll",  "comdlg32.dll",  "coml2.dll",
        "difxapi.dll",  "gdi32.dll",    "gdiplus.dll",  "imagehlp.dll",  "imm32.dll",
        "kernel32.dll", "msctf.dll",    "msvcrt.dll",   "normaliz.dll",  "nsi.dll",
        "ntdll.dll",    "ole32.dll",    "oleaut32.dll", "psapi.dll",     "rpcrt4.dll",
        "sechost.dll",  "setupapi.dll", "shcore.dll",   "shell32.dll",   "shlwapi.dll",
        "user32.dll",   "wldap32.dll",  "ws2_32.dll",   "kernelbase.dll"};
    const std::string lower = Lower(name);
    return known.contains(lower) || lower.starts_with("api-ms-win-") ||
           lower.starts_with("ext-ms-win-");
}

// Wine prefers its built-in module to a file of the same name unless WINEDLLOVERRIDES says
// otherwise; without that a planted file could never run, and a scenario about one proves nothing.
void RequireFilePreferred(std::wstring_view module) {
    wchar_t overrides[1024] = {};
    GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 1024);
    if (std::wstring_view(overrides).find(module) == std::wstring_view::npos) {
        throw Fatal("Wine is not told to prefer a planted " + Utf8(module) +
                    " to its own: WINEDLLOVERRIDES=" + Utf8(overrides));
    }
}

struct LoadedModule {
    std::string thread;  // the hex thread id Wine puts before each line
    std::wstring path;
};

// The modules Wine reports loading with WINEDEBUG=+loaddll.
std::vector<LoadedModule> LoadedModules(const std::string& trace) {
    std::vector<LoadedModule> modules;
    constexpr std::string_view kMark = ":trace:loaddll:build_module Loaded ";
    std::size_t at = 0;
    while ((at = trace.find(kMark, at)) != std::string::npos) {
        const std::size_t lineStart = trace.rfind('\n', at);
        const std::size_t begin = lineStart == std::string::npos ? 0 : lineStart + 1;
        std::size_t pos = at + kMark.size();
        LoadedModule module{trace.substr(begin, at - begin), {}};
        bool truncated = false;
        if (ReadDebugString(trace, pos, module.path, truncated)) {
            modules.push_back(std::move(module));
        }
        at = pos;
    }
    return modules;
}

}  // namespace

// A rundll32.exe planted in the folder the tool is started in, then another beside the tool: Next
// and Delete start the system folder's rundll32.exe, whose printui trace shows the command, and
// no planted one ever runs. The runner asks Wine to run a rundll32.exe file it finds rather than
// its own built-in program, as Windows does.
int PlantedRundll32(const Options& options) {
    RequireFilePreferred(L"rundll32.exe");
    Checks checks;
    const std::wstring toolFolder = options.work + L"\\tool";
    const std::wstring startFolder = options.work + L"\\start";
    const std::wstring exe = toolFolder + L"\\portsetup.exe";
    MakeFolders(toolFolder);
    MakeFolders(startFolder);
    StageTool(options, exe);
    const std::wstring standIn = DriverFolder() + L"\\" + kStandIn;
    const std::wstring system = SystemFolder() + L"\\rundll32.exe";
    // Next finds one only in the start folder, which a search would reach after the tool's own;
    // Delete finds one in both.
    std::vector<std::wstring> planted;

    const RegistryValues before = PlantPortSentinels();
    for (const Control button : {portsetup::Command1, portsetup::cmdDelete}) {
        planted.push_back((button == portsetup::Command1 ? startFolder : toolFolder) +
                          L"\\rundll32.exe");
        CopyInto(standIn, planted.back());
        std::printf("%s with rundll32.exe planted in the start folder%s\n", Name(button).c_str(),
                    planted.size() > 1 ? " and beside the tool" : "");
        const unsigned long long traceStart = FileSize(options.trace);
        ToolRun run(exe, startFolder);
        PostClick(run.Item(ControlId(button)));
        const RunResult result = FinishRun(checks, run, options, traceStart);
        checks.ExpectInt(result.exitCode, 0, "exit code");
        if (button == portsetup::Command1) {
            ExpectInstall(checks, result, InfBeside(exe), L"COM1:");
            ExpectPorts(checks, before, {{L"COM1:", L"9600,n,8,1"}});
        } else {
            ExpectRemove(checks, result);
            ExpectPorts(checks, before, {});
        }
        for (const ChildProcess& child : run.Children()) {
            checks.Expect(
                _wcsicmp(child.imagePath.c_str(), system.c_str()) == 0,
                "the started process runs " + Show(system) + ", it runs " + Show(child.imagePath));
        }
        for (const std::wstring& path : planted) {
            checks.Expect(!FileExists(path + L".ran"),
                          "the planted " + Show(path) +
                              " never ran; it recorded: " + ReadFileFrom(path + L".ran", 0));
        }
        PlantPortSentinels();
    }
    return checks.Failures();
}

// The import tables of the program name only known DLLs and it has no delay-loaded DLL; its header
// asks for the loader's protections; DLLs planted beside it under the names of DLLs it loads later
// are never loaded. The runner asks Wine to prefer a DLL file it finds over its own built-in DLL
// for these names, as Windows always does, and to report every module it loads.
int DllPlanting(const Options& options) {
    Checks checks;
    const PeImports imports = ReadPeImports(options.exe);
    std::string names;
    for (const std::string& name : imports.imports) {
        names += " " + name;
        checks.Expect(IsKnownDll(name), "the program imports " + name +
                                            ", which is not a known DLL and would be looked for "
                                            "in the program's folder first");
    }
    std::printf("  imports:%s\n", names.c_str());
    checks.Expect(!imports.imports.empty(), "the import table names the DLLs the program uses");
    std::string delayed;
    for (const std::string& name : imports.delayImports) {
        delayed += " " + name;
        checks.Expect(false, "the program loads " + name + " on first use (a delay import)");
    }
    std::printf("  delay imports:%s\n", delayed.empty() ? " none" : delayed.c_str());
    // The flags Microsoft's linker sets for every program.
    constexpr std::pair<WORD, const char*> kLoaderFlags[] = {
        {IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, "DYNAMIC_BASE (a random load address)"},
        {IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA, "HIGH_ENTROPY_VA (anywhere in 64 bits)"},
        {IMAGE_DLLCHARACTERISTICS_NX_COMPAT, "NX_COMPAT (no code run from data pages)"},
        {IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE, "TERMINAL_SERVER_AWARE"},
    };
    for (const auto& [flag, name] : kLoaderFlags) {
        checks.Expect((imports.dllCharacteristics & flag) != 0,
                      std::string("the PE header sets ") + name);
    }

    for (const wchar_t* dll : kPlantedDlls) {
        RequireFilePreferred(std::wstring_view(dll).substr(0, std::wcslen(dll) - 4));
    }
    const std::wstring toolFolder = options.work + L"\\tool";
    const std::wstring exe = toolFolder + L"\\portsetup.exe";
    MakeFolders(toolFolder);
    StageTool(options, exe);
    for (const wchar_t* dll : kPlantedDlls) {
        CopyInto(DriverFolder() + L"\\" + kRecordingDll, toolFolder + L"\\" + dll);
    }

    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(exe);
    char thread[16];
    std::snprintf(thread, sizeof thread, "%04lx", run.ThreadId());
    PostClick(run.Item(ControlId(portsetup::Command1)));
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Next");
    ExpectInstall(checks, result, InfBeside(exe), L"COM1:");
    ExpectPorts(checks, before, {{L"COM1:", L"9600,n,8,1"}});

    for (const wchar_t* dll : kPlantedDlls) {
        const std::wstring marker = toolFolder + L"\\" + dll + L".loaded";
        checks.Expect(!FileExists(marker), "the planted " + Utf8(dll) + " was never loaded");
    }
    const std::string prefix = Lower(Utf8(toolFolder + L"\\"));
    bool loadedFromSystem = false;
    for (const LoadedModule& module : LoadedModules(ReadFileFrom(options.trace, traceStart))) {
        const std::string path = Lower(Utf8(module.path));
        if (path.starts_with(prefix) && path != Lower(Utf8(exe))) {
            checks.Expect(false, "Wine loaded " + Utf8(module.path) + " from the tool's folder");
        }
        const std::string uxtheme = Lower(Utf8(SystemFolder())) + "\\uxtheme.dll";
        loadedFromSystem = loadedFromSystem || (module.thread == thread && path == uxtheme);
    }
    // Without this the planted uxtheme.dll would prove nothing: the tool must load one at all.
    checks.Expect(loadedFromSystem,
                  "the tool (thread " + std::string(thread) +
                      ") loaded uxtheme.dll from the system folder, as the +loaddll trace shows");
    return checks.Failures();
}

}  // namespace e2e
