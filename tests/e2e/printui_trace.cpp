#include "printui_trace.h"

namespace e2e {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Four hex digits at text[pos], as Wine writes characters outside printable ASCII.
bool ReadHex4(std::string_view text, std::size_t pos, wchar_t& value) {
    if (pos + 4 > text.size()) {
        return false;
    }
    unsigned code = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const int digit = HexDigit(text[pos + i]);
        if (digit < 0) {
            return false;
        }
        code = code * 16 + static_cast<unsigned>(digit);
    }
    value = static_cast<wchar_t>(code);
    return true;
}

// The next debug string at or after pos, skipping anything before it.
bool FindDebugString(std::string_view line, std::size_t& pos, std::wstring& value) {
    const std::size_t start = line.find("L\"", pos);
    if (start == std::string_view::npos) {
        return false;
    }
    pos = start;
    bool truncated = false;
    return ReadDebugString(line, pos, value, truncated);
}

}  // namespace

bool ReadDebugString(std::string_view text, std::size_t& pos, std::wstring& value,
                     bool& truncated) {
    if (text.substr(pos, 2) != "L\"") {
        return false;
    }
    std::wstring decoded;
    std::size_t i = pos + 2;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            ++i;
            truncated = text.substr(i, 3) == "...";
            if (truncated) {
                i += 3;
            }
            value = std::move(decoded);
            pos = i;
            return true;
        }
        if (c != '\\') {
            decoded.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) {
            return false;
        }
        const char escaped = text[i + 1];
        wchar_t code = 0;
        switch (escaped) {
            case '\\':
            case '"':
                decoded.push_back(static_cast<wchar_t>(escaped));
                i += 2;
                break;
            case 'n':
                decoded.push_back(L'\n');
                i += 2;
                break;
            case 'r':
                decoded.push_back(L'\r');
                i += 2;
                break;
            case 't':
                decoded.push_back(L'\t');
                i += 2;
                break;
            case 'x':
                if (!ReadHex4(text, i + 2, code)) {
                    return false;
                }
                decoded.push_back(code);
                i += 6;
                break;
            default:
                if (!ReadHex4(text, i + 1, code)) {
                    return false;
                }
                decoded.push_back(code);
                i += 5;
                break;
        }
    }
    return false;  // no closing quote
}

std::vector<PrintUiCall> ParsePrintUiTrace(std::string_view trace) {
    std::vector<PrintUiCall> calls;
    std::size_t lineStart = 0;
    while (lineStart < trace.size()) {
        std::size_t lineEnd = trace.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) {
            lineEnd = trace.size();
        }
        const std::string_view line = trace.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;

        if (const std::size_t at = line.find("trace:printui:PrintUIEntryW ("); at != line.npos) {
            PrintUiCall call;
            std::size_t pos = line.find("L\"", at);
            if (pos == line.npos || !ReadDebugString(line, pos, call.command, call.truncated)) {
                continue;  // the "got N args" line, or a damaged one
            }
            const std::size_t hex = line.find("0x", pos);
            if (hex != line.npos) {
                call.showCmd = 0;
                for (std::size_t i = hex + 2; i < line.size() && HexDigit(line[i]) >= 0; ++i) {
                    call.showCmd = call.showCmd * 16 + static_cast<unsigned>(HexDigit(line[i]));
                }
            }
            calls.push_back(std::move(call));
            continue;
        }
        const std::size_t parse = line.find("trace:printui:parse_rundll");
        if (parse == line.npos || calls.empty()) {
            continue;
        }
        PrintUiCall& call = calls.back();
        std::size_t pos = parse;
        if (const std::size_t opt = line.find(" opt: ", parse); opt != line.npos) {
            pos = opt;
            std::wstring name;
            std::wstring value;
            if (FindDebugString(line, pos, name) && FindDebugString(line, pos, value)) {
                call.options.emplace_back(std::move(name), std::move(value));
            }
        } else if (const std::size_t cmd = line.find(" cmd: ", parse); cmd != line.npos) {
            pos = cmd;
            FindDebugString(line, pos, call.cmd);
        } else if (const std::size_t sub = line.find(" sub: ", parse); sub != line.npos) {
            pos = sub;
            FindDebugString(line, pos, call.sub);
        }
    }
    return calls;
}

}  // namespace e2e
