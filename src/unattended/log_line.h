// One line of the unattended run's log: local time in ISO 8601 with its offset from UTC, then
// what happened, so that lines from several runs and PCs sort and compare.
#pragma once

#include <string>
#include <string_view>

namespace portsetup {

struct LogTime {
    int year, month, day, hour, minute, second;
    int offsetMinutes;  // local time minus UTC
};

// "2026-12-08T21:05:03+01:00 text" with a line end. Line breaks inside text become blanks, so that
// each entry stays one line.
std::wstring LogLine(const LogTime& time, std::wstring_view text);

}  // namespace portsetup
