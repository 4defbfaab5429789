#include "actions/driver_package.h"

#include <windows.h>

#include <setupapi.h>

#include <string_view>
#include <vector>

#include "actions/last_error.h"
#include "actions/printer_commands.h"
#include "actions/system_dll.h"
#include "actions/win32_handles.h"
#include "model/driver_version.h"
#include "model/models_section.h"
#include "model/text.h"

namespace portsetup {
namespace {

// The running system's version as it is, whatever the program's manifest declares.
RunningWindows RunningVersion() {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto getVersion = ntdll ? FindFunction<GetVersion>(ntdll, "RtlGetVersion") : nullptr;
    if (!getVersion || getVersion(&version) != 0) {
        ThrowSystemError(ERROR_PROC_NOT_FOUND, "RtlGetVersion");
    }
    return {version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber,
            version.wProductType, version.wSuiteMask};
}

// The system's INF reader, loaded with setupapi.dll. Only calls that Wine carries out too:
// SetupDiGetActualModelsSectionW would choose the models section, but Wine has no such function
// (it stops the program), so [Manufacturer] is read here as Windows reads it.
struct InfReader {
    explicit InfReader(HMODULE setupApi)
        : openInf(Resolve<decltype(&::SetupOpenInfFileW)>(setupApi, "SetupOpenInfFileW")),
          closeInf(Resolve<decltype(&::SetupCloseInfFile)>(setupApi, "SetupCloseInfFile")),
          findFirstLine(Resolve<decltype(&::SetupFindFirstLineW)>(setupApi, "SetupFindFirstLineW")),
          findNextLine(Resolve<decltype(&::SetupFindNextLine)>(setupApi, "SetupFindNextLine")),
          getFieldCount(Resolve<decltype(&::SetupGetFieldCount)>(setupApi, "SetupGetFieldCount")),
          getStringField(
              Resolve<decltype(&::SetupGetStringFieldW)>(setupApi, "SetupGetStringFieldW")),
          getLineCount(Resolve<decltype(&::SetupGetLineCountW)>(setupApi, "SetupGetLineCountW")),
          actualSection(Resolve<decltype(&::SetupDiGetActualSectionToInstallW)>(
              setupApi, "SetupDiGetActualSectionToInstallW")) {}

    // Field index of the line, %strings% resolved; no field of an INF file is longer than
    // MAX_INF_STRING_LENGTH, so one call reads it.
    std::optional<std::wstring> Field(INFCONTEXT& line, DWORD index) const {
        std::wstring text(MAX_INF_STRING_LENGTH, L'\0');
        if (!getStringField(&line, index, text.data(), static_cast<DWORD>(text.size()), nullptr)) {
            return std::nullopt;
        }
        text.resize(text.find(L'\0'));
        return text;
    }

    // The install section [Manufacturer] and its models section give the model, decorated for
    // this platform as Windows picks it; empty when the INF does not list the model.
    std::wstring ModelInstallSection(HINF inf, const RunningWindows& running) const {
        INFCONTEXT maker{};
        for (bool more = findFirstLine(inf, L"Manufacturer", nullptr, &maker); more;
             more = findNextLine(&maker, &maker)) {
            const std::optional<std::wstring> models = Field(maker, 1);
            if (!models) {
                continue;
            }
            // Only decorations whose section is there can be chosen.
            std::vector<std::wstring> decorations;
            for (DWORD index = 2; index <= getFieldCount(&maker); ++index) {
                const std::optional<std::wstring> decoration = Field(maker, index);
                if (decoration &&
                    getLineCount(inf, Concat({*models, L".", *decoration}).c_str()) >= 0) {
                    decorations.push_back(*decoration);
                }
            }
            const std::optional<std::size_t> chosen = ChosenModelsDecoration(decorations, running);
            const std::wstring section =
                chosen ? Concat({*models, L".", decorations[*chosen]}) : *models;
            INFCONTEXT model{};
            if (!findFirstLine(inf, section.c_str(), std::wstring(PrinterModelName).c_str(),
                               &model)) {
                continue;
            }
            const std::optional<std::wstring> install = Field(model, 1);
            if (!install) {
                return {};
            }
            wchar_t actual[MAX_INF_STRING_LENGTH]{};
            return actualSection(inf, install->c_str(), actual, MAX_INF_STRING_LENGTH, nullptr,
                                 nullptr)
                       ? std::wstring(actual)
                       : *install;
        }
        return {};
    }

    decltype(&::SetupOpenInfFileW) openInf;
    decltype(&::SetupCloseInfFile) closeInf;
    decltype(&::SetupFindFirstLineW) findFirstLine;
    decltype(&::SetupFindNextLine) findNextLine;
    decltype(&::SetupGetFieldCount) getFieldCount;
    decltype(&::SetupGetStringFieldW) getStringField;
    decltype(&::SetupGetLineCountW) getLineCount;
    decltype(&::SetupDiGetActualSectionToInstallW) actualSection;
};

}  // namespace

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            ThrowLastError("GetModuleFileNameW");
        }
        // A full buffer means the path may have been cut short.
        if (length < path.size()) {
            path.resize(length);
            return FolderOfModulePath(path);
        }
        path.resize(path.size() * 2);
    }
}

bool DriverInfPresent(std::wstring_view programFolder) {
    const DWORD attributes = GetFileAttributesW(DriverInfPath(programFolder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::uint64_t> InfDriverVersion(const std::wstring& infPath) {
    const UniqueHmodule setupApi = RequireSystemDll(L"setupapi.dll");
    const InfReader reader(setupApi.get());
    const HINF inf = reader.openInf(infPath.c_str(), nullptr, INF_STYLE_WIN4, nullptr);
    if (inf == INVALID_HANDLE_VALUE) {
        ThrowLastError("SetupOpenInfFileW");
    }
    const UniqueAny<HINF, decltype(&::SetupCloseInfFile)> closer(inf, reader.closeInf);

    // A DriverVer in the model's install section takes precedence over [Version]'s.
    INFCONTEXT line{};
    const std::wstring install = reader.ModelInstallSection(inf, RunningVersion());
    if ((install.empty() || !reader.findFirstLine(inf, install.c_str(), L"DriverVer", &line)) &&
        !reader.findFirstLine(inf, L"Version", L"DriverVer", &line)) {
        return std::nullopt;
    }
    // Field 1 is the date.
    const std::optional<std::wstring> version = reader.Field(line, 2);
    return version ? ParseDriverVersion(*version) : std::nullopt;
}

}  // namespace portsetup
