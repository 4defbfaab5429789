// The line to a receipt printer that the printer check asks over: a COM port (SerialLine) or a USB
// printer's printing interface (UsbPrintLine). The check sends the same requests over either and
// judges the answers alike.
#pragma once

#include <chrono>
#include <span>
#include <vector>

namespace portsetup {

class PrinterLine {
  public:
    virtual ~PrinterLine() = default;

    // Sends request and returns what came back within wait: empty when nothing did, more than one
    // byte when more came at once. Throws SystemCallFailed when the line fails.
    virtual std::vector<unsigned char> Ask(std::span<const unsigned char> request,
                                           std::chrono::milliseconds wait) = 0;
};

}  // namespace portsetup
