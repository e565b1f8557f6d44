// portdump(1) lists the error numbers portdump-decode explains, each with
// the words it prints: neither can change alone.
#include "error_meanings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

// The list under ".SS Error numbers": each entry a ".BR N ..." tag and its
// meaning on the text lines up to the next macro, joined by blanks.
std::map<long long, std::string> ManualMeanings(const char* path)
{
    std::ifstream page(path);
    const std::regex tag(R"(\.BR? ([0-9]+)( .*)?)");
    std::map<long long, std::string> meanings;
    std::string* meaning = nullptr;
    bool inList = false;
    std::string line;
    std::smatch match;
    while (std::getline(page, line)) {
        if (line.rfind(".S", 0) == 0) {
            inList = line == ".SS Error numbers";
            meaning = nullptr;
        } else if (inList && std::regex_match(line, match, tag)) {
            meaning = &meanings[std::stoll(match[1])];
        } else if (line.rfind('.', 0) == 0) {
            meaning = nullptr;
        } else if (meaning != nullptr) {
            *meaning += (meaning->empty() ? "" : " ") + line;
        }
    }
    return meanings;
}

TEST(ManualErrorNumbers, AreTheDecodersOwn)
{
    const std::map<long long, std::string> manual = ManualMeanings(MANUAL_PAGE);
    ASSERT_FALSE(manual.empty()) << MANUAL_PAGE << " lists no error numbers";
    for (const auto& [number, meaning] : manual) {
        const char* decoded = ErrorMeaning(number);
        EXPECT_EQ(decoded != nullptr ? decoded : "(no meaning)", meaning) << "error " << number;
    }
    // Windows' error numbers fit in 16 bits.
    for (long long number = 0; number <= 0xFFFF; ++number) {
        if (ErrorMeaning(number) != nullptr) {
            EXPECT_EQ(manual.count(number), 1u) << "error " << number << " is not in " << MANUAL_PAGE;
        }
    }
}

}  // namespace
