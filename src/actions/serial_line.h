// A COM port opened to talk to the printer on it: set to line settings with outbound flow control
// off, so that a printer that holds CTS, DSR or Xoff while offline or busy still gets the request
// (status requests are answered regardless), and asked one request at a time. It only reports:
// which call failed with which code, how many bytes went out, what came back; what that means is
// the printer status model's to say.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "actions/printer_line.h"
#include "actions/win32_handles.h"
#include "model/setting_lists.h"

namespace portsetup {

class SerialLine final : public PrinterLine {
  public:
    // Opens portName ("COM7:") for this process alone. Before each system call it makes, from
    // the open on, the call's name goes into underWay, so that a watcher can say which call did
    // not return. Throws SystemCallFailed, named after the call, when a call fails.
    SerialLine(std::wstring_view portName, std::atomic<const char*>& underWay);

    // Sets the line to settings (the flow-control entry is not used).
    void Configure(const SettingListTexts& settings);

    // Discards what is waiting in either direction first; an answer ends at a pause.
    Reply Ask(std::span<const unsigned char> request, std::chrono::milliseconds wait) override;

    // Discards what is waiting once the wait is out.
    std::vector<unsigned char> Settle(std::chrono::milliseconds wait) override;

  private:
    void Calling(const char* call) noexcept;
    void SetTimeouts(unsigned long pauseWithin, std::chrono::milliseconds wait);
    std::vector<unsigned char> Read();
    void Purge();

    std::atomic<const char*>& underWay_;
    UniqueKernelHandle port_;
};

}  // namespace portsetup
