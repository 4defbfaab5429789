// Reads what the printer set-up entry point received, from the trace Wine writes when started
// with WINEDEBUG=+printui: one PrintUIEntryW line with the raw command and the window state, then
// one line per parsed piece ("cmd:", "sub:", "opt:").
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace e2e {

struct PrintUiCall {
    std::wstring command;    // the text after "printui.dll,PrintUIEntry"
    bool truncated = false;  // Wine shortens long strings and marks them with "..."
    unsigned long showCmd = ~0UL;
    std::wstring cmd;                                            // "i" for /if, "d" for /dd
    std::wstring sub;                                            // "f" for /if, "d" for /dd
    std::vector<std::pair<std::wstring, std::wstring>> options;  // ("b", "Tarvik(Cut Mode)"), ...
};

// Every PrintUIEntryW call found in trace, in order; the parsed pieces that follow a call belong to
// it. Lines of other channels are ignored.
std::vector<PrintUiCall> ParsePrintUiTrace(std::string_view trace);

// Decodes one Wine debug string (L"..." with \\ \" \n \r \t \NNNN \xNNNN escapes) starting at
// text[pos]. On success pos is left after the closing quote (and after a "..." mark, which sets
// truncated).
bool ReadDebugString(std::string_view text, std::size_t& pos, std::wstring& value, bool& truncated);

}  // namespace e2e
