#include "unattended/detection_record.h"

#include <windows.h>

#include "actions/detection_registry.h"
#include "actions/error_text.h"
#include "model/detection_value.h"
#include "model/exit_codes.h"
#include "model/text.h"

namespace portsetup {

std::wstring DetectionValueName(const RunContext& run) {
    return Concat({L"HKEY_LOCAL_MACHINE\\", kDetectionKeyPath, L"\\", run.queue});
}

bool BeforeFirstChange(RunContext& run) {
    if (run.detectionDeleted) {
        return false;
    }
    const std::optional<std::wstring> detected = ReadDetectionValue(run.queue);
    if (const long status = DeleteDetectionValue(run.queue); status != ERROR_SUCCESS) {
        run.log.Write(Concat({L"The detection value ", DetectionValueName(run),
                              L" cannot be deleted, so nothing is changed: ",
                              SystemErrorText(static_cast<unsigned long>(status))}));
        throw RunEnds{kExitInstallFailed};
    }
    run.detectionDeleted = true;
    if (detected) {
        run.log.Write(Concat({L"Deleted the detection value ", DetectionValueName(run), L" = ",
                              Quoted(*detected), L"."}));
    }
    return detected.has_value();
}

int RecordForDetection(RunContext& run, const CommandLine& commandLine, const std::wstring& port,
                       std::optional<std::uint64_t> packageVersion) {
    const std::wstring text = DetectionValueText(commandLine, port, packageVersion);
    if (const long status = WriteDetectionValue(run.queue, text); status != ERROR_SUCCESS) {
        run.log.Write(
            Concat({L"The detection value ", DetectionValueName(run), L" was not written: ",
                    SystemErrorText(static_cast<unsigned long>(status))}));
        return kExitInstallFailed;
    }
    run.log.Write(Concat(
        {L"Wrote the detection value ", DetectionValueName(run), L" = ", Quoted(text), L"."}));
    return kExitDone;
}

}  // namespace portsetup
