// Where an install leaves its detection value (model/detection_value.h) for deployment tools'
// registry rules: HKEY_LOCAL_MACHINE\SOFTWARE\portsetup, a REG_SZ value named after the queue
// ("Tarvik(Cut Mode)" for the default one), so that each printer gets a rule of its own; in the
// registry's 64-bit view, which is the view Intune's and Configuration Manager's rules read on
// 64-bit Windows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace portsetup {

inline constexpr std::wstring_view kDetectionKeyPath = L"SOFTWARE\\portsetup";

// Creates the key when missing. Returns ERROR_SUCCESS or the failed call's status.
long WriteDetectionValue(std::wstring_view queue, std::wstring_view text);

// The value's text, for the log of a removal; nothing when there is no such string value.
std::optional<std::wstring> ReadDetectionValue(std::wstring_view queue);

// A value or key that is not there counts as deleted. Returns ERROR_SUCCESS or the failed call's
// status.
long DeleteDetectionValue(std::wstring_view queue);

}  // namespace portsetup
