#include "model/models_section.h"

#include <array>
#include <tuple>

#include "model/text.h"

namespace portsetup {
namespace {

// 0 to 15 for a hexadecimal digit, 16 for anything else.
std::uint32_t DigitValue(wchar_t c) {
    constexpr std::wstring_view kDigits = L"0123456789abcdef";
    const std::size_t at =
        kDigits.find(static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c))));
    return at == std::wstring_view::npos ? 16 : static_cast<std::uint32_t>(at);
}

// One field of a decoration: empty (not given), decimal, or hex with 0x as Microsoft writes the
// product types and suite masks.
std::optional<std::optional<std::uint32_t>> ParseField(std::wstring_view field) {
    if (field.empty()) {
        return std::optional<std::uint32_t>{};
    }
    std::uint32_t base = 10;
    if (field.size() > 2 && field[0] == L'0' && (field[1] == L'x' || field[1] == L'X')) {
        base = 16;
        field.remove_prefix(2);
    }
    std::uint64_t value = 0;
    for (const wchar_t c : field) {
        const std::uint32_t digit = DigitValue(c);
        value = value * base + digit;
        if (digit >= base || value > 0xFFFF'FFFF) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

enum Field { kMajor, kMinor, kProductType, kSuiteMask, kBuild, kFields };
using Fields = std::array<std::optional<std::uint32_t>, kFields>;

// The fields after NTamd64; nothing when the decoration is for another platform or malformed.
std::optional<Fields> ParseDecoration(std::wstring_view decoration) {
    constexpr std::wstring_view kX64 = L"NTamd64";
    if (decoration.size() < kX64.size() ||
        !SameTextIgnoringCase(decoration.substr(0, kX64.size()), kX64)) {
        return std::nullopt;
    }
    decoration.remove_prefix(kX64.size());
    Fields fields{};
    for (std::size_t index = 0; !decoration.empty(); ++index) {
        if (decoration[0] != L'.' || index == kFields) {
            return std::nullopt;
        }
        decoration.remove_prefix(1);
        const std::size_t end = std::min(decoration.find(L'.'), decoration.size());
        const auto field = ParseField(decoration.substr(0, end));
        if (!field) {
            return std::nullopt;
        }
        fields[index] = *field;
        decoration.remove_prefix(end);
    }
    return fields;
}

bool Fits(const Fields& fields, const RunningWindows& running) {
    const auto& [major, minor, productType, suiteMask, build] = fields;
    return std::tuple(major.value_or(0), minor.value_or(0), build.value_or(0)) <=
               std::tuple(running.major, running.minor, running.build) &&
           (!productType || *productType == running.productType) &&
           (!suiteMask || (*suiteMask & running.suiteMask) == *suiteMask);
}

}  // namespace

std::optional<std::size_t> ChosenModelsDecoration(std::span<const std::wstring> decorations,
                                                  const RunningWindows& running) {
    std::optional<std::size_t> chosen;
    std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, int> best{};
    for (std::size_t index = 0; index < decorations.size(); ++index) {
        const std::optional<Fields> fields = ParseDecoration(decorations[index]);
        if (!fields || !Fits(*fields, running)) {
            continue;
        }
        const auto& [major, minor, productType, suiteMask, build] = *fields;
        const std::tuple rank(major.value_or(0), minor.value_or(0), build.value_or(0),
                              int{productType.has_value()} + int{suiteMask.has_value()});
        if (!chosen || rank > best) {
            chosen = index;
            best = rank;
        }
    }
    return chosen;
}

}  // namespace portsetup
