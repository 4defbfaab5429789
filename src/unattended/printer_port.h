// Which port an unattended run works on: the one its command line names, or that of the one
// present device /device ID names, which a USB serial adapter or USB printer keeps whatever COM
// or USB port number a PC gave it.
#pragma once

#include <string>

#include "model/command_line.h"
#include "unattended/run_context.h"

namespace portsetup {

// The port given, or that of /device. A device that is not there (1167), an ID that several
// devices hold (1639), or line settings asked of a USB printer (1639) end the run before anything
// is started.
std::wstring PortOf(RunContext& run, const CommandLine& commandLine);

// A COM port with no serial device present now, or a USB port with no USB printer plugged in on
// it: worth a word in the log, not a stop, since an adapter or printer may be unplugged while a
// fleet is set up.
void WarnWithoutDevice(SetupLog& log, const std::wstring& port);

}  // namespace portsetup
