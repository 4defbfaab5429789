// The machine's Ports registry key as the scenarios see it: every value before and after a run,
// known values planted before a run, and the key taken away and put back.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

inline constexpr wchar_t kPortsKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RegistryValue&) const = default;
};
using RegistryValues = std::map<std::wstring, RegistryValue>;

bool PortsKeyExists();
RegistryValues ReadPortsValues();  // fatal when the key is missing
void WritePortsString(const std::wstring& name, const std::wstring& text);
void WritePortsValue(const std::wstring& name, const RegistryValue& value);
void DeletePortsValue(const std::wstring& name);  // nothing when there is none
// Plants a different known settings string under each of COM1: to COM4: (none of them the
// tool's defaults), so that any write the tool makes shows, and returns all values afterwards.
RegistryValues PlantPortSentinels();
RegistryValue StringValue(const std::wstring& text);  // REG_SZ as the wide registry calls read it
// The size the 8-bit registry calls report for a string value (the stored byte count).
std::optional<DWORD> AnsiValueSize(const std::wstring& name);
std::string DescribeValue(const RegistryValue& value);

// Removes the Ports key with everything under it, for good: only for a prefix of the run's own.
void DeletePortsKey();

}  // namespace e2e
