// Which port an unattended run works on: the one its command line names, or that of the one
// present device /device ID names, which a USB serial adapter keeps whatever COM number a PC
// gave it.
#pragma once

#include <string>

#include "model/command_line.h"
#include "unattended/run_context.h"

namespace portsetup {

// The port given, or that of /device. A device that is not there (1167), or an ID that several
// devices hold (1639), ends the run before anything is started.
std::wstring PortOf(RunContext& run, const CommandLine& commandLine);

// A COM port with no serial device present now: worth a word in the log, not a stop, since an
// adapter may be unplugged while a fleet is set up.
void WarnWithoutSerialDevice(SetupLog& log, const std::wstring& port);

}  // namespace portsetup
