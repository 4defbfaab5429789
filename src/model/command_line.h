// The tool's command line. Without arguments the tool opens its dialog; with /install or /remove it
// sets the printer up, or removes it, with nobody at the screen, as deployment tools run it:
//
//   portsetup.exe /install PORT [/name QUEUE] [/settings SETTINGS] [/timeout SECONDS] [/log FILE]
//   portsetup.exe /install /device ID [/name QUEUE] [/settings SETTINGS] [/timeout SECONDS] ...
//   portsetup.exe /remove [/name QUEUE] [/timeout SECONDS] [/log FILE]
//   portsetup.exe /check PORT|/device ID [/settings SETTINGS] [/log FILE]
//   portsetup.exe /detect PORT|/device ID [/log FILE]
//   portsetup.exe /?
//
// A valid command line becomes a port name and the list texts that the dialog's controls hold, so
// that both ways run through the same settings string and stored value. It takes more ports than
// the dialog offers: USB serial adapters are numbered COM5 and up, and USB printers have ports
// USB001 and up, which have no line settings.
#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/setting_lists.h"

namespace portsetup {

enum class RunMode { Dialog, Help, Install, Remove, Check, Detect };

// How long a set-up command may take unless /timeout says otherwise: one that has not ended by
// then is taken to wait for an answer nobody can give.
inline constexpr std::chrono::seconds kDefaultCommandTimeout{600};

struct CommandLine {
    RunMode mode = RunMode::Dialog;
    std::wstring port;    // /install's port: "COM1:" to "COM256:", "LPT1:" to "LPT3:", "USB001"...
    std::wstring device;  // or /device's ID, as given, when the port is to be found from it
    std::wstring queue;   // /name as given; empty: the queue named after the model
    SettingListTexts settings;  // /settings as the lists' picked texts; the lists' defaults if none
    std::chrono::seconds timeout = kDefaultCommandTimeout;  // for each set-up command
    std::wstring logPath;                                   // empty: no log
    std::wstring error;              // why the command line is not valid; empty when it is
    bool settingsGiven = false;      // /settings given (for /check: rather than the stored value)
    bool detectSettings = false;     // /install ... /settings detect
    std::wstring detectFlow;         // detect,x or detect,p: ",x" or ",p"; empty: the stored one
    bool checkAfterInstall = false;  // /install ... /check
};

// args are the arguments after the program's name. Switches are case-insensitive and may start
// with "/" or "-". When the command line is not valid, error says why, and logPath still holds
// the /log value if one was given, so that the reason can be logged.
CommandLine ParseCommandLine(std::span<const std::wstring> args);

// Whether the command asks for line settings (/settings, /settings detect, /detect), which a USB
// printer has none of.
bool AsksLineSettings(const CommandLine& commandLine);
// Why that is refused for a USB printer's port.
std::wstring NoLineSettingsReason(std::wstring_view port);

}  // namespace portsetup
