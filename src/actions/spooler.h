// The print spooler: what it reports of the printer, its driver and the ports, and the changes an
// unattended run makes through it where the set-up entry point would remove and re-create a queue.
#pragma once

#include <windows.h>

#include <winspool.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/installed_printer.h"
#include "actions/win32_handles.h"

namespace portsetup {

class Spooler {
  public:
    // Loads the spooler's client DLL from the system folder. The dialog never needs it, so it is
    // not imported: it would be loaded at every start, and a DLL that is not one of the system's
    // known DLLs would first be looked for beside the program. Throws SystemCallFailed.
    Spooler();

    // The local printer of that name, or nothing when there is none. Throws SystemCallFailed
    // when the spooler cannot tell; so do the other calls.
    std::optional<InstalledPrinter> FindPrinter(std::wstring_view name) const;
    // The version of the installed driver of that model for this system's platform (0 when the
    // system keeps none), or nothing when no such driver is installed.
    std::optional<std::uint64_t> DriverVersion(std::wstring_view model) const;
    // The local printers that use the driver of that model, as a log lists them: each name in
    // quotes, separated by commas; empty when there are none. Windows keeps a driver while any
    // printer uses it.
    std::wstring PrintersUsing(std::wstring_view model) const;
    // Gives the printer another port and driver in place: the queue keeps its name, sharing,
    // security, printing defaults and whoever chose it as their default printer.
    void ChangePrinter(std::wstring_view name, std::wstring_view port,
                       std::wstring_view driver) const;

    // Whether a port monitor offers the port ("COM7:").
    bool HasPort(std::wstring_view port) const;
    // Adds the port to the local port monitor, as "Add a port > Local Port" does.
    void AddLocalPort(std::wstring_view port) const;

  private:
    // An open printer or monitor handle, closed through the loaded DLL.
    using Printer = UniqueAny<HANDLE, decltype(&::ClosePrinter)>;
    Printer Open(std::wstring_view name, ACCESS_MASK access) const;
    // The printer's PRINTER_INFO_2 with the strings it points to, in one buffer.
    std::vector<BYTE> ReadDetails(const Printer& printer) const;

    UniqueHmodule module_;
    decltype(&::OpenPrinterW) openPrinter_ = nullptr;
    decltype(&::GetPrinterW) getPrinter_ = nullptr;
    decltype(&::SetPrinterW) setPrinter_ = nullptr;
    decltype(&::ClosePrinter) closePrinter_ = nullptr;
    decltype(&::EnumPrinterDriversW) enumPrinterDrivers_ = nullptr;
    decltype(&::EnumPrintersW) enumPrinters_ = nullptr;
    decltype(&::EnumPortsW) enumPorts_ = nullptr;
    decltype(&::XcvDataW) xcvData_ = nullptr;
};

}  // namespace portsetup
