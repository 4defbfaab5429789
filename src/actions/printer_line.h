// The line to a receipt printer that the printer check asks over: a COM port (SerialLine) or a USB
// printer's printing interface (UsbPrintLine). The check sends the same requests over either and
// judges the answers alike. A line only reports: which call failed with which code (as
// SystemCallFailed), how many bytes went out, what came back.
#pragma once

#include <chrono>
#include <cstddef>
#include <span>
#include <vector>

namespace portsetup {

class PrinterLine {
  public:
    virtual ~PrinterLine() = default;

    struct Reply {
        std::size_t sent;                     // the request's bytes that went out within wait
        std::vector<unsigned char> received;  // what came back within wait
    };
    // Sends request and reads what comes back within wait, when all of the request went out.
    virtual Reply Ask(std::span<const unsigned char> request, std::chrono::milliseconds wait) = 0;

    // Waits out wait for what may still come, so that a late answer is not taken for the next
    // request's. Returns what came.
    virtual std::vector<unsigned char> Settle(std::chrono::milliseconds wait) = 0;
};

}  // namespace portsetup
