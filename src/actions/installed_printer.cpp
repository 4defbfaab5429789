#include "actions/installed_printer.h"

#include "actions/printer_commands.h"
#include "model/text.h"

namespace portsetup {

bool IsSetUpOn(const InstalledPrinter& printer, std::wstring_view portName) {
    return SameTextIgnoringCase(printer.port, portName) &&
           SameTextIgnoringCase(printer.driver, PrinterModelName);
}

}  // namespace portsetup
