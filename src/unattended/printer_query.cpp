#include "unattended/printer_query.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "actions/error_text.h"
#include "actions/last_error.h"
#include "actions/present_devices.h"
#include "actions/serial_line.h"
#include "actions/stored_port_settings.h"
#include "actions/usb_print_line.h"
#include "model/port_name.h"
#include "model/printer_status.h"
#include "model/settings_string.h"
#include "model/text.h"

namespace portsetup {
namespace {

// Asks what the model asks next until the check is complete, logging each answer.
std::vector<StatusExchange> AskStatus(PrinterLine& line, SetupLog& log,
                                      std::vector<StatusExchange> exchanges) {
    while (const std::optional<StatusRequest> request = NextStatusRequest(exchanges)) {
        exchanges.push_back({*request, line.Ask(RequestBytes(*request), kAnswerWait)});
        log.Write(DescribeExchange(exchanges.back()));
    }
    return exchanges;
}

int Report(SetupLog& log, const CheckResult& result) {
    log.Write(result.finding);
    if (!result.warning.empty()) {
        log.Write(Concat({L"Warning: ", result.warning, L"."}));
    }
    if (!result.advice.empty()) {
        log.Write(result.advice);
    }
    return result.code;
}

int ReportPortFailure(SetupLog& log, const std::wstring& port, const SystemCallFailed& error) {
    const auto code = error.code();
    const CheckResult result = PortFailure(code, port);
    return Report(log, {result.code, Concat({result.finding, L" ", SystemErrorText(code)}),
                        result.warning, result.advice});
}

// The line to the printer on port: a COM port set to settings, or the printing interface of the
// USB printer plugged in on that port.
std::unique_ptr<PrinterLine> OpenLine(SetupLog& log, const std::wstring& port,
                                      const SettingListTexts& settings) {
    if (!IsUsbPortName(port)) {
        log.Write(Concat({L"Asking the printer on ", port, L" for its state at ",
                          ComposeSettingsString(settings), L", flow control off."}));
        auto line = std::make_unique<SerialLine>(port);
        line->Configure(settings);
        return line;
    }
    const std::vector<PortDevice> printers = PresentUsbPrinters();
    const PortDevice* printer = DeviceOnPort(printers, port);
    if (!printer) {
        ThrowSystemError(ERROR_DEVICE_NOT_CONNECTED, "SetupDiEnumDeviceInterfaces");
    }
    log.Write(Concat({L"Asking the printer on ", port,
                      L" for its state through its USB printing interface ", printer->interfacePath,
                      L"."}));
    return std::make_unique<UsbPrintLine>(printer->interfacePath);
}

}  // namespace

std::wstring DetectCommand(const CommandLine& commandLine) {
    if (!commandLine.device.empty()) {
        const bool blank = commandLine.device.find_first_of(L" \t") != std::wstring::npos;
        return Concat({L"portsetup.exe /detect /device ",
                       blank ? Quoted(commandLine.device) : commandLine.device});
    }
    return Concat({L"portsetup.exe /detect ", WithoutColon(commandLine.port)});
}

SettingListTexts SettingsToCheck(const CommandLine& commandLine, const std::wstring& port,
                                 SetupLog& log) {
    // A USB printer's line has no settings to choose.
    if (commandLine.settingsGiven || IsUsbPortName(port)) {
        return commandLine.settings;
    }
    if (const std::optional<std::wstring> stored = StoredPortSettings(port)) {
        SettingListTexts read;
        if (const std::optional<std::wstring> reason = ReadSettings(*stored, read)) {
            log.Write(Concat({L"Warning: the value stored for ", port, L" is not used: ", *reason,
                              L" The dialog's defaults are used."}));
        } else {
            log.Write(Concat({L"The settings stored for ", port, L" are used."}));
            return read;
        }
    } else {
        log.Write(
            Concat({L"No settings are stored for ", port, L"; the dialog's defaults are used."}));
    }
    return DefaultListTexts();
}

int CheckPrinter(SetupLog& log, const std::wstring& port, const SettingListTexts& settings,
                 std::wstring_view detectCommand) {
    try {
        const std::unique_ptr<PrinterLine> line = OpenLine(log, port, settings);
        return Report(
            log, JudgeStatus(AskStatus(*line, log, {}), IsUsbPortName(port) ? L"" : detectCommand));
    } catch (const SystemCallFailed& error) {
        return ReportPortFailure(log, port, error);
    }
}

Detection DetectPrinter(SetupLog& log, const std::wstring& port, std::wstring_view detectCommand) {
    log.Write(Concat({L"Looking for the printer's speed on ", port,
                      L", with 8 data bits, no parity, 1 stop bit, flow control off."}));
    try {
        SerialLine line(port);
        for (const SettingListTexts& settings : DetectionSettings()) {
            const std::wstring text = ComposeSettingsString(settings);
            try {
                line.Configure(settings);
            } catch (const SystemCallFailed& error) {
                log.Write(Concat({L"At ", text, L": the port does not take this speed: ",
                                  SystemErrorText(error.code())}));
                continue;
            }
            std::vector<StatusExchange> asked{
                {StatusRequest::Printer,
                 line.Ask(RequestBytes(StatusRequest::Printer), kAnswerWait)}};
            log.Write(Concat({L"At ", text, L": ", DescribeExchange(asked.back())}));
            if (IsStatusAnswer(asked.back().answer)) {
                log.Write(Concat({L"The printer answers at ", text, L"."}));
                return {settings, Report(log, JudgeStatus(AskStatus(line, log, std::move(asked)),
                                                          detectCommand))};
            }
        }
    } catch (const SystemCallFailed& error) {
        return {std::nullopt, ReportPortFailure(log, port, error)};
    }
    log.Write(
        L"No speed brought a status answer. Check the printer's power, cable and port. A printer "
        L"set to 7 data bits, parity or 2 stop bits, or without ESC/POS status requests, is not "
        L"found this way: give its settings.");
    return {std::nullopt, kExitDeviceNotConnected};
}

void ShowCheckResult(const std::wstring& text, int exitCode) {
    MessageBoxW(nullptr, text.c_str(), L"portsetup",
                MB_OK | (exitCode == kExitDone ? MB_ICONINFORMATION : MB_ICONWARNING));
}

}  // namespace portsetup
