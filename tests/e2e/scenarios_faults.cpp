// Faults around the tool: a set-up command that cannot start, a missing Ports key, a Ports value
// that is already there, and a set-up process that keeps running. The runner gives each of these
// a copy of the Wine prefix of its own, which it alters and then throws away.
#include <cstdio>

#include "scenarios.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

// A hang shows as the tool still running after this long; a tool that does not wait for what it
// started ends well within it.
constexpr auto kPromptExit = 5s;

void RequireThrowaway(const Options& options) {
    if (!options.throwawayPrefix) {
        throw Fatal("this scenario alters the Wine prefix: run it with a prefix of its own");
    }
}

std::wstring SystemRundll32() {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\rundll32.exe";
}

RegistryValue Bytes(DWORD type, std::initializer_list<BYTE> bytes) {
    return {type, std::vector<BYTE>(bytes)};
}

RegistryValue WideText(DWORD type, std::wstring_view text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    return {type, std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t))};
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

// A set-up command that cannot start (no rundll32.exe in the system folder) is reported, ends the
// tool with code 1 and stores nothing, for Next as for Delete.
int LaunchFails(const Options& options) {
    RequireThrowaway(options);
    if (FileExists(SystemRundll32())) {
        throw Fatal("the system folder still holds rundll32.exe: the runner did not take it away");
    }
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    for (const Control button : {portsetup::Command1, portsetup::cmdDelete}) {
        std::printf("%s with no rundll32.exe\n", Name(button).c_str());
        const unsigned long long traceStart = FileSize(options.trace);
        ToolRun run(options.exe);
        // Settings that Next would store if it went on after the failed launch.
        Click(run.Item(ControlId(portsetup::Option1_1)));
        PickEntries(run, {L"19200", nullptr, nullptr, nullptr, L"Hardware"});
        PostClick(run.Item(ControlId(button)));

        const std::wstring text = ExpectMessageBoxAndPressOk(checks, run);
        const std::wstring reason = SystemMessage(ERROR_FILE_NOT_FOUND);
        checks.Expect(text.find(button == portsetup::Command1
                                    ? L"could not be installed"
                                    : L"could not be removed") != std::wstring::npos,
                      "the message says which flow failed");
        checks.Expect(text.find(reason) != std::wstring::npos,
                      "the message names the system's reason " + Show(reason));
        checks.Expect(text.find(L"(error 2)") != std::wstring::npos,
                      "the message names the error code as \"(error 2)\"");

        const RunResult result = FinishRun(checks, run, options, traceStart);
        checks.ExpectInt(result.exitCode, 1, "exit code after a failed launch");
        ExpectNothingLaunched(checks, result);
        ExpectPorts(checks, before, {});
    }
    return checks.Failures();
}

// Without the Ports key the install still runs, the unsaved settings are reported with the port's
// name, the tool ends with code 2, and the key is not created.
int PortsKeyMissing(const Options& options) {
    RequireThrowaway(options);
    Checks checks;
    DeletePortsKey();
    if (PortsKeyExists()) {
        throw Fatal("the Ports key could not be removed");
    }
    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);
    Click(run.Item(ControlId(portsetup::Option1_1)));
    PickEntries(run, {L"19200", nullptr, nullptr, nullptr, L"Hardware"});
    PostClick(run.Item(ControlId(portsetup::Command1)));

    const std::wstring text = ExpectMessageBoxAndPressOk(checks, run);
    const std::wstring reason = SystemMessage(ERROR_FILE_NOT_FOUND);
    checks.Expect(text.find(L"COM2:") != std::wstring::npos, "the message names the port COM2:");
    checks.Expect(text.find(reason) != std::wstring::npos,
                  "the message names the system's reason " + Show(reason));

    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 2, "exit code when the settings could not be stored");
    ExpectInstall(checks, result, InfBeside(options.exe), L"COM2:");
    checks.Expect(!PortsKeyExists(), "the Ports key was not created");
    return checks.Failures();
}

// A value of the chosen port that is already there, under a name in other letter case and with
// longer text, is replaced; every other value under the key, of whatever type and whatever name
// close to the port's, keeps its name, type and bytes.
int ValueReplaced(const Options& options) {
    RequireThrowaway(options);
    Checks checks;
    PlantPortSentinels();
    DeletePortsValue(L"COM3:");
    const std::vector<std::pair<std::wstring, RegistryValue>> planted{
        {L"com3:", StringValue(L"115200,e,7,1.5,x")},  // the port's own value, in small letters
        {L"COM3", StringValue(L"4800,o,7,2")},         // the port's name without its colon
        {L"COM3::", StringValue(L"7200,m,6,1")},
        {L"", StringValue(L"the key's default value")},
        {L"E2E binary", Bytes(REG_BINARY, {0x00, 0x01, 0xFE, 0xFF, 0x00, 0x43, 0x4F, 0x4D})},
        {L"E2E dword", Bytes(REG_DWORD, {0xEF, 0xBE, 0xAD, 0xDE})},
        {L"E2E qword", Bytes(REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8})},
        {L"E2E multi", WideText(REG_MULTI_SZ, std::wstring_view(L"COM3:\0x\0\0", 10))},
        {L"E2E expand", WideText(REG_EXPAND_SZ, std::wstring_view(L"%SystemRoot%\\ports\0", 19))},
        {L"E2E empty", Bytes(REG_BINARY, {})},
    };
    for (const auto& [name, value] : planted) {
        WritePortsValue(name, value);
    }
    const RegistryValues before = ReadPortsValues();

    const unsigned long long traceStart = FileSize(options.trace);
    ToolRun run(options.exe);
    Click(run.Item(ControlId(portsetup::Option1_2)));
    PickEntries(run, {L"2400", nullptr, nullptr, nullptr, L"Hardware"});
    PostClick(run.Item(ControlId(portsetup::Command1)));
    const RunResult result = FinishRun(checks, run, options, traceStart);
    checks.ExpectInt(result.exitCode, 0, "exit code after Next");
    ExpectInstall(checks, result, InfBeside(options.exe), L"COM3:");

    const std::wstring port = L"COM3:";
    const RegistryValues after = ReadPortsValues();
    int portValues = 0;
    for (const auto& [name, value] : after) {
        if (SameName(name, port)) {
            ++portValues;
            std::printf("  the port's value is now named %s: %s\n", Show(name).c_str(),
                        DescribeValue(value).c_str());
            checks.Expect(
                value == StringValue(L"2400,n,8,1,p"),
                "the value of COM3: is replaced by \"2400,n,8,1,p\", got " + DescribeValue(value));
        } else if (!before.contains(name)) {
            checks.Expect(false,
                          "a Ports value appeared: " + Show(name) + " = " + DescribeValue(value));
        }
    }
    checks.ExpectInt(portValues, 1, "values named COM3: in any letter case");
    const auto size = AnsiValueSize(port);
    checks.ExpectInt(size ? static_cast<long long>(*size) : -1, 13,
                     "stored size of COM3: (its text and one zero byte)");
    for (const auto& [name, value] : before) {
        if (SameName(name, port)) {
            continue;
        }
        const auto found = after.find(name);
        if (found == after.end()) {
            checks.Expect(false, "the Ports value " + Show(name) + " is gone");
        } else {
            checks.Expect(found->second == value, "the Ports value " + Show(name) +
                                                      " is unchanged: was " + DescribeValue(value) +
                                                      ", now " + DescribeValue(found->second));
        }
    }
    return checks.Failures();
}

// A set-up process that keeps running (the runner put a stand-in that stays a minute in the
// system folder's place of rundll32.exe) does not keep the tool: after Next and after Delete the
// tool ends within a few seconds, its work done, while the process it started still runs.
int NoHang(const Options& options) {
    RequireThrowaway(options);
    const std::wstring rundll32 = SystemRundll32();
    const std::wstring marker = rundll32 + L".ran";
    if (!FileExists(rundll32 + L".stay")) {
        throw Fatal("no staying stand-in for rundll32.exe in the system folder");
    }
    Checks checks;
    const RegistryValues before = PlantPortSentinels();
    for (const Control button : {portsetup::Command1, portsetup::cmdDelete}) {
        std::printf("%s with a set-up process that stays\n", Name(button).c_str());
        DeleteFileW(marker.c_str());
        ToolRun run(options.exe);
        Click(run.Item(ControlId(portsetup::Option1_3)));
        PickEntries(run, {L"4800", nullptr, L"Even", nullptr, nullptr});
        PostClick(run.Item(ControlId(button)));

        const DWORD exitCode = run.WaitForExit(kPromptExit);
        checks.ExpectInt(exitCode, 0, "exit code");
        const auto& children = run.Children();
        if (checks.ExpectInt(static_cast<long long>(children.size()), 1, "processes started")) {
            checks.Expect(_wcsicmp(children[0].imagePath.c_str(), rundll32.c_str()) == 0,
                          "the started process runs " + Utf8(rundll32) + ", it runs " +
                              Show(children[0].imagePath));
            checks.Expect(children[0].process &&
                              WaitForSingleObject(children[0].process.get(), 0) == WAIT_TIMEOUT,
                          "the started process still runs after the tool ended");
        }
        const bool recorded = WaitUntil([&] { return FileSize(marker) > 0; }, kInputTimeout);
        const std::string line = recorded ? ReadFileFrom(marker, 0) : std::string();
        const char* expected = button == portsetup::Command1
                                   ? "printui.dll,PrintUIEntry /if /b \"Tarvik(Cut Mode)\" /f \""
                                   : "printui.dll,PrintUIEntry /dd /m \"Tarvik(Cut Mode)\"";
        checks.Expect(line.find(expected) != std::string::npos,
                      std::string("the stand-in was started with ") + expected +
                          "..., it recorded: " + (recorded ? line : "nothing"));
        run.EndChildren();
        ExpectPorts(checks, before,
                    button == portsetup::Command1
                        ? std::map<std::wstring, std::wstring>{{L"COM4:", L"4800,e,8,1"}}
                        : std::map<std::wstring, std::wstring>{});
        // The next round starts from this one's stored settings.
        PlantPortSentinels();
    }
    return checks.Failures();
}

}  // namespace e2e
