#include "actions/printer_commands.h"

#include "actions/driver_package.h"

#include "model/text.h"

namespace portsetup {
namespace {

constexpr std::wstring_view kPrintUiEntry = L"rundll32 printui.dll,PrintUIEntry ";

std::wstring& AppendQuoted(std::wstring& text, std::wstring_view value) {
    return text.append(1, L'"').append(value).append(1, L'"');
}

}  // namespace

std::wstring BuildInstallCommand(std::wstring_view queue, std::wstring_view portName,
                                 std::wstring_view programFolder) {
    std::wstring command(kPrintUiEntry);
    command.append(L"/if /b ");
    AppendQuoted(command, queue);
    // Quoted like the other values: a folder with a blank in it would otherwise end the INF path
    // at the blank and leave the entry point an option it cannot parse.
    command.append(L" /f ");
    AppendQuoted(command, DriverInfPath(programFolder));
    command.append(L" /r ");
    AppendQuoted(command, portName);
    command.append(L" /m ");
    AppendQuoted(command, PrinterModelName);
    return command;
}

std::wstring BuildRemoveCommand() {
    std::wstring command(kPrintUiEntry);
    command.append(L"/dd /m ");
    return AppendQuoted(command, PrinterModelName);
}

std::wstring BuildRemovePrinterCommand(std::wstring_view queue) {
    std::wstring command(kPrintUiEntry);
    command.append(L"/dl /n ");
    return AppendQuoted(command, queue);
}

std::wstring BuildInstallDriverCommand(std::wstring_view programFolder) {
    std::wstring command(kPrintUiEntry);
    command.append(L"/ia /m ");
    AppendQuoted(command, PrinterModelName);
    command.append(L" /f ");
    return AppendQuoted(command, DriverInfPath(programFolder));
}

std::wstring Quiet(std::wstring command) {
    return command.append(L" /q");
}

}  // namespace portsetup
