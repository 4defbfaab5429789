// A COM port opened to talk to the printer on it: set to line settings with outbound flow control
// off, so that a printer that holds CTS, DSR or Xoff while offline or busy still gets the request
// (status requests are answered regardless), and asked one request at a time.
#pragma once

#include <chrono>
#include <span>
#include <string_view>
#include <vector>

#include "actions/printer_line.h"
#include "actions/win32_handles.h"
#include "model/setting_lists.h"

namespace portsetup {

class SerialLine final : public PrinterLine {
  public:
    // Opens portName ("COM7:") for this process alone. Throws SystemCallFailed with the system's
    // error code when it cannot.
    explicit SerialLine(std::wstring_view portName);

    // Sets the line to settings (the flow-control entry is not used). Throws SystemCallFailed
    // when the port refuses them.
    void Configure(const SettingListTexts& settings);

    // Discards what is waiting in either direction first; an answer ends at a pause.
    std::vector<unsigned char> Ask(std::span<const unsigned char> request,
                                   std::chrono::milliseconds wait) override;

  private:
    UniqueKernelHandle port_;
};

}  // namespace portsetup
