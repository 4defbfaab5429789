// Where an unattended run says what it does: the console of whoever started the tool (or the
// error output it was given), and the log file asked for with /log.
#pragma once

#include <string>
#include <string_view>

#include "actions/win32_handles.h"
#include "unattended/log_file.h"

namespace portsetup {

class SetupLog {
  public:
    // Finds the starter's error output or console, if there is one.
    SetupLog();

    // Appends from now on to the file at path as UTF-8, starting with firstLine. Throws
    // LogFileRefused when OpenLogFile refuses the file, or that line cannot be written.
    void OpenFile(const std::wstring& path, std::wstring_view firstLine);

    // One line: stamped with the local time in the file, plain on the console. A failing write
    // is not reported: the run's outcome is its exit code.
    void Write(std::wstring_view text) noexcept;

    // Whether the lines reach the starter's console or error output.
    bool ReachesStarter() const noexcept { return console_ || errorOutput_; }
    // Every line written so far, each ending in a line break.
    const std::wstring& Written() const noexcept { return written_; }

  private:
    bool WriteFileLine(std::wstring_view text) noexcept;

    UniqueKernelHandle file_;
    UniqueKernelHandle console_;    // a console of its own, attached
    HANDLE errorOutput_ = nullptr;  // a pipe or file the starter gave as the error output
    std::wstring written_;
};

}  // namespace portsetup
