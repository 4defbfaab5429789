// A USB printer opened through its USB printing interface (usbprint.sys), to ask it for its state
// as over a serial line: the USB printer class is bidirectional, and ESC/POS printers answer status
// requests over it. It is no comm device, so no line settings or comm time-outs apply; each
// transfer is overlapped and cancelled when its time is up. Source: "Programming considerations
// for USBPRINT",
// learn.microsoft.com/windows-hardware/drivers/print/programming-considerations-for-usbprint.
#pragma once

#include <atomic>
#include <string>

#include "actions/printer_line.h"
#include "actions/win32_handles.h"

namespace portsetup {

class UsbPrintLine final : public PrinterLine {
  public:
    // Opens the interface's device path ("\\\\?\\usb#vid_04b8&pid_0202#...") for this process
    // alone. Before each system call it makes, the call's name goes into underWay, as SerialLine
    // does. Throws SystemCallFailed, named after the call, when a call fails.
    UsbPrintLine(const std::wstring& interfacePath, std::atomic<const char*>& underWay);

    // Nothing waiting is discarded first: PurgeComm is a comm-device call.
    Reply Ask(std::span<const unsigned char> request, std::chrono::milliseconds wait) override;
    std::vector<unsigned char> Settle(std::chrono::milliseconds wait) override;

  private:
    // One overlapped write or read, given at most waitMs to end; one that does not is cancelled.
    // Returns the bytes moved, also those moved before a cancel (a line that waits for a whole
    // buffer, as Wine's comm devices do, ends a read no other way).
    unsigned long Transfer(bool write, void* data, unsigned long size, unsigned long waitMs);
    // The first read within wait that brings anything.
    std::vector<unsigned char> ReadWithin(std::chrono::milliseconds wait);

    std::atomic<const char*>& underWay_;
    UniqueKernelHandle printer_;
    UniqueKernelHandle done_;  // signalled when a transfer ends
};

}  // namespace portsetup
