// A printer as the spooler reports it, and whether it is the one an install asked for.
#pragma once

#include <string>
#include <string_view>

namespace portsetup {

struct InstalledPrinter {
    std::wstring port;    // "COM2:"; several ports joined by commas for a pooled printer
    std::wstring driver;  // the driver model
};

// Whether printer is the one the install command sets up on portName: that port alone, and the
// driver model. Port and driver names are compared in any letter case, as Windows does.
bool IsSetUpOn(const InstalledPrinter& printer, std::wstring_view portName);

}  // namespace portsetup
