#include "actions/spooler.h"

#include <system_error>
#include <vector>

#include "actions/system_dll.h"
#include "model/text.h"

namespace portsetup {
namespace {

[[noreturn]] void ThrowLastError(const char* what) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

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

}  // namespace

Spooler::Spooler() : module_(LoadSystemDll(L"winspool.drv")) {
    if (!module_) {
        ThrowLastError("LoadLibraryExW(winspool.drv)");
    }
    openPrinter_ = Resolve<decltype(openPrinter_)>(module_.get(), "OpenPrinterW");
    getPrinter_ = Resolve<decltype(getPrinter_)>(module_.get(), "GetPrinterW");
    closePrinter_ = Resolve<decltype(closePrinter_)>(module_.get(), "ClosePrinter");
    enumPrinterDrivers_ =
        Resolve<decltype(enumPrinterDrivers_)>(module_.get(), "EnumPrinterDriversW");
}

std::optional<InstalledPrinter> Spooler::FindPrinter(std::wstring_view name) const {
    std::wstring printerName(name);
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ACCESS_USE};
    HANDLE opened = nullptr;
    if (!openPrinter_(printerName.data(), &opened, &access)) {
        if (GetLastError() == ERROR_INVALID_PRINTER_NAME) {
            return std::nullopt;
        }
        ThrowLastError("OpenPrinterW");
    }
    const struct Closer {
        HANDLE printer;
        decltype(&::ClosePrinter) close;
        ~Closer() { close(printer); }
    } closer{opened, closePrinter_};

    const std::vector<BYTE> info =
        Query("GetPrinterW", [&](BYTE* buffer, DWORD size, DWORD* needed) {
            return getPrinter_(opened, 2, buffer, size, needed);
        });
    const auto* printer = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
    return InstalledPrinter{printer->pPortName ? printer->pPortName : L"",
                            printer->pDriverName ? printer->pDriverName : L""};
}

bool Spooler::HasDriver(std::wstring_view model) const {
    DWORD count = 0;
    const std::vector<BYTE> info =
        Query("EnumPrinterDriversW", [&](BYTE* buffer, DWORD size, DWORD* needed) {
            return enumPrinterDrivers_(nullptr, nullptr, 1, buffer, size, needed, &count);
        });
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_1W*>(info.data());
    for (DWORD i = 0; i < count; ++i) {
        if (drivers[i].pName && SameTextIgnoringCase(drivers[i].pName, model)) {
            return true;
        }
    }
    return false;
}

}  // namespace portsetup
