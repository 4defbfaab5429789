// Where the tool may lie: folders named in other scripts, deep folders up to and past MAX_PATH,
// and the root of a drive. Whatever the folder, the printer set-up entry point must receive the
// whole INF path beside the tool as the one value of /f, and the settings must be stored.
#include <cstdio>

#include "scenarios.h"

namespace e2e {
namespace {

constexpr wchar_t kToolName[] = L"portsetup.exe";

// Runs the tool at exe through Next with COM2 and its settings, and checks the command and the
// stored value. infPath is the /f value the tool is expected to build; an INF file of a content
// of its own is put beside the tool, and the /f value received must open it.
void ExpectNextFrom(Checks& checks, const Options& options, const std::wstring& exe,
                    const std::wstring& infPath) {
    const std::string content = "; the INF beside " + Utf8(exe) + "\n";
    WriteFileText(FolderOf(exe) + L"\\" + kInfName, content);
    const RegistryValues before = PlantPortSentinels();
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(exe);
    Click(run.Item(ControlId(portsetup::Option1_1)));
    PickEntries(run, {L"19200", nullptr, nullptr, nullptr, L"Hardware"});
    PostClick(run.Item(ControlId(portsetup::Command1)));
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Next");
    for (const PrintUiCall& call : result.calls) {
        for (const auto& [name, value] : call.options) {
            if (name == L"f") {
                std::printf("  /f as the entry point parsed it: %s\n", Show(value).c_str());
                checks.Expect(ReadFileFrom(value, 0) == content,
                              "the /f value opens the INF file beside the tool");
            }
        }
    }
    ExpectInstall(checks, result, infPath, L"COM2:");
    ExpectPorts(checks, before, {{L"COM2:", L"19200,n,8,1,p"}});
}

// A folder under base whose copy of the tool has a full path of exactly length characters, made
// of folders of at most 60 characters each.
std::wstring FolderForPathLength(const std::wstring& base, std::size_t length) {
    const std::size_t fixed = base.size() + 1 + std::size(kToolName) - 1;
    if (length < fixed + 2) {
        throw Fatal("the work folder's path is too long for a folder of " + std::to_string(length) +
                    " characters");
    }
    std::wstring folder = base;
    std::size_t left = length - fixed;  // each folder costs its name and one backslash
    for (int level = 1; left > 0; ++level) {
        std::size_t name = left - 1;  // the last folder takes what is left
        if (name > 60) {
            name = std::min<std::size_t>(60, left - 3);  // leave at least one more character
        }
        std::wstring part = L"level" + std::to_wstring(level) + L"-";
        part.resize(name, L'x');
        folder += L"\\" + part;
        left -= name + 1;
    }
    return folder;
}

// The DOS short form of a path, by which a program in a folder too deep for MAX_PATH is started.
std::wstring ShortPath(const std::wstring& path) {
    std::wstring shortPath(32768, L'\0');
    const DWORD length = GetShortPathNameW(LongPath(path).c_str(), shortPath.data(),
                                           static_cast<DWORD>(shortPath.size()));
    if (length == 0 || length >= shortPath.size()) {
        throw Fatal("no short path for " + Utf8(path));
    }
    shortPath.resize(length);
    return shortPath.starts_with(L"\\\\?\\") ? shortPath.substr(4) : shortPath;
}

}  // namespace

// The tool copied into folders named in Cyrillic and in CJK script, a folder whose tool path is
// 250 characters long and one whose path is 300 characters long, past MAX_PATH (260). Wine starts
// no program by a path that long, not even as "\\?\...", so that one is started by its short
// path, as it would have to be on Windows too, and its INF path must name the same deep folder.
int FolderNames(const Options& options) {
    Checks checks;
    struct Case {
        const char* what;
        std::wstring folder;
        bool byShortPath;
    };
    const std::vector<Case> cases{
        {"a folder named in Cyrillic",
         options.work + L"\\\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430 "
                        L"\u043f\u0440\u0438\u043d\u0442\u0435\u0440\u0430",
         false},
        {"a folder named in CJK", options.work + L"\\\u6253\u5370\u673a \u8bbe\u7f6e", false},
        {"a tool path of 250 characters", FolderForPathLength(options.work, 250), false},
        {"a tool path of 300 characters, past MAX_PATH", FolderForPathLength(options.work, 300),
         true},
    };
    for (const Case& one : cases) {
        const std::wstring exe = one.folder + L"\\" + kToolName;
        std::printf("%s: %s (%zu characters)\n", one.what, Show(exe).c_str(), exe.size());
        std::fflush(stdout);
        MakeFolders(one.folder);
        StageTool(options, exe);
        try {
            const std::wstring started = one.byShortPath ? ShortPath(exe) : exe;
            if (one.byShortPath) {
                std::printf("  started as %s\n", Show(started).c_str());
            }
            ExpectNextFrom(checks, options, one.byShortPath ? LongPath(started) : started,
                           InfBeside(started));
        } catch (const Fatal& error) {
            checks.Expect(false, std::string(one.what) + ": " + error.what());
        }
    }
    return checks.Failures();
}

// The tool in the root of a drive (the runner maps a drive letter to a folder that holds only the
// tool): the folder then ends in a backslash, and the INF path is built with two.
int DriveRoot(const Options& options) {
    if (options.exe.size() != 3 + std::size(kToolName) - 1 || options.exe.substr(1, 2) != L":\\") {
        throw Fatal("the tool is not in a drive's root: " + Utf8(options.exe));
    }
    Checks checks;
    ExpectNextFrom(checks, options, options.exe,
                   options.exe.substr(0, 3) + L"\\" + std::wstring(kInfName));
    return checks.Failures();
}

}  // namespace e2e
