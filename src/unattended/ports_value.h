// A serial port's line settings stored as its value under the Ports key, as the dialog stores
// them: what a run writes there, and what the log says it replaced.
#pragma once

#include <string>

#include "model/setting_lists.h"
#include "unattended/run_context.h"

namespace portsetup {

// Stores settings for port when it is a serial port; nothing for any other. Returns the exit code:
// 0, or 2 when the value cannot be written.
int StoreSettings(RunContext& run, const std::wstring& port, const SettingListTexts& settings);

}  // namespace portsetup
