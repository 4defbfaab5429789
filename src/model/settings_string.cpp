#include "model/settings_string.h"

#include <array>
#include <vector>

#include "model/text.h"

namespace portsetup {
namespace {

// The stored settings string's fields, in their order, and the list each one comes from; the
// flow-control field follows as an optional fifth.
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

}  // namespace

std::wstring ComposeSettingsString(const SettingListTexts& listTexts) {
    std::wstring settings = SettingCode(listTexts[kBitsList]);
    settings.append(L",").append(SettingCode(listTexts[kParityList]));
    settings.append(L",").append(SettingCode(listTexts[kDataList]));
    settings.append(L",").append(SettingCode(listTexts[kStopList]));
    settings.append(SettingCode(listTexts[kFlowList]));
    return settings;
}

LineSettings ReadLineSettings(const SettingListTexts& listTexts) {
    LineSettings line;
    for (const wchar_t digit : SettingCode(listTexts[kBitsList])) {
        line.bitsPerSecond = line.bitsPerSecond * 10 + static_cast<unsigned long>(digit - L'0');
    }
    const auto first = [&listTexts](int list) {
        const std::wstring code = SettingCode(listTexts[list]);
        return code.empty() ? L'?' : code.front();
    };
    line.dataBits = static_cast<unsigned char>(first(kDataList) - L'0');
    line.parity = static_cast<unsigned char>(std::wstring_view(L"noems").find(first(kParityList)));
    const std::wstring stop = SettingCode(listTexts[kStopList]);
    line.stopBits = stop == L"1" ? 0 : stop == L"1.5" ? 1 : 2;
    return line;
}

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
            // "n" for none, say: no flow control is no fifth field.
            const std::wstring none =
                field.list == kFlowList
                    ? Concat({L"; no flow control is written by leaving the field out: ",
                              text.substr(0, text.rfind(L','))})
                    : L"";
            return Concat({L"the ", field.what, L" ", Quoted(values[i]), L" in ", Quoted(text),
                           L" is not one of ", CodesOf(field.list), none, L"."});
        }
        read[field.list] = ListItemText(*entry);
    }
    texts = read;
    return std::nullopt;
}

std::wstring SettingsFieldsText(std::wstring_view indent) {
    std::wstring text;
    for (const Field& field : kFields) {
        text += Concat({indent, field.what, L": ", CodesOf(field.list), L"\n"});
    }
    return text +
           Concat({indent, L"flow control: ", CodesOf(kFlowList), L", or nothing for none\n"});
}

}  // namespace portsetup
