#include "actions/serial_line.h"

#include <windows.h>

#include <string>

#include "actions/last_error.h"
#include "model/port_name.h"
#include "model/settings_string.h"

namespace portsetup {
namespace {

// The longest pause within one answer: a USB adapter passes received bytes on at least every
// 16 ms, and one character takes 8 ms at 1200 bits per second.
constexpr DWORD kPauseWithinAnswer = 50;
// More than a status answer's one byte tells that it is not one; room for what is set aside.
constexpr DWORD kLongestAnswer = 16;

}  // namespace

SerialLine::SerialLine(std::wstring_view portName, std::atomic<const char*>& underWay)
    : underWay_(underWay) {
    // COM10 and up are reached only through the device namespace, and every port can be.
    const std::wstring path = L"\\\\.\\" + std::wstring(WithoutColon(portName));
    Calling("CreateFileW");
    const HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        ThrowLastError("CreateFileW");
    }
    port_.reset(port);
}

void SerialLine::Calling(const char* call) noexcept {
    underWay_.store(call);
}

void SerialLine::Configure(const SettingListTexts& settings) {
    DCB line{};
    line.DCBlength = sizeof line;
    Calling("GetCommState");
    if (!GetCommState(port_.get(), &line)) {
        ThrowLastError("GetCommState");
    }
    const LineSettings wanted = ReadLineSettings(settings);
    line.BaudRate = wanted.bitsPerSecond;
    line.ByteSize = wanted.dataBits;
    line.Parity = wanted.parity;
    line.StopBits = wanted.stopBits;
    line.fBinary = TRUE;
    line.fParity = wanted.parity != NOPARITY;
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fDsrSensitivity = FALSE;
    line.fNull = FALSE;
    line.fAbortOnError = FALSE;
    // DTR and RTS on say that this side is ready: a printer set to DTR/DSR or RTS/CTS handshake
    // sends nothing to a host that looks busy.
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    Calling("SetCommState");
    if (!SetCommState(port_.get(), &line)) {
        ThrowLastError("SetCommState");
    }
}

void SerialLine::SetTimeouts(unsigned long pauseWithin, std::chrono::milliseconds wait) {
    const auto waitMs = static_cast<DWORD>(wait.count());
    // A write that times out is no error: WriteFile succeeds with fewer bytes written
    // (Microsoft, "Time-Outs", Communications Resources), which Ask reports.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = pauseWithin;
    timeouts.ReadTotalTimeoutConstant = waitMs;
    timeouts.WriteTotalTimeoutConstant = waitMs;
    Calling("SetCommTimeouts");
    if (!SetCommTimeouts(port_.get(), &timeouts)) {
        ThrowLastError("SetCommTimeouts");
    }
}

void SerialLine::Purge() {
    Calling("PurgeComm");
    if (!PurgeComm(port_.get(), PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR)) {
        ThrowLastError("PurgeComm");
    }
}

std::vector<unsigned char> SerialLine::Read() {
    std::vector<unsigned char> received(kLongestAnswer);
    DWORD read = 0;
    Calling("ReadFile");
    if (!ReadFile(port_.get(), received.data(), kLongestAnswer, &read, nullptr)) {
        ThrowLastError("ReadFile");
    }
    received.resize(read);
    return received;
}

SerialLine::Reply SerialLine::Ask(std::span<const unsigned char> request,
                                  std::chrono::milliseconds wait) {
    SetTimeouts(kPauseWithinAnswer, wait);
    // An answer still on its way from an earlier request, or at an earlier speed, is not this
    // request's.
    Purge();
    DWORD written = 0;
    Calling("WriteFile");
    if (!WriteFile(port_.get(), request.data(), static_cast<DWORD>(request.size()), &written,
                   nullptr)) {
        ThrowLastError("WriteFile");
    }
    if (written < request.size()) {
        return {written, {}};
    }
    return {written, Read()};
}

std::vector<unsigned char> SerialLine::Settle(std::chrono::milliseconds wait) {
    // No pause ends this read: the whole wait is waited out.
    SetTimeouts(0, wait);
    std::vector<unsigned char> late = Read();
    Purge();
    return late;
}

}  // namespace portsetup
