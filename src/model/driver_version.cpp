#include "model/driver_version.h"

#include "model/text.h"

namespace portsetup {
namespace {

constexpr int kParts = 4;
constexpr int kPartBits = 16;
constexpr std::uint64_t kPartMax = 0xFFFF;

std::wstring_view TrimBlanks(std::wstring_view text) {
    const std::size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

}  // namespace

std::optional<std::uint64_t> ParseDriverVersion(std::wstring_view text) {
    text = TrimBlanks(text);
    std::uint64_t version = 0;
    int part = 0;
    std::size_t start = 0;
    for (;; ++part) {
        const std::size_t dot = text.find(L'.', start);
        const std::wstring_view digits = text.substr(start, dot - start);
        if (part == kParts || digits.empty()) {
            return std::nullopt;
        }
        std::uint64_t value = 0;
        for (const wchar_t digit : digits) {
            if (digit < L'0' || digit > L'9') {
                return std::nullopt;
            }
            value = value * 10 + static_cast<std::uint64_t>(digit - L'0');
            if (value > kPartMax) {
                return std::nullopt;
            }
        }
        version |= value << (kPartBits * (kParts - 1 - part));
        if (dot == std::wstring_view::npos) {
            return version;
        }
        start = dot + 1;
    }
}

std::wstring DriverVersionText(std::uint64_t version) {
    std::wstring text;
    for (int part = kParts - 1; part >= 0; --part) {
        const auto value = static_cast<unsigned long>((version >> (kPartBits * part)) & kPartMax);
        text += DecimalText(value);
        if (part > 0) {
            text += L'.';
        }
    }
    return text;
}

bool DriverUpdateNeeded(std::uint64_t installed, std::optional<std::uint64_t> inInf) {
    // 0.0.0.0 is no version to Windows either: an INF that gives it states none.
    return installed != 0 && inInf && *inInf != 0 && *inInf > installed;
}

bool InstalledDriverNewer(std::uint64_t installed, std::optional<std::uint64_t> inInf) {
    return inInf && *inInf != 0 && installed > *inInf;
}

bool DriverInstallConfirmed(std::optional<std::uint64_t> shown,
                            std::optional<std::uint64_t> expected) {
    return shown && (!expected || *shown >= *expected);
}

}  // namespace portsetup
