#include "model/command_line.h"

#include <array>
#include <optional>
#include <vector>

#include "model/exit_codes.h"
#include "model/text.h"

namespace portsetup {
namespace {

enum Switch { kHelp, kInstall, kRemove, kSettings, kLog, kSwitchCount };

struct SwitchInfo {
    std::wstring_view name;
    bool takesValue;
};
constexpr std::array<SwitchInfo, kSwitchCount> kSwitches{{
    {L"?", false},
    {L"install", true},
    {L"remove", false},
    {L"settings", true},
    {L"log", true},
}};

// The stored settings string's fields, in their order, and the list each one comes from; the
// flow-control field follows as an optional fifth.
enum { kBitsList, kDataList, kParityList, kStopList, kFlowList };
struct Field {
    std::size_t list;
    std::wstring_view what;
};
constexpr std::array<Field, 4> kFields{{
    {kBitsList, L"bits per second"},
    {kParityList, L"parity"},
    {kDataList, L"data bits"},
    {kStopList, L"stop bits"},
}};

bool IsSwitch(std::wstring_view arg) {
    return arg.size() > 1 && (arg[0] == L'/' || arg[0] == L'-');
}

// The codes a field accepts, as the message of a bad value lists them.
std::wstring CodesOf(std::size_t list) {
    std::wstring codes;
    for (const SettingEntry& entry : SettingLists()[list].entries) {
        std::wstring_view code = entry.code;
        if (list == kFlowList) {
            if (code.empty()) {
                continue;  // no flow control is written as no fifth field
            }
            code.remove_prefix(1);  // the flow-control codes carry their own comma
        }
        codes = codes.empty() ? std::wstring(code) : Concat({codes, L", ", code});
    }
    return codes;
}

// The entry of list whose code is value, in any letter case.
const SettingEntry* FindCode(std::size_t list, std::wstring_view value) {
    for (const SettingEntry& entry : SettingLists()[list].entries) {
        std::wstring_view code = entry.code;
        if (list == kFlowList) {
            if (code.empty()) {
                continue;
            }
            code.remove_prefix(1);
        }
        if (SameTextIgnoringCase(code, value)) {
            return &entry;
        }
    }
    return nullptr;
}

// Chooses the option named by port ("com2", "LPT1:", ...) as a click on it would. Returns false
// when no option has that name.
bool ChoosePort(std::wstring_view port, PortSelection& selection) {
    std::wstring name(port);
    if (name.empty() || name.back() != L':') {
        name += L':';
    }
    for (std::size_t i = 0; i < kComOptionCount + kLptOptionCount; ++i) {
        PortSelection candidate;
        if (i < kComOptionCount) {
            candidate.ClickComOption(i);
        } else {
            candidate.ClickLptOption(i - kComOptionCount);
        }
        if (SameTextIgnoringCase(candidate.PortNameFromSelection(), name)) {
            selection = candidate;
            return true;
        }
    }
    return false;
}

// Reads "19200,n,8,1,p" into the texts the lists would hold with those entries picked. Returns
// why it cannot, or nothing.
std::optional<std::wstring> ReadSettings(std::wstring_view text, SettingListTexts& texts) {
    std::vector<std::wstring_view> values;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(L',', start);
        values.push_back(text.substr(start, comma - start));
        if (comma == std::wstring_view::npos) {
            break;
        }
        start = comma + 1;
    }
    const std::wstring form = L"BAUD,PARITY,DATA,STOP[,FLOW], for example 19200,n,8,1,p";
    if (values.size() < kFields.size() || values.size() > kFields.size() + 1) {
        return Concat({L"the settings ", Quoted(text), L" do not have the form ", form, L"."});
    }
    SettingListTexts read = DefaultListTexts();
    // Four fields mean no flow control: the entry whose code is empty.
    for (const SettingEntry& entry : SettingLists()[kFlowList].entries) {
        if (entry.code.empty()) {
            read[kFlowList] = ListItemText(entry);
        }
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Field field = i < kFields.size() ? kFields[i] : Field{kFlowList, L"flow control"};
        const SettingEntry* entry = FindCode(field.list, values[i]);
        if (!entry) {
            return Concat({L"the ", field.what, L" ", Quoted(values[i]), L" in ", Quoted(text),
                           L" is not one of ", CodesOf(field.list), L"."});
        }
        read[field.list] = ListItemText(*entry);
    }
    texts = read;
    return std::nullopt;
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::wstring> args) {
    CommandLine result;
    result.settings = DefaultListTexts();
    std::array<std::optional<std::wstring>, kSwitchCount> given;
    // The first fault is the one reported; reading goes on so that a /log given after it is
    // still found.
    auto fail = [&result](std::wstring reason) {
        if (result.error.empty()) {
            result.error = std::move(reason);
        }
    };
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
            fail(Concat({L"unknown switch ", Quoted(arg), L"."}));
            continue;
        }
        std::wstring value;
        if (kSwitches[which].takesValue) {
            if (i + 1 >= args.size() || IsSwitch(args[i + 1]) || args[i + 1].empty()) {
                fail(Concat({L"the switch ", Quoted(arg), L" needs a value."}));
                continue;
            }
            value = args[++i];
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

    if (given[kHelp]) {
        result.mode = RunMode::Help;
        result.error.clear();
        return result;
    }
    if (args.empty()) {
        return result;
    }
    if (!result.error.empty()) {
        return result;
    }
    if (given[kInstall] && given[kRemove]) {
        fail(L"/install and /remove cannot be given together.");
    } else if (given[kRemove]) {
        result.mode = RunMode::Remove;
        if (given[kSettings]) {
            fail(L"/settings goes with /install only.");
        }
    } else if (given[kInstall]) {
        result.mode = RunMode::Install;
        if (!ChoosePort(*given[kInstall], result.selection)) {
            fail(Concat({L"the port ", Quoted(*given[kInstall]),
                         L" is not one of COM1, COM2, COM3, COM4, LPT1, LPT2."}));
        } else if (given[kSettings]) {
            if (!result.selection.PropertiesEnabled()) {
                fail(Concat({L"/settings goes with a COM port only; ",
                             result.selection.PortNameFromSelection(), L" is a parallel port."}));
            } else if (auto reason = ReadSettings(*given[kSettings], result.settings)) {
                fail(*reason);
            }
        }
    } else {
        fail(L"give /install PORT or /remove.");
    }
    return result;
}

std::wstring UsageText(std::wstring_view version) {
    std::wstring text =
        Concat({L"portsetup ", version,
                L"\n\n"
                L"portsetup.exe\n"
                L"    Opens the \"Select Port Type\" dialog.\n\n"
                L"portsetup.exe /install PORT [/settings SETTINGS] [/log FILE]\n"
                L"    Sets up the printer on PORT with nobody at the screen, checks that\n"
                L"    the system shows it there, then stores a COM port's settings.\n"
                L"    PORT: COM1 to COM4, LPT1 or LPT2.\n"
                L"    SETTINGS (COM ports only): BAUD,PARITY,DATA,STOP[,FLOW], by default ",
                ComposeSettingsString(DefaultListTexts()), L".\n"});
    for (const Field& field : kFields) {
        text += Concat({L"        ", field.what, L": ", CodesOf(field.list), L"\n"});
    }
    text += Concat({L"        flow control: ", CodesOf(kFlowList), L", or nothing for none\n\n"});
    text +=
        L"portsetup.exe /remove [/log FILE]\n"
        L"    Removes the printer and its driver, and checks that neither remains.\n\n"
        L"/log FILE appends what the run did to FILE.\n\n"
        L"Exit codes:\n";
    for (const ExitCodeMeaning& exit : kExitCodeMeanings) {
        text += Concat({L"    ", DecimalText(static_cast<unsigned long>(exit.code)), L"  ",
                        exit.meaning, L"\n"});
    }
    return text;
}

}  // namespace portsetup
