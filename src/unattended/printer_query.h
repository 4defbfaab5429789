// The printer asked over its serial line or its USB printing interface: /check, /detect, and the
// same steps within /install (/settings detect, /check). Each says in the log what was sent, what
// came back and what to do.
// The whole exchange with the port, its open included, ends within a deadline.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/command_line.h"
#include "model/line_failure.h"
#include "model/printer_status.h"
#include "model/setting_lists.h"
#include "model/speed_detection.h"
#include "unattended/setup_log.h"

namespace portsetup {

// The /check and /detect commands for the port that commandLine names, as the advice shows them.
QueryCommands QueryCommandsFor(const CommandLine& commandLine);

// The settings /check asks at: /settings when given, or else the port's stored value, or else
// the dialog's defaults; the log says which. A USB port has none to choose.
SettingListTexts SettingsToCheck(const CommandLine& commandLine, const std::wstring& port,
                                 SetupLog& log);

// Asks the printer on port ("COM7:" at settings, or "USB001"). Returns the exit code.
int CheckPrinter(SetupLog& log, const std::wstring& port, const SettingListTexts& settings,
                 const QueryCommands& commands);

struct Detection {
    std::optional<SettingListTexts> settings;  // where the printer answered
    int exitCode;                              // the check's at those settings, or why none
};
// Tries the detection speeds on the COM port until the printer answers, then checks it there.
Detection DetectPrinter(SetupLog& log, const std::wstring& port, const QueryCommands& commands);

// /install ... /settings detect once a speed was found: the settings to set up, with the
// handshake kept (DetectedSettings), as the log says.
SettingListTexts SettingsForInstall(SetupLog& log, const CommandLine& commandLine,
                                    const std::wstring& port, const Detection& found);

// The outcome of /check or /detect in a message box, for a person who started the tool without a
// console.
void ShowCheckResult(const std::wstring& text, int exitCode);

}  // namespace portsetup
