// Where an install leaves its detection value (model/detection_value.h) for deployment tools'
// registry rules: HKEY_LOCAL_MACHINE\SOFTWARE\portsetup, value "Tarvik(Cut Mode)", REG_SZ, in the
// registry's 64-bit view, which is the view Intune's and Configuration Manager's rules read on
// 64-bit Windows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace portsetup {

inline constexpr std::wstring_view kDetectionKeyPath = L"SOFTWARE\\portsetup";

// Creates the key when missing. Returns ERROR_SUCCESS or the failed call's status.
long WriteDetectionValue(std::wstring_view text);

// The value's text, for the log of a removal; nothing when there is no such string value.
std::optional<std::wstring> ReadDetectionValue();

// A value or key that is not there counts as deleted. Returns ERROR_SUCCESS or the failed call's
// status.
long DeleteDetectionValue();

}  // namespace portsetup
