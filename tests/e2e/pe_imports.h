// The DLL names a program file asks the loader for, read from the file itself: its import table
// (loaded before the program runs) and its delay-import table (loaded on first use).
#pragma once

#include <string>
#include <vector>

namespace e2e {

struct PeImports {
    std::vector<std::string> imports;
    // From the delay-import directory and from descriptors linked in without it.
    std::vector<std::string> delayImports;
};

// Fatal when the file is not a PE image or a table points outside it.
PeImports ReadPeImports(const std::wstring& path);

}  // namespace e2e
