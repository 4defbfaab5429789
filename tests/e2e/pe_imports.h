// The DLL names a program file asks the loader for, read from the file itself: its import table
// (loaded before the program runs) and its delay-import table (loaded on first use); and the
// loader flags of its header.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct PeImports {
    std::vector<std::string> imports;
    // From the delay-import directory and from descriptors linked in without it.
    std::vector<std::string> delayImports;
    WORD dllCharacteristics = 0;  // IMAGE_DLLCHARACTERISTICS_* of the optional header
};

// Fatal when the file is not a PE image or a table points outside it.
PeImports ReadPeImports(const std::wstring& path);

}  // namespace e2e
