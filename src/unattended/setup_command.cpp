#include "unattended/setup_command.h"

#include "actions/error_text.h"
#include "actions/last_error.h"
#include "actions/process_launch.h"
#include "model/exit_codes.h"
#include "model/text.h"

namespace portsetup {

void RunSetupCommand(RunContext& run, const std::wstring& command) {
    run.log.Write(Concat({L"Starting: ", command}));
    CommandRun ran;
    try {
        ran = RunCommand(command, run.timeout);
    } catch (const SystemCallFailed& error) {
        run.log.Write(
            Concat({L"The command could not be started: ", SystemErrorText(error.code())}));
        throw RunEnds{kExitFailed};
    }
    if (ran.job != CommandJob::Own) {
        run.log.Write(Concat({L"The job this run is in refused the tool's own job",
                              ran.job == CommandJob::BrokenAway
                                  ? L"; the command was started outside it."
                                  : L" and a start outside it; the command ran without one."}));
    }
    if (!ran.exitCode) {
        run.log.Write(
            Concat({L"The command had not ended after ",
                    DecimalText(static_cast<unsigned long>(run.timeout.count())),
                    L" seconds: it was stopped",
                    ran.job == CommandJob::AgentsOnly ? L"; what it started may still run."
                                                      : L", with every process it started.",
                    L" Likely cause: a prompt nobody can answer under SYSTEM, such as a driver "
                    L"signature prompt (see \"Driver signatures\" in the guide \"portsetup for "
                    L"Windows administrators\")."}));
        throw RunEnds{kExitSetupTimedOut};
    }
    run.log.Write(Concat({L"The command ended with exit code ", DecimalText(*ran.exitCode), L"."}));
}

int NotConfirmed(SetupLog& log, std::wstring_view reason) {
    log.Write(Concat({L"Not confirmed: ", reason}));
    log.Write(kWhereToLookNext);
    return kExitInstallFailed;
}

}  // namespace portsetup
