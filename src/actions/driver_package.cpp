#include "actions/driver_package.h"

#include <windows.h>

#include <setupapi.h>

#include <system_error>

#include "actions/system_dll.h"
#include "actions/win32_handles.h"
#include "model/driver_version.h"

namespace portsetup {
namespace {

[[noreturn]] void ThrowLastError(const char* what) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

}  // namespace

std::optional<std::uint64_t> InfDriverVersion(const std::wstring& infPath) {
    const UniqueHmodule setupApi = LoadSystemDll(L"setupapi.dll");
    if (!setupApi) {
        ThrowLastError("LoadLibraryExW(setupapi.dll)");
    }
    const auto openInf =
        Resolve<decltype(&::SetupOpenInfFileW)>(setupApi.get(), "SetupOpenInfFileW");
    const auto closeInf =
        Resolve<decltype(&::SetupCloseInfFile)>(setupApi.get(), "SetupCloseInfFile");
    const auto findFirstLine =
        Resolve<decltype(&::SetupFindFirstLineW)>(setupApi.get(), "SetupFindFirstLineW");
    const auto getStringField =
        Resolve<decltype(&::SetupGetStringFieldW)>(setupApi.get(), "SetupGetStringFieldW");

    const HINF inf = openInf(infPath.c_str(), nullptr, INF_STYLE_WIN4, nullptr);
    if (inf == INVALID_HANDLE_VALUE) {
        ThrowLastError("SetupOpenInfFileW");
    }
    const struct Closer {
        HINF inf;
        decltype(&::SetupCloseInfFile) close;
        ~Closer() { close(inf); }
    } closer{inf, closeInf};

    INFCONTEXT line{};
    if (!findFirstLine(inf, L"Version", L"DriverVer", &line)) {
        return std::nullopt;
    }
    // No field of an INF file is longer, so one call reads it; field 1 is the date.
    std::wstring version(MAX_INF_STRING_LENGTH, L'\0');
    if (!getStringField(&line, 2, version.data(), static_cast<DWORD>(version.size()), nullptr)) {
        return std::nullopt;
    }
    version.resize(version.find(L'\0'));
    return ParseDriverVersion(version);
}

}  // namespace portsetup
