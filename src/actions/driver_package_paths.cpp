#include "actions/driver_package.h"

namespace portsetup {

std::wstring DriverInfPath(std::wstring_view programFolder) {
    return std::wstring(programFolder).append(L"\\").append(DriverInfFileName);
}

std::wstring FolderOfModulePath(std::wstring_view modulePath) {
    const std::size_t separator = modulePath.find_last_of(L'\\');
    if (separator == std::wstring_view::npos) {
        return {};
    }
    std::wstring_view folder = modulePath.substr(0, separator);
    // "C:" alone names the drive's current folder, not its root.
    if (folder.size() == 2 && folder[1] == L':') {
        folder = modulePath.substr(0, separator + 1);
    }
    return std::wstring(folder);
}

}  // namespace portsetup
