#include "unattended/queue_setup.h"

#include "actions/error_text.h"
#include "actions/last_error.h"
#include "actions/printer_commands.h"
#include "model/exit_codes.h"
#include "model/port_name.h"
#include "model/text.h"
#include "unattended/detection_record.h"
#include "unattended/setup_command.h"

namespace portsetup {

std::wstring DescribePrinter(std::wstring_view queue,
                             const std::optional<InstalledPrinter>& printer) {
    if (!printer) {
        return Concat({L"no printer named ", Quoted(queue)});
    }
    return Concat({L"printer ", Quoted(queue), L" on port ", Quoted(printer->port),
                   L" with driver ", Quoted(printer->driver)});
}

void MakePortAvailable(RunContext& run, const Spooler& spooler, const std::wstring& port) {
    try {
        if (spooler.HasPort(port)) {
            return;
        }
    } catch (const SystemCallFailed& error) {
        // The set-up then shows whether the spooler knows the port.
        run.log.Write(Concat({L"Warning: the spooler's ports cannot be listed, so ", port,
                              L" is not added: ", SystemErrorText(error.code())}));
        return;
    }
    if (IsUsbPortName(port)) {
        run.log.Write(Concat({L"The spooler does not offer the port ", port,
                              L": the USB printer is not plugged in. Plug it in, then run the "
                              L"install again; nothing was changed."}));
        throw RunEnds{kExitDeviceNotConnected, L"the USB printer is not plugged in"};
    }
    BeforeFirstChange(run);
    try {
        spooler.AddLocalPort(port);
    } catch (const SystemCallFailed& error) {
        run.log.Write(Concat({L"The port ", port, L" could not be added to the spooler: ",
                              SystemErrorText(error.code())}));
        throw RunEnds{kExitInstallFailed};
    }
    if (!spooler.HasPort(port)) {
        run.log.Write(
            Concat({L"The port ", port, L" was added, but the spooler does not list it."}));
        throw RunEnds{kExitInstallFailed};
    }
    run.log.Write(Concat({L"Added the port ", port, L" to the spooler's local port monitor."}));
}

void RefuseOtherModelsQueue(const RunContext& run, const std::optional<InstalledPrinter>& before,
                            bool removing) {
    if (SameTextIgnoringCase(run.queue, PrinterModelName) || !before ||
        SameTextIgnoringCase(before->driver, PrinterModelName)) {
        return;
    }
    const std::wstring byHand =
        Concat({L"(Settings > Bluetooth & devices > Printers & scanners, or in PowerShell: "
                L"Remove-Printer -Name ",
                Quoted(run.queue), L")"});
    run.log.Write(Concat(
        {L"The printer ", Quoted(run.queue), L" has the driver ", Quoted(before->driver), L", not ",
         Quoted(PrinterModelName), L": it is another printer's queue, and nothing is changed. ",
         removing ? Concat({L"Check the /name given; a queue this tool did not set up is removed "
                            L"by hand ",
                            byHand, L"."})
                  : Concat({L"Give this printer another /name, or remove that queue first ", byHand,
                            L", then run the install again."})}));
    throw RunEnds{kExitQueueOfOtherDriver};
}

void MoveInPlace(RunContext& run, const Spooler& spooler, const InstalledPrinter& before,
                 const std::wstring& port) {
    BeforeFirstChange(run);
    try {
        spooler.ChangePrinter(run.queue, port, PrinterModelName);
    } catch (const SystemCallFailed& error) {
        run.log.Write(Concat({L"The printer could not be moved to ", port, L" with driver ",
                              Quoted(PrinterModelName), L": ", SystemErrorText(error.code()),
                              L" It stays as it was."}));
        run.log.Write(kWhereToLookNext);
        throw RunEnds{kExitInstallFailed};
    }
    run.log.Write(
        Concat({L"Moved the printer's queue ", Quoted(run.queue), L" in place from port ",
                Quoted(before.port), L" with driver ", Quoted(before.driver), L" to port ",
                Quoted(port), L" with driver ", Quoted(PrinterModelName), L"."}));
}

}  // namespace portsetup
