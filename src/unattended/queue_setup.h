// The printer's queue in the spooler: how the log describes it, the queue of another model that a
// /name must leave alone, the port a local port monitor must offer before a queue can be set up on
// it, and the move of an existing queue to another port.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "actions/installed_printer.h"
#include "actions/spooler.h"
#include "unattended/run_context.h"

namespace portsetup {

// "printer "Kitchen" on port "COM7:" with driver "...""; or "no printer named "Kitchen"".
std::wstring DescribePrinter(std::wstring_view queue,
                             const std::optional<InstalledPrinter>& printer);

// A name given is no claim on a queue that another model's printer already has (before, the queue
// of that name): neither an install nor a removal touches it, and the run ends (183) before
// anything is changed. The queue named after the model is this model's own, whatever its driver,
// and is moved in place or removed.
void RefuseOtherModelsQueue(const RunContext& run, const std::optional<InstalledPrinter>& before,
                            bool removing);

// The spooler's local port monitor knows only the ports it was given; a serial adapter's COM5 and
// up must be added before a printer can be set up on it. A port that cannot be added ends the run
// (1603). A USB printer's port is offered by the USB port monitor while the printer is plugged in,
// and by nothing else: one the spooler does not offer ends the run (1167).
void MakePortAvailable(RunContext& run, const Spooler& spooler, const std::wstring& port);

// Moves the existing queue to port with the model's driver. Never removed and made again: a
// failure then leaves the queue as it was (1603), and a success keeps all that belongs to it.
void MoveInPlace(RunContext& run, const Spooler& spooler, const InstalledPrinter& before,
                 const std::wstring& port);

}  // namespace portsetup
