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
// More than a status answer's one byte tells that it is not one.
constexpr DWORD kLongestAnswer = 16;

}  // namespace

SerialLine::SerialLine(std::wstring_view portName) {
    // COM10 and up are reached only through the device namespace, and every port can be.
    const std::wstring path = L"\\\\.\\" + std::wstring(WithoutColon(portName));
    const HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        ThrowLastError("CreateFileW");
    }
    port_.reset(port);
}

void SerialLine::Configure(const SettingListTexts& settings) {
    DCB line{};
    line.DCBlength = sizeof line;
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
    if (!SetCommState(port_.get(), &line)) {
        ThrowLastError("SetCommState");
    }
}

std::vector<unsigned char> SerialLine::Ask(std::span<const unsigned char> request,
                                           std::chrono::milliseconds wait) {
    const auto waitMs = static_cast<DWORD>(wait.count());
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kPauseWithinAnswer;
    timeouts.ReadTotalTimeoutConstant = waitMs;
    timeouts.WriteTotalTimeoutConstant = waitMs;
    if (!SetCommTimeouts(port_.get(), &timeouts)) {
        ThrowLastError("SetCommTimeouts");
    }
    // An answer still on its way from an earlier request, or at an earlier speed, is not this
    // request's.
    if (!PurgeComm(port_.get(), PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR)) {
        ThrowLastError("PurgeComm");
    }
    DWORD written = 0;
    if (!WriteFile(port_.get(), request.data(), static_cast<DWORD>(request.size()), &written,
                   nullptr)) {
        ThrowLastError("WriteFile");
    }
    std::vector<unsigned char> answer(kLongestAnswer);
    DWORD read = 0;
    if (!ReadFile(port_.get(), answer.data(), kLongestAnswer, &read, nullptr)) {
        ThrowLastError("ReadFile");
    }
    answer.resize(read);
    return answer;
}

}  // namespace portsetup
