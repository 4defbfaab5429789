#include "ports_registry.h"

#include "tool_session.h"

namespace e2e {
namespace {

struct KeyCloser {
    HKEY key = nullptr;
    ~KeyCloser() {
        if (key != nullptr) {
            RegCloseKey(key);
        }
    }
};

void Require(LSTATUS status, const char* what) {
    if (status != ERROR_SUCCESS) {
        throw Fatal(std::string(what) +
                    " failed: " + Utf8(SystemMessage(static_cast<DWORD>(status))));
    }
}

}  // namespace

bool PortsKeyExists() {
    KeyCloser opened;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_READ, &opened.key) == ERROR_SUCCESS;
}

RegistryValues ReadPortsValues() {
    KeyCloser opened;
    Require(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_READ, &opened.key),
            "opening the Ports key");
    RegistryValues values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        DWORD type = 0;
        BYTE data[4096];
        DWORD size = sizeof data;
        const LSTATUS status =
            RegEnumValueW(opened.key, index, name, &nameLength, nullptr, &type, data, &size);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        Require(status, "reading the Ports values");
        values[std::wstring(name, nameLength)] = {type, std::vector<BYTE>(data, data + size)};
    }
    return values;
}

void WritePortsString(const std::wstring& name, const std::wstring& text) {
    KeyCloser opened;
    Require(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_SET_VALUE, &opened.key),
            "opening the Ports key for writing");
    Require(RegSetValueExW(opened.key, name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            "planting a Ports value");
}

void WritePortsValue(const std::wstring& name, const RegistryValue& value) {
    KeyCloser opened;
    Require(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_SET_VALUE, &opened.key),
            "opening the Ports key for writing");
    Require(RegSetValueExW(opened.key, name.c_str(), 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size())),
            "planting a Ports value");
}

void DeletePortsValue(const std::wstring& name) {
    KeyCloser opened;
    Require(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_SET_VALUE, &opened.key),
            "opening the Ports key for writing");
    const LSTATUS status = RegDeleteValueW(opened.key, name.c_str());
    if (status != ERROR_FILE_NOT_FOUND) {
        Require(status, "removing a Ports value");
    }
}

RegistryValues PlantPortSentinels() {
    WritePortsString(L"COM1:", L"1200,e,7,2");
    WritePortsString(L"COM2:", L"1800,o,6,1.5");
    WritePortsString(L"COM3:", L"2400,m,5,2,x");
    WritePortsString(L"COM4:", L"4800,s,7,1,p");
    return ReadPortsValues();
}

RegistryValue StringValue(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

std::optional<DWORD> AnsiValueSize(const std::wstring& name) {
    KeyCloser opened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_READ, &opened.key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::string ansiName = Utf8(name);  // port names are plain ASCII
    DWORD size = 0;
    if (RegQueryValueExA(opened.key, ansiName.c_str(), nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return size;
}

std::string DescribeValue(const RegistryValue& value) {
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        std::wstring text(value.data.size() / sizeof(wchar_t), L'\0');
        std::copy(value.data.begin(),
                  value.data.begin() + static_cast<std::ptrdiff_t>(text.size() * sizeof(wchar_t)),
                  reinterpret_cast<BYTE*>(text.data()));
        const bool terminated = !text.empty() && text.back() == L'\0';
        if (terminated) {
            text.pop_back();
        }
        return "REG_SZ " + Show(text) + (terminated ? "" : " (no terminating zero)");
    }
    return "type " + std::to_string(value.type) + ", " + std::to_string(value.data.size()) +
           " bytes";
}

void DeletePortsKey() {
    Require(RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPortsKey), "removing the Ports key");
}

}  // namespace e2e
