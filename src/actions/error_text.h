// The system's own description of an error code, for the message boxes and logs that report
// failures.
#pragma once

#include <string>

namespace portsetup {

// "Access is denied. (error 5)": the system's message text followed by the code, so that the
// code can be looked up when the text is in a language the reader does not know.
std::wstring SystemErrorText(unsigned long code);

}  // namespace portsetup
