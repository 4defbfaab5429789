#include "model/exit_codes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace portsetup {
namespace {

// The guide's exit-code table is what deployment tools are set up from: it must list exactly
// the codes the program returns, each with its HRESULT, and those the dialog ends with as "both".
TEST(ExitCodes, TheGuideTableListsEveryCodeAndNoOther) {
    std::ifstream guide(PORTSETUP_GUIDE);
    ASSERT_TRUE(guide) << PORTSETUP_GUIDE;
    std::stringstream whole;
    whole << guide.rdbuf();
    const std::string text = whole.str();
    const std::size_t section = text.find("\n### Exit codes\n");
    ASSERT_NE(section, std::string::npos);
    const std::size_t end = text.find("\n#", section + 1);

    std::set<int> documented;
    std::set<int> documentedForBoth;
    std::istringstream lines(text.substr(section, end - section));
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 2 && line[0] == '|' &&
            std::isdigit(static_cast<unsigned char>(line[2]))) {
            const int code = std::stoi(line.substr(2));
            documented.insert(code);
            // Beside it, the HRESULT a console may show instead (HRESULT_FROM_WIN32).
            char hresult[20];
            std::snprintf(hresult, sizeof hresult, "| 0x%08X |",
                          code ? 0x80070000U | static_cast<unsigned>(code) : 0U);
            EXPECT_NE(line.find(hresult), std::string::npos) << line;
            if (line.ends_with("| both |")) {
                documentedForBoth.insert(code);
            }
        }
    }
    std::set<int> returned;
    std::set<int> returnedByBoth;
    for (const ExitCodeMeaning& exit : kExitCodeMeanings) {
        returned.insert(exit.code);
        if (!exit.dialog.empty()) {
            returnedByBoth.insert(exit.code);
        }
    }
    EXPECT_EQ(documented, returned);
    EXPECT_EQ(documentedForBoth, returnedByBoth);
}

}  // namespace
}  // namespace portsetup
