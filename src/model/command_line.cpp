#include "model/command_line.h"

#include <array>
#include <optional>
#include <vector>

#include "model/port_name.h"
#include "model/queue_name.h"
#include "model/settings_string.h"
#include "model/text.h"

namespace portsetup {
namespace {

enum Switch {
    kHelp,
    kInstall,
    kRemove,
    kSettings,
    kTimeout,
    kLog,
    kDevice,
    kName,
    kCheck,
    kDetect,
    kSwitchCount
};

// A value that is optional is taken when the next argument is not a switch.
enum class Value { None, Required, Optional };
struct SwitchInfo {
    std::wstring_view name;
    Value value;
};
constexpr std::array<SwitchInfo, kSwitchCount> kSwitches{{
    {L"?", Value::None},
    {L"install", Value::Optional},  // the port, or none with /device
    {L"remove", Value::None},
    {L"settings", Value::Required},
    {L"timeout", Value::Required},
    {L"log", Value::Required},
    {L"device", Value::Required},
    {L"name", Value::Required},
    {L"check", Value::Optional},   // the port, or none with /device or after /install
    {L"detect", Value::Optional},  // the port, or none with /device
}};

// A day: a command that takes longer is not coming back.
constexpr unsigned long kLongestTimeout = 86'400;

bool IsSwitch(std::wstring_view arg) {
    return arg.size() > 1 && (arg[0] == L'/' || arg[0] == L'-');
}

// For a switch written joined to its value, as other tools write them ("/settings:19200,n,8,1",
// "/timeout=60"), the reason that says where the blank goes; nothing for any other arg.
std::optional<std::wstring> JoinedValueReason(std::wstring_view arg) {
    const std::size_t joint = arg.find_first_of(L":=");
    if (joint == std::wstring_view::npos) {
        return std::nullopt;
    }
    for (const SwitchInfo& info : kSwitches) {
        if (info.value != Value::None &&
            SameTextIgnoringCase(info.name, arg.substr(1, joint - 1))) {
            const std::wstring_view value = arg.substr(joint + 1);
            const bool blank = value.find_first_of(L" \t") != std::wstring_view::npos;
            return Concat({L"the switch ", Quoted(arg.substr(0, joint)),
                           L" is joined to its value in ", Quoted(arg),
                           L"; put a blank between them: ", arg.substr(0, joint), L" ",
                           blank ? Quoted(value) : std::wstring(value), L"."});
        }
    }
    return std::nullopt;
}

}  // namespace

namespace {

// The first fault is the one reported; reading goes on so that a /log given after it is still
// found.
// /settings detect, detect,x or detect,p (or anything else that starts so), in any letter case.
bool NamesDetection(std::wstring_view settings) {
    return SameTextIgnoringCase(settings.substr(0, 6), L"detect");
}

void Fail(CommandLine& result, std::wstring reason) {
    if (result.error.empty()) {
        result.error = std::move(reason);
    }
}

// The port the switch named gives (port), or /device's ID in its place: exactly one of them.
// accepted names the ports the switch takes, for the reason. Returns whether it was read.
bool ReadPortOrDevice(std::wstring_view name, const std::wstring& port,
                      const std::optional<std::wstring>& device, std::wstring_view accepted,
                      CommandLine& result) {
    if (port.empty() == !device) {
        Fail(result, Concat({name, L" takes either a port or /device ID."}));
        return false;
    }
    if (device) {
        // The device's port is found when the run starts: a COM port, or a USB printer's.
        result.device = *device;
    } else if (auto read = ReadPortName(port)) {
        result.port = std::move(*read);
    } else {
        Fail(result, Concat({L"the port ", Quoted(port), L" is not one of ", accepted, L"."}));
        return false;
    }
    return true;
}

// /check and /detect: the port, or /device, and for /check the settings to ask at.
void ReadPrinterQuery(const std::array<std::optional<std::wstring>, kSwitchCount>& given,
                      CommandLine& result) {
    const auto fail = [&result](std::wstring reason) { Fail(result, std::move(reason)); };
    const bool detect = given[kDetect].has_value();
    const std::wstring_view name = detect ? L"/detect" : L"/check";
    result.mode = detect ? RunMode::Detect : RunMode::Check;
    if (given[kInstall] || given[kRemove] || (detect && given[kCheck])) {
        fail(detect ? L"/detect goes without /install, /remove and /check."
                    : L"/check goes without /remove.");
    } else if (given[kTimeout]) {
        fail(L"/timeout goes with /install and /remove only.");
    } else if (detect && given[kSettings]) {
        fail(L"/detect takes no /settings: it tries the speeds itself.");
    } else if (ReadPortOrDevice(name, *given[detect ? kDetect : kCheck], given[kDevice],
                                L"COM1 to COM256, USB001 to USB999", result) &&
               result.device.empty() && !IsComPortName(result.port) &&
               !IsUsbPortName(result.port)) {
        fail(Concat({result.port, L" is a parallel port, which does not answer status requests."}));
    } else if (IsUsbPortName(result.port) && (detect || given[kSettings])) {
        fail(NoLineSettingsReason(result.port));
    }
    if (given[kSettings] && !detect && result.error.empty()) {
        result.settingsGiven = true;
        // detect,x and detect,p too: the handshake goes with the install as well.
        if (NamesDetection(*given[kSettings])) {
            fail(
                L"/settings detect goes with /install, which then sets the printer up at the "
                L"settings found; to find them without setting anything up, give /detect in "
                L"place of /check.");
        } else if (auto reason = ReadSettings(*given[kSettings], result.settings)) {
            fail(*reason);
        }
    }
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::wstring> args) {
    CommandLine result;
    result.settings = DefaultListTexts();
    std::array<std::optional<std::wstring>, kSwitchCount> given;
    const auto fail = [&result](std::wstring reason) { Fail(result, std::move(reason)); };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (!IsSwitch(arg)) {
            fail(Concat({L"unexpected value ", Quoted(arg), L"."}));
            continue;
        }
        const std::wstring_view name = std::wstring_view(arg).substr(1);
        std::size_t which = 0;
        while (which < kSwitchCount && !SameTextIgnoringCase(kSwitches[which].name, name)) {
            ++which;
        }
        if (which == kSwitchCount) {
            fail(JoinedValueReason(arg).value_or(Concat({L"unknown switch ", Quoted(arg), L"."})));
            continue;
        }
        std::wstring value;
        if (kSwitches[which].value != Value::None) {
            const bool next = i + 1 < args.size() && !IsSwitch(args[i + 1]);
            // An empty queue name gets the reason a queue name is refused for.
            if (next && (!args[i + 1].empty() || which == kName)) {
                value = args[++i];
            } else if (kSwitches[which].value == Value::Required || next) {
                fail(Concat({L"the switch ", Quoted(arg), L" needs a value."}));
                continue;
            }
        }
        if (given[which]) {
            fail(Concat({L"the switch ", Quoted(arg), L" is given twice."}));
            continue;
        }
        given[which] = std::move(value);
    }
    if (given[kLog]) {
        result.logPath = *given[kLog];
    }

    if (args.empty() || !result.error.empty()) {
        return result;
    }
    if (given[kHelp]) {
        // Beside other switches it shows no box: under a deployment tool nobody could close it.
        if (args.size() == 1) {
            result.mode = RunMode::Help;
        } else {
            fail(L"/? goes alone; it shows how to call the tool in a message box.");
        }
        return result;
    }
    if (given[kTimeout]) {
        if (const auto seconds = ReadDecimal(*given[kTimeout], kLongestTimeout)) {
            result.timeout = std::chrono::seconds(*seconds);
        } else {
            fail(Concat({L"the timeout ", Quoted(*given[kTimeout]),
                         L" is not a number of seconds from 1 to ", DecimalText(kLongestTimeout),
                         L"."}));
            return result;
        }
    }
    if (given[kDetect] || (given[kCheck] && !given[kInstall])) {
        ReadPrinterQuery(given, result);
    } else if (given[kInstall] && given[kRemove]) {
        fail(L"/install and /remove cannot be given together.");
    } else if (given[kRemove]) {
        result.mode = RunMode::Remove;
        if (given[kSettings] || given[kDevice]) {
            fail(given[kSettings] ? L"/settings goes with /install only."
                                  : L"/device goes with /install, /check and /detect only.");
        }
    } else if (given[kInstall]) {
        result.mode = RunMode::Install;
        if (!ReadPortOrDevice(L"/install", *given[kInstall], given[kDevice],
                              L"COM1 to COM256, LPT1 to LPT3, USB001 to USB999", result)) {
            return result;
        }
        if (given[kSettings]) {
            result.settingsGiven = true;
            if (IsUsbPortName(result.port)) {
                fail(NoLineSettingsReason(result.port));
            } else if (result.device.empty() && !IsComPortName(result.port)) {
                fail(Concat({L"/settings goes with a COM port only; ", result.port,
                             L" is a parallel port."}));
            } else if (const std::wstring_view value = *given[kSettings]; NamesDetection(value)) {
                // detect,x or detect,p: the handshake, which detection cannot find.
                result.detectSettings = true;
                const std::wstring_view flow = value.substr(6);
                if (SameTextIgnoringCase(flow, L",x") || SameTextIgnoringCase(flow, L",p")) {
                    result.detectFlow = {L',', static_cast<wchar_t>(std::towlower(flow[1]))};
                } else if (!flow.empty()) {
                    fail(Concat({L"the settings ", Quoted(value),
                                 L" are not detect, detect,x or detect,p."}));
                }
            } else if (auto reason = ReadSettings(*given[kSettings], result.settings)) {
                fail(*reason);
            }
        }
        if (given[kCheck]) {
            result.checkAfterInstall = true;
            if (!given[kCheck]->empty()) {
                fail(L"/check after /install takes no port: it checks the printer just set up.");
            } else if (result.device.empty() && !IsComPortName(result.port) &&
                       !IsUsbPortName(result.port)) {
                fail(Concat({L"/check goes with a COM or USB port only; ", result.port,
                             L" is a parallel port."}));
            }
        }
    } else {
        fail(L"give /install PORT, /remove, /check PORT or /detect PORT.");
    }
    if (given[kName]) {
        if (result.mode != RunMode::Install && result.mode != RunMode::Remove) {
            fail(L"/name goes with /install or /remove only.");
        } else if (auto fault = QueueNameFault(*given[kName])) {
            fail(*fault);
        } else {
            result.queue = *given[kName];
        }
    }
    return result;
}

bool AsksLineSettings(const CommandLine& commandLine) {
    return commandLine.mode == RunMode::Detect || commandLine.detectSettings ||
           commandLine.settingsGiven;
}

std::wstring NoLineSettingsReason(std::wstring_view port) {
    return Concat({port,
                   L" is a USB printer's port, and a USB printer has no line settings: "
                   L"leave out /settings, and use /check in place of /detect."});
}

}  // namespace portsetup
