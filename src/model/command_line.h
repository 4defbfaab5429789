// The tool's command line. Without arguments the tool opens its dialog; with /install or /remove it
// sets the printer up, or removes it, with nobody at the screen, as deployment tools run it:
//
//   portsetup.exe /install PORT [/settings SETTINGS] [/log FILE]
//   portsetup.exe /remove [/log FILE]
//   portsetup.exe /?
//
// A valid command line becomes the same port selection and list texts that the dialog's controls
// hold, so that both ways run through the same port names, settings string and stored value.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/port_selection.h"
#include "model/setting_lists.h"

namespace portsetup {

enum class RunMode { Dialog, Help, Install, Remove };

struct CommandLine {
    RunMode mode = RunMode::Dialog;
    PortSelection selection;    // /install's port, chosen as a click on its option would
    SettingListTexts settings;  // /settings as the lists' picked texts; the lists' defaults if none
    std::wstring logPath;       // empty: no log
    std::wstring error;         // why the command line is not valid; empty when it is
};

// args are the arguments after the program's name. Switches are case-insensitive and may start
// with "/" or "-". When the command line is not valid, error says why, and logPath still holds
// the /log value if one was given, so that the reason can be logged.
CommandLine ParseCommandLine(std::span<const std::wstring> args);

// The text /? shows.
std::wstring UsageText(std::wstring_view version);

}  // namespace portsetup
