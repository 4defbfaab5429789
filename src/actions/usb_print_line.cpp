#include "actions/usb_print_line.h"

#include <windows.h>

#include "actions/last_error.h"

namespace portsetup {
namespace {

// A read asks for a whole packet of a high-speed bulk endpoint, 512 bytes: the printer may send
// up to a packet whatever the buffer, and a buffer shorter than what comes fails the transfer.
// Microsoft: "To avoid receiving extra data from unexpected bus activity, which is sometimes
// called babble, drivers usually specify read buffers that are a multiple of the pipe's maximum
// packet size" ("WdfUsbTargetPipeSetNoMaximumPacketSizeCheck function", learn.microsoft.com).
constexpr DWORD kPacket = 512;
// How long to wait before reading again when a read ends with nothing, as the printing class's
// reads may while the printer has nothing to send.
constexpr DWORD kReadAgainAfter = 10;

// One overlapped transfer, given at most waitMs to end; one that does not is cancelled. Returns the
// bytes moved, also those moved before a cancel (a line that waits for a whole buffer, as Wine's
// comm devices do, ends a read no other way).
DWORD Transfer(HANDLE printer, HANDLE done, bool write, void* data, DWORD size, DWORD waitMs) {
    OVERLAPPED transfer{};
    transfer.hEvent = done;
    const BOOL ended = write ? WriteFile(printer, data, size, nullptr, &transfer)
                             : ReadFile(printer, data, size, nullptr, &transfer);
    if (!ended && GetLastError() != ERROR_IO_PENDING) {
        ThrowLastError(write ? "WriteFile" : "ReadFile");
    }
    if (!ended && WaitForSingleObject(done, waitMs) != WAIT_OBJECT_0) {
        // The transfer must have ended before its OVERLAPPED goes out of scope: waited for below.
        CancelIoEx(printer, &transfer);
    }
    DWORD moved = 0;
    if (!GetOverlappedResult(printer, &transfer, &moved, TRUE)) {
        if (GetLastError() == ERROR_OPERATION_ABORTED) {
            return moved;
        }
        ThrowLastError(write ? "WriteFile" : "ReadFile");
    }
    return moved;
}

}  // namespace

UsbPrintLine::UsbPrintLine(const std::wstring& interfacePath) {
    const HANDLE printer = CreateFileW(interfacePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (printer == INVALID_HANDLE_VALUE) {
        ThrowLastError("CreateFileW");
    }
    printer_.reset(printer);
    done_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done_) {
        ThrowLastError("CreateEventW");
    }
}

std::vector<unsigned char> UsbPrintLine::Ask(std::span<const unsigned char> request,
                                             std::chrono::milliseconds wait) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(wait.count());
    const auto remaining = [deadline] {
        const ULONGLONG now = GetTickCount64();
        return now < deadline ? static_cast<DWORD>(deadline - now) : DWORD{0};
    };
    std::vector<unsigned char> bytes(request.begin(), request.end());
    const auto size = static_cast<DWORD>(bytes.size());
    // A printer that does not take the request in time has not answered it.
    if (Transfer(printer_.get(), done_.get(), true, bytes.data(), size, remaining()) < size) {
        return {};
    }
    std::vector<unsigned char> answer(kPacket);
    while (remaining() > 0) {
        if (const DWORD read =
                Transfer(printer_.get(), done_.get(), false, answer.data(), kPacket, remaining())) {
            answer.resize(read);
            return answer;
        }
        Sleep(remaining() < kReadAgainAfter ? remaining() : kReadAgainAfter);
    }
    return {};
}

}  // namespace portsetup
