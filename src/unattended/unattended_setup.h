// The tool run by a deployment tool: /install and /remove with nobody at the screen, and a
// command line that is not valid. No window and no message box appears; what the run does goes
// to the log and the starter's console, and its outcome is the exit code.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/command_line.h"

namespace portsetup {

// Runs what commandLine asks for, or reports why it is not valid. args are the command line's
// arguments as given, for the log. The outcome of /check and /detect goes to a message box when
// it reaches nobody otherwise and desktopVisible says somebody can see one. Returns the exit code.
int RunUnattended(const CommandLine& commandLine, std::span<const std::wstring> args,
                  std::wstring_view version, bool desktopVisible) noexcept;

}  // namespace portsetup
