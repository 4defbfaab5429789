#include "unattended/log_line.h"

#include "model/text.h"

namespace portsetup {
namespace {

void AppendDigits(std::wstring& text, int value, std::size_t width) {
    const std::wstring digits = DecimalText(static_cast<unsigned long>(value));
    text.append(digits.size() < width ? width - digits.size() : 0, L'0').append(digits);
}

}  // namespace

std::wstring LogLine(const LogTime& time, std::wstring_view text) {
    std::wstring line;
    AppendDigits(line, time.year, 4);
    line += L'-';
    AppendDigits(line, time.month, 2);
    line += L'-';
    AppendDigits(line, time.day, 2);
    line += L'T';
    AppendDigits(line, time.hour, 2);
    line += L':';
    AppendDigits(line, time.minute, 2);
    line += L':';
    AppendDigits(line, time.second, 2);
    const int offset = time.offsetMinutes < 0 ? -time.offsetMinutes : time.offsetMinutes;
    line += time.offsetMinutes < 0 ? L'-' : L'+';
    AppendDigits(line, offset / 60, 2);
    line += L':';
    AppendDigits(line, offset % 60, 2);
    line += L' ';
    for (const wchar_t c : text) {
        line += (c == L'\r' || c == L'\n') ? L' ' : c;
    }
    return line + L"\r\n";
}

}  // namespace portsetup
