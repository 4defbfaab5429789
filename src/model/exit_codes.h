// How the tool ends, for whoever started it: a person, a batch file or a deployment tool. Every
// code the tool returns is here, with what it means; /? and the Windows guide (the zip's
// README.txt) show this table. Where Windows Installer has a code for the same situation, the tool
// uses it, so that deployment tools read it as they read an installer's. What a printer's answer
// means gets the system's own error code for it, which `net helpmsg` explains.
#pragma once

#include <array>
#include <string_view>

namespace portsetup {

enum ExitCode : int {
    kExitDone = 0,
    kExitFailed = 1,
    kExitSettingsNotSaved = 2,
    kExitInvalidData = 13,           // ERROR_INVALID_DATA
    kExitBadUnit = 20,               // ERROR_BAD_UNIT
    kExitNotReady = 21,              // ERROR_NOT_READY
    kExitOutOfPaper = 28,            // ERROR_OUT_OF_PAPER
    kExitBusy = 170,                 // ERROR_BUSY
    kExitQueueOfOtherDriver = 183,   // ERROR_ALREADY_EXISTS
    kExitDeviceNotConnected = 1167,  // ERROR_DEVICE_NOT_CONNECTED
    kExitSetupTimedOut = 1460,       // ERROR_TIMEOUT
    kExitInstallFailed = 1603,       // ERROR_INSTALL_FAILURE
    kExitAlreadyRunning = 1618,      // ERROR_INSTALL_ALREADY_RUNNING
    kExitPackageMissing = 1619,      // ERROR_INSTALL_PACKAGE_OPEN_FAILED
    kExitLogFailed = 1622,           // ERROR_INSTALL_LOG_FAILURE
    kExitForbiddenByPolicy = 1625,   // ERROR_INSTALL_PACKAGE_REJECTED
    kExitInvalidCommandLine = 1639,  // ERROR_INVALID_COMMAND_LINE
};

// What a code means to whoever reads it: the log and console of an unattended run, and a person
// who ran the dialog, where the dialog can end with it at all.
struct ExitCodeMeaning {
    ExitCode code;
    std::wstring_view unattended;
    std::wstring_view dialog = {};  // empty: the dialog never ends with this code
};

inline constexpr std::array<ExitCodeMeaning, 17> kExitCodeMeanings{{
    {kExitDone, L"done", L"done, or closed with nothing done"},
    {kExitFailed, L"a set-up command could not be started",
     L"a set-up command could not be started, Velmoset.INF is missing, or Windows protected "
     L"print mode is on"},
    {kExitSettingsNotSaved, L"the printer was set up, but the port settings were not stored",
     L"the printer's set-up command was started, but the port settings were not stored"},
    {kExitInvalidData,
     L"the printer's answer is not a status byte: another speed or data format, or another "
     L"device"},
    {kExitBadUnit, L"this PC has no such COM port"},
    {kExitNotReady,
     L"the printer answered, but is not ready: cover open, paper being fed, or an "
     L"error"},
    {kExitOutOfPaper, L"the printer answered: paper end"},
    {kExitBusy, L"another program holds the port; it was left alone"},
    {kExitQueueOfOtherDriver,
     L"a printer of that /name exists with another model's driver; it was left alone"},
    {kExitDeviceNotConnected,
     L"no present printer or serial adapter matches /device ID, or the printer did not answer "
     L"or went away"},
    {kExitSetupTimedOut,
     L"a set-up command did not end within its time limit and was stopped, with all it started; "
     L"or the printer's port hung"},
    {kExitInstallFailed,
     L"the system does not show the printer as asked (installed, moved or removed), or a step "
     L"toward it failed"},
    {kExitAlreadyRunning, L"another unattended run is under way"},
    {kExitPackageMissing, L"Velmoset.INF is not beside portsetup.exe"},
    {kExitLogFailed, L"the log cannot be written"},
    {kExitForbiddenByPolicy,
     L"Windows protected print mode is on: it allows no driver but Microsoft's own"},
    {kExitInvalidCommandLine, L"the command line is not valid"},
}};

// 1167 on the last line of a run without /device, which no device matching can have caused.
inline constexpr std::wstring_view kNotAnsweredMeaning = L"the printer did not answer or went away";

}  // namespace portsetup
