#include "unattended/printer_query.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include "actions/error_text.h"
#include "actions/last_error.h"
#include "actions/present_devices.h"
#include "actions/serial_line.h"
#include "actions/stored_port_settings.h"
#include "actions/usb_print_line.h"
#include "model/port_name.h"
#include "model/settings_string.h"
#include "model/text.h"

namespace portsetup {
namespace {

// One check or detection, run on a thread of its own so that the run ends when a call on the
// port never returns (a sleeping USB or Bluetooth port's open or SetCommState can hang). It is
// kept on the heap and never freed once given up on: its thread may still come back into it
// before the process ends. Not std::thread, which would link the threads library back in.
class PortSession {
  public:
    PortSession(SetupLog& log, std::wstring port, QueryCommands commands)
        : port_(std::move(port)), commands_(std::move(commands)), log_(&log) {}
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;
    virtual ~PortSession() = default;

    // Runs the session on its thread and waits for it until deadline; returns its exit code, or
    // ERROR_TIMEOUT naming the call that did not return. The session is then left to its thread.
    static int RunWithin(std::unique_ptr<PortSession> session, std::chrono::milliseconds deadline);

  protected:
    // The exchange itself; returns the exit code.
    virtual int Exchange() = 0;

    // Logs text unless the run gave up on this session.
    void Write(std::wstring_view text) noexcept {
        AcquireSRWLockExclusive(&lock_);
        if (log_) {
            log_->Write(text);
        }
        ReleaseSRWLockExclusive(&lock_);
    }

    int Report(const CheckResult& result) {
        Write(result.finding);
        if (!result.warning.empty()) {
            Write(Concat({L"Warning: ", result.warning, L"."}));
        }
        if (!result.advice.empty()) {
            Write(result.advice);
        }
        return result.code;
    }

    int ReportLineFailure(const SystemCallFailed& error) {
        const CheckResult result = LineFailure(error.what(), error.code(), port_, commands_);
        return Report({result.code, Concat({result.finding, L" ", SystemErrorText(error.code())}),
                       result.warning, result.advice});
    }

    // Asks what next names until it names nothing, each request on line, logging each exchange
    // after prefix. After silence the line is given a second wait and cleared, so that a late
    // answer is nobody's.
    template <class Next>
    std::vector<StatusExchange> Ask(PrinterLine& line, Next next, std::wstring_view prefix) {
        std::vector<StatusExchange> exchanges;
        while (const std::optional<StatusRequest> request = next(exchanges)) {
            PrinterLine::Reply reply = line.Ask(RequestBytes(*request), kAnswerWait);
            StatusExchange exchange{*request, std::move(reply.received), reply.sent};
            if (NeedsSettling(exchange)) {
                exchange.late = line.Settle(kAnswerWait);
            }
            exchanges.push_back(std::move(exchange));
            Write(Concat({prefix, DescribeExchange(exchanges.back())}));
        }
        return exchanges;
    }

    std::atomic<const char*> underWay_{nullptr};
    const std::wstring port_;
    const QueryCommands commands_;

  private:
    static DWORD WINAPI Start(void* context) noexcept {
        auto* session = static_cast<PortSession*>(context);
        try {
            session->exitCode_ = session->Exchange();
        } catch (const SystemCallFailed& error) {
            session->exitCode_ = session->ReportLineFailure(error);
        } catch (...) {
            session->exitCode_ = kExitInstallFailed;  // out of memory: nothing more can be said
        }
        return 0;
    }

    SRWLOCK lock_ = SRWLOCK_INIT;
    SetupLog* log_;  // null once given up on
    int exitCode_ = kExitInstallFailed;
};

int PortSession::RunWithin(std::unique_ptr<PortSession> session,
                           std::chrono::milliseconds deadline) {
    const UniqueKernelHandle thread(CreateThread(nullptr, 0, Start, session.get(), 0, nullptr));
    if (!thread) {
        ThrowLastError("CreateThread");
    }
    if (WaitForSingleObject(thread.get(), static_cast<DWORD>(deadline.count())) == WAIT_OBJECT_0) {
        return session->exitCode_;
    }
    PortSession* const abandoned = session.release();  // left to its thread
    AcquireSRWLockExclusive(&abandoned->lock_);
    SetupLog& log = *std::exchange(abandoned->log_, nullptr);
    ReleaseSRWLockExclusive(&abandoned->lock_);
    const char* call = abandoned->underWay_.load();
    const CheckResult result =
        DeadlinePassed(call ? call : "", deadline, abandoned->port_, abandoned->commands_);
    log.Write(result.finding);
    log.Write(result.advice);
    return result.code;
}

class Check final : public PortSession {
  public:
    Check(SetupLog& log, const std::wstring& port, const SettingListTexts& settings,
          const QueryCommands& commands)
        : PortSession(log, port, commands), settings_(settings) {}

  private:
    int Exchange() override {
        return Report(JudgeStatus(Ask(*Open(), NextStatusRequest, L""), commands_));
    }

    // The COM port set to the settings, or the printing interface of the USB printer plugged in
    // on the port.
    std::unique_ptr<PrinterLine> Open() {
        if (!IsUsbPortName(port_)) {
            auto line = std::make_unique<SerialLine>(port_, underWay_);
            line->Configure(settings_);
            return line;
        }
        underWay_.store("SetupDiGetClassDevsW");
        const std::vector<PortDevice> printers = PresentUsbPrinters();
        const PortDevice* printer = DeviceOnPort(printers, port_);
        if (!printer) {
            ThrowSystemError(ERROR_DEVICE_NOT_CONNECTED, "SetupDiEnumDeviceInterfaces");
        }
        Write(Concat({L"Asking the printer on ", port_,
                      L" for its state through its USB printing interface ", printer->interfacePath,
                      L"."}));
        return std::make_unique<UsbPrintLine>(printer->interfacePath, underWay_);
    }

    const SettingListTexts settings_;
};

class Detect final : public PortSession {
  public:
    Detect(SetupLog& log, const std::wstring& port, const QueryCommands& commands,
           std::optional<SettingListTexts>& found)
        : PortSession(log, port, commands), found_(found) {}

  private:
    int Exchange() override {
        SerialLine line(port_, underWay_);
        bool late = false;
        for (const SettingListTexts& settings : DetectionSettings()) {
            const std::wstring text = ComposeSettingsString(settings);
            try {
                line.Configure(settings);
            } catch (const SystemCallFailed& error) {
                if (!SpeedRefused(error.what(), error.code())) {
                    throw;
                }
                Write(Concat({L"At ", text, L": the port does not take this speed: ",
                              SystemErrorText(error.code())}));
                continue;
            }
            const std::vector<StatusExchange> asked =
                Ask(line, NextDetectionRequest, Concat({L"At ", text, L": "}));
            late = late || std::ranges::any_of(asked, [](const StatusExchange& exchange) {
                       return !exchange.late.empty();
                   });
            if (FoundAtThisSpeed(asked)) {
                Write(Concat({L"The printer answers at ", text, L"."}));
                found_ = settings;
                return Report(JudgeStatus(CheckedAtThisSpeed(asked), commands_));
            }
            if (!NeedsSettling(asked.front())) {
                Write(Concat({L"At ", text, L": not this speed."}));
            }
        }
        Write(NoSpeedFound(late));
        return kExitDeviceNotConnected;
    }

    // Written only by the session's thread, and read only once it has ended.
    std::optional<SettingListTexts>& found_;
};

std::wstring CommandFor(std::wstring_view mode, const CommandLine& commandLine) {
    if (!commandLine.device.empty()) {
        const bool blank = commandLine.device.find_first_of(L" \t") != std::wstring::npos;
        return Concat({L"portsetup.exe ", mode, L" /device ",
                       blank ? Quoted(commandLine.device) : commandLine.device});
    }
    return Concat({L"portsetup.exe ", mode, L" ", WithoutColon(commandLine.port)});
}

}  // namespace

QueryCommands QueryCommandsFor(const CommandLine& commandLine) {
    return {CommandFor(L"/check", commandLine), CommandFor(L"/detect", commandLine)};
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
                 const QueryCommands& commands) {
    if (!IsUsbPortName(port)) {
        log.Write(Concat({L"Asking the printer on ", port, L" for its state at ",
                          ComposeSettingsString(settings), L", flow control off."}));
    }
    // A USB printer has no speed for the advice to find.
    const QueryCommands asked{commands.check, IsUsbPortName(port) ? L"" : commands.detect};
    return PortSession::RunWithin(std::make_unique<Check>(log, port, settings, asked),
                                  ExchangeDeadline(1));
}

Detection DetectPrinter(SetupLog& log, const std::wstring& port, const QueryCommands& commands) {
    log.Write(Concat({L"Looking for the printer's speed on ", port,
                      L", with 8 data bits, no parity, 1 stop bit, flow control off."}));
    // On the heap with the session: a session given up on may still write it.
    auto found = std::make_unique<std::optional<SettingListTexts>>();
    const int exitCode =
        PortSession::RunWithin(std::make_unique<Detect>(log, port, commands, *found),
                               ExchangeDeadline(DetectionSettings().size()));
    if (exitCode == kExitSetupTimedOut) {
        found.release();  // left to the session's thread
        return {std::nullopt, exitCode};
    }
    return {*found, exitCode};
}

SettingListTexts SettingsForInstall(SetupLog& log, const CommandLine& commandLine,
                                    const std::wstring& port, const Detection& found) {
    const std::optional<std::wstring> stored = StoredPortSettings(port);
    const SettingListTexts settings =
        DetectedSettings(*found.settings, commandLine.detectFlow, stored);
    SettingListTexts read;
    log.Write(
        Concat({L"Set up with ", ComposeSettingsString(settings),
                L": detection finds the speed, never the handshake, which is ",
                !commandLine.detectFlow.empty()          ? L"the one given."
                : stored && !ReadSettings(*stored, read) ? L"the port's stored one."
                                                         : L"none: no valid value is stored."}));
    if (found.exitCode != kExitDone && !commandLine.checkAfterInstall) {
        log.Write(
            L"Without /check, the printer's state does not change the outcome: the set-up "
            L"goes on.");
    }
    return settings;
}

void ShowCheckResult(const std::wstring& text, int exitCode) {
    MessageBoxW(nullptr, text.c_str(), L"portsetup",
                MB_OK | (exitCode == kExitDone ? MB_ICONINFORMATION : MB_ICONWARNING));
}

}  // namespace portsetup
