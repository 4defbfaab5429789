// A USB printer opened through its USB printing interface (usbprint.sys), to ask it for its state
// as over a serial line: the USB printer class is bidirectional, and ESC/POS printers answer status
// requests over it. It is no comm device, so no line settings or comm time-outs apply; each
// transfer is overlapped and cancelled when its time is up. Source: "Programming considerations
// for USBPRINT",
// learn.microsoft.com/windows-hardware/drivers/print/programming-considerations-for-usbprint.
#pragma once

#include <string>

#include "actions/printer_line.h"
#include "actions/win32_handles.h"

namespace portsetup {

class UsbPrintLine final : public PrinterLine {
  public:
    // Opens the interface's device path ("\\\\?\\usb#vid_04b8&pid_0202#...") for this process
    // alone. Throws SystemCallFailed with the system's error code when it cannot.
    explicit UsbPrintLine(const std::wstring& interfacePath);

    // Nothing waiting is discarded first: PurgeComm is a comm-device call.
    std::vector<unsigned char> Ask(std::span<const unsigned char> request,
                                   std::chrono::milliseconds wait) override;

  private:
    UniqueKernelHandle printer_;
    UniqueKernelHandle done_;  // signalled when a transfer ends
};

}  // namespace portsetup
