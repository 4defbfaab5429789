// What the steps of one unattended run share: its log, the time a set-up command may take, the
// queue the run works on and whether its detection value is gone yet; and how a step ends the run
// early.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "unattended/setup_log.h"

namespace portsetup {

// A step that ends the run with its own exit code, after saying why in the log.
struct RunEnds {
    int exitCode;
    std::wstring_view meaning = {};  // for the last line, in place of the code's usual meaning
};

struct RunContext {
    SetupLog& log;
    std::chrono::seconds timeout;
    const std::wstring queue;  // the queue /name gives, or the one named after the model
    bool detectionDeleted = false;
};

}  // namespace portsetup
