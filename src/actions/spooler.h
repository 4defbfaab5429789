// What the print spooler reports of the printer and its driver: how an unattended run learns
// whether the set-up commands did what they were asked.
#pragma once

#include <windows.h>

#include <winspool.h>

#include <optional>
#include <string>
#include <string_view>

#include "actions/printer_commands.h"
#include "actions/win32_handles.h"

namespace portsetup {

class Spooler {
  public:
    // Loads the spooler's client DLL from the system folder. The dialog never needs it, so it is
    // not imported: it would be loaded at every start, and a DLL that is not one of the system's
    // known DLLs would first be looked for beside the program. Throws std::system_error.
    Spooler();

    // The local printer of that name, or nothing when there is none. Throws std::system_error
    // when the spooler cannot tell.
    std::optional<InstalledPrinter> FindPrinter(std::wstring_view name) const;
    // Whether a printer driver of that model is installed for this system's platform.
    bool HasDriver(std::wstring_view model) const;

  private:
    UniqueHmodule module_;
    decltype(&::OpenPrinterW) openPrinter_ = nullptr;
    decltype(&::GetPrinterW) getPrinter_ = nullptr;
    decltype(&::ClosePrinter) closePrinter_ = nullptr;
    decltype(&::EnumPrinterDriversW) enumPrinterDrivers_ = nullptr;
};

}  // namespace portsetup
