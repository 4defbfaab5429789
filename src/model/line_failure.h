// What it means when a call on the printer's port fails or does not return: the open's failures
// (another program, no such port), a line that goes away after the open, and the deadline on the
// whole exchange, each with its exit code and what to do.
#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>

#include "model/printer_status.h"

namespace portsetup {

// The outcome when call (the system function's name) failed on port with systemError. The open,
// CreateFileW: held by another program (ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION) gives
// ERROR_BUSY; not there (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND) gives ERROR_BAD_UNIT. Any call
// after the open that fails as a USB adapter does once pulled out (5, 22, 31, 433, 1167) gives
// ERROR_DEVICE_NOT_CONNECTED, saying so, as does a USB port with no printer plugged in on it
// (1167); anything else, a printer that cannot be reached.
CheckResult LineFailure(std::string_view call, unsigned long systemError, std::wstring_view port,
                        const QueryCommands& commands);

// Whether /detect goes on to the next speed after call failed with systemError: only when
// SetCommState refuses the speed (ERROR_INVALID_PARAMETER).
bool SpeedRefused(std::string_view call, unsigned long systemError);

// How long the whole exchange with the port may take, the open included, for the number of
// speeds tried: each request's wait and its second wait, and a margin for the open.
std::chrono::milliseconds ExchangeDeadline(std::size_t speeds);

// The outcome when call had not returned on port by the deadline: ERROR_TIMEOUT.
CheckResult DeadlinePassed(std::string_view call, std::chrono::milliseconds deadline,
                           std::wstring_view port, const QueryCommands& commands);

}  // namespace portsetup
