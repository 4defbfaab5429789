#include "actions/usb_print_line.h"

#include <windows.h>

#include "actions/last_error.h"

namespace portsetup {
namespace {

// More than a status answer's one byte tells that it is not one.
constexpr std::size_t kLongestAnswer = 16;
// An answer comes in one USB transfer: a pause this long after a byte ends it. Read a byte at a
// time, so that a line that waits for a whole buffer (as Wine's does) ends a read all the same.
constexpr DWORD kPauseWithinAnswer = 20;
// How long to wait before reading again when a read ends with nothing, as the printing class's
// reads may while the printer has nothing to send.
constexpr DWORD kReadAgainAfter = 10;

// One overlapped transfer, given at most waitMs to end; one that does not is cancelled. Returns the
// bytes moved: 0 when it was cancelled.
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
            return 0;
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
    std::vector<unsigned char> answer;
    while (answer.size() < kLongestAnswer) {
        const DWORD limit = answer.empty() ? remaining() : kPauseWithinAnswer;
        if (limit == 0) {
            break;
        }
        unsigned char byte = 0;
        if (Transfer(printer_.get(), done_.get(), false, &byte, 1, limit) == 1) {
            answer.push_back(byte);
        } else if (!answer.empty()) {
            break;
        } else {
            Sleep(remaining() < kReadAgainAfter ? remaining() : kReadAgainAfter);
        }
    }
    return answer;
}

}  // namespace portsetup
