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

}  // namespace

UsbPrintLine::UsbPrintLine(const std::wstring& interfacePath, std::atomic<const char*>& underWay)
    : underWay_(underWay) {
    underWay_.store("CreateFileW");
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

DWORD UsbPrintLine::Transfer(bool write, void* data, DWORD size, DWORD waitMs) {
    const char* const call = write ? "WriteFile" : "ReadFile";
    OVERLAPPED transfer{};
    transfer.hEvent = done_.get();
    underWay_.store(call);
    const BOOL ended = write ? WriteFile(printer_.get(), data, size, nullptr, &transfer)
                             : ReadFile(printer_.get(), data, size, nullptr, &transfer);
    if (!ended && GetLastError() != ERROR_IO_PENDING) {
        ThrowLastError(call);
    }
    if (!ended && WaitForSingleObject(done_.get(), waitMs) != WAIT_OBJECT_0) {
        // The transfer must have ended before its OVERLAPPED goes out of scope: waited for below.
        CancelIoEx(printer_.get(), &transfer);
    }
    DWORD moved = 0;
    if (!GetOverlappedResult(printer_.get(), &transfer, &moved, TRUE) &&
        GetLastError() != ERROR_OPERATION_ABORTED) {
        ThrowLastError(call);
    }
    return moved;
}

std::vector<unsigned char> UsbPrintLine::ReadWithin(std::chrono::milliseconds wait) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(wait.count());
    const auto remaining = [deadline] {
        const ULONGLONG now = GetTickCount64();
        return now < deadline ? static_cast<DWORD>(deadline - now) : DWORD{0};
    };
    std::vector<unsigned char> received(kPacket);
    while (remaining() > 0) {
        if (const DWORD read = Transfer(false, received.data(), kPacket, remaining())) {
            received.resize(read);
            return received;
        }
        Sleep(remaining() < kReadAgainAfter ? remaining() : kReadAgainAfter);
    }
    return {};
}

UsbPrintLine::Reply UsbPrintLine::Ask(std::span<const unsigned char> request,
                                      std::chrono::milliseconds wait) {
    std::vector<unsigned char> bytes(request.begin(), request.end());
    const DWORD sent = Transfer(true, bytes.data(), static_cast<DWORD>(bytes.size()),
                                static_cast<DWORD>(wait.count()));
    if (sent < bytes.size()) {
        return {sent, {}};
    }
    return {sent, ReadWithin(wait)};
}

std::vector<unsigned char> UsbPrintLine::Settle(std::chrono::milliseconds wait) {
    return ReadWithin(wait);
}

}  // namespace portsetup
