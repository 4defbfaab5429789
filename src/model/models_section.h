// Which of an INF file's models sections Windows installs from on x64: the one whose decoration
// most closely matches the running system ("INF Manufacturer section", "Combining platform
// extensions with operating system versions", learn.microsoft.com). The driver version an
// unattended install compares and records is the one in the install section this names.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace portsetup {

// The running system as RtlGetVersion reports it.
struct RunningWindows {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t productType = 0;  // VER_NT_WORKSTATION (1), _DOMAIN_CONTROLLER (2), _SERVER (3)
    std::uint32_t suiteMask = 0;    // VER_SUITE_...
};

// The index in decorations (a [Manufacturer] line's TargetOSVersion fields, whose sections exist)
// of the one Windows takes: among NTamd64[.Major[.Minor[.ProductType[.SuiteMask[.BuildNumber]]]]]
// those the running system meets (its version not below the decoration's, the product type
// equal and every suite bit present when given), the highest version, then the more specific;
// the bare NTamd64 fits every x64 system. Nothing: the undecorated models section.
std::optional<std::size_t> ChosenModelsDecoration(std::span<const std::wstring> decorations,
                                                  const RunningWindows& running);

}  // namespace portsetup
