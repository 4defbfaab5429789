#include "actions/spooler.h"

#include <vector>

#include "actions/last_error.h"
#include "actions/system_dll.h"
#include "model/text.h"

namespace portsetup {
namespace {

// A buffer for the spooler's two-call pattern: ask for the size, then for the data.
template <class Call>
std::vector<BYTE> Query(const char* what, Call call) {
    DWORD needed = 0;
    std::vector<BYTE> buffer;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (call(buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()),
                 &needed)) {
            return buffer;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            ThrowLastError(what);
        }
        buffer.resize(needed);
    }
    ThrowLastError(what);
}

// Where the local port monitor takes its commands.
constexpr wchar_t kLocalPortMonitor[] = L",XcvMonitor Local Port";

}  // namespace

Spooler::Spooler() : module_(RequireSystemDll(L"winspool.drv")) {
    openPrinter_ = Resolve<decltype(openPrinter_)>(module_.get(), "OpenPrinterW");
    getPrinter_ = Resolve<decltype(getPrinter_)>(module_.get(), "GetPrinterW");
    setPrinter_ = Resolve<decltype(setPrinter_)>(module_.get(), "SetPrinterW");
    closePrinter_ = Resolve<decltype(closePrinter_)>(module_.get(), "ClosePrinter");
    enumPrinterDrivers_ =
        Resolve<decltype(enumPrinterDrivers_)>(module_.get(), "EnumPrinterDriversW");
    enumPrinters_ = Resolve<decltype(enumPrinters_)>(module_.get(), "EnumPrintersW");
    enumPorts_ = Resolve<decltype(enumPorts_)>(module_.get(), "EnumPortsW");
    xcvData_ = Resolve<decltype(xcvData_)>(module_.get(), "XcvDataW");
}

Spooler::Printer Spooler::Open(std::wstring_view name, ACCESS_MASK access) const {
    std::wstring printerName(name);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    HANDLE opened = nullptr;
    if (!openPrinter_(printerName.data(), &opened, &defaults)) {
        opened = nullptr;
    }
    return Printer(opened, closePrinter_);
}

std::vector<BYTE> Spooler::ReadDetails(const Printer& printer) const {
    return Query("GetPrinterW", [&](BYTE* buffer, DWORD size, DWORD* needed) {
        return getPrinter_(printer.get(), 2, buffer, size, needed);
    });
}

std::optional<InstalledPrinter> Spooler::FindPrinter(std::wstring_view name) const {
    const Printer printer = Open(name, PRINTER_ACCESS_USE);
    if (!printer.get()) {
        if (GetLastError() == ERROR_INVALID_PRINTER_NAME) {
            return std::nullopt;
        }
        ThrowLastError("OpenPrinterW");
    }
    const std::vector<BYTE> info = ReadDetails(printer);
    const auto* read = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
    return InstalledPrinter{read->pPortName ? read->pPortName : L"",
                            read->pDriverName ? read->pDriverName : L""};
}

std::optional<std::uint64_t> Spooler::DriverVersion(std::wstring_view model) const {
    DWORD count = 0;
    const std::vector<BYTE> info =
        Query("EnumPrinterDriversW", [&](BYTE* buffer, DWORD size, DWORD* needed) {
            return enumPrinterDrivers_(nullptr, nullptr, 6, buffer, size, needed, &count);
        });
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_6W*>(info.data());
    for (DWORD i = 0; i < count; ++i) {
        if (drivers[i].pName && SameTextIgnoringCase(drivers[i].pName, model)) {
            return drivers[i].dwlDriverVersion;
        }
    }
    return std::nullopt;
}

std::wstring Spooler::PrintersUsing(std::wstring_view model) const {
    DWORD count = 0;
    const std::vector<BYTE> info =
        Query("EnumPrintersW", [&](BYTE* buffer, DWORD size, DWORD* needed) {
            return enumPrinters_(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, &count);
        });
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
    std::wstring users;
    for (DWORD i = 0; i < count; ++i) {
        if (printers[i].pDriverName && SameTextIgnoringCase(printers[i].pDriverName, model)) {
            users = Concat({users, users.empty() ? L"" : L", ",
                            Quoted(printers[i].pPrinterName ? printers[i].pPrinterName : L"")});
        }
    }
    return users;
}

void Spooler::ChangePrinter(std::wstring_view name, std::wstring_view port,
                            std::wstring_view driver) const {
    const Printer printer = Open(name, PRINTER_ALL_ACCESS);
    if (!printer.get()) {
        ThrowLastError("OpenPrinterW");
    }
    std::vector<BYTE> info = ReadDetails(printer);
    auto* change = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
    // Another driver's private printing defaults mean nothing to this one: the spooler then keeps
    // what it has and lets the new driver read it.
    if (!change->pDriverName || !SameTextIgnoringCase(change->pDriverName, driver)) {
        change->pDevMode = nullptr;
    }
    std::wstring newPort(port);
    std::wstring newDriver(driver);
    change->pPortName = newPort.data();
    change->pDriverName = newDriver.data();
    // Security is left as it is: the spooler keeps it when no descriptor is given.
    change->pSecurityDescriptor = nullptr;
    if (!setPrinter_(printer.get(), 2, info.data(), 0)) {
        ThrowLastError("SetPrinterW");
    }
}

bool Spooler::HasPort(std::wstring_view port) const {
    DWORD count = 0;
    const std::vector<BYTE> info =
        Query("EnumPortsW", [&](BYTE* buffer, DWORD size, DWORD* needed) {
            return enumPorts_(nullptr, 1, buffer, size, needed, &count);
        });
    const auto* ports = reinterpret_cast<const PORT_INFO_1W*>(info.data());
    for (DWORD i = 0; i < count; ++i) {
        if (ports[i].pName && SameTextIgnoringCase(ports[i].pName, port)) {
            return true;
        }
    }
    return false;
}

void Spooler::AddLocalPort(std::wstring_view port) const {
    const Printer monitor = Open(kLocalPortMonitor, SERVER_ACCESS_ADMINISTER);
    if (!monitor.get()) {
        ThrowLastError("OpenPrinterW(XcvMonitor Local Port)");
    }
    std::wstring name(port);
    DWORD needed = 0;
    DWORD status = ERROR_SUCCESS;
    if (!xcvData_(monitor.get(), L"AddPort", reinterpret_cast<BYTE*>(name.data()),
                  static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)), nullptr, 0, &needed,
                  &status)) {
        ThrowLastError("XcvDataW(AddPort)");
    }
    if (status != ERROR_SUCCESS) {
        ThrowSystemError(status, "AddPort");
    }
}

}  // namespace portsetup
