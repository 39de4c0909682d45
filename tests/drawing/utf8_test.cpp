#include "drawing/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<char32_t> CodePoints(std::string_view text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) out.push_back(NextCodePoint(text, i));
    return out;
}

}  // namespace

// Every malformed byte reads as one U+FFFD and the reading goes on at the next byte, so that
// what follows a bad byte is never swallowed.
TEST(Utf8, ReadsCharactersAndReplacesWhatIsMalformed) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<char32_t> expected;
    };
    const Case cases[] = {
        {"ascii", "a1.", {U'a', U'1', U'.'}},
        {"two, three and four bytes", "é小𝟘", {0xE9, 0x5C0F, 0x1D7D8}},
        {"the largest", "\xF4\x8F\xBF\xBF", {0x10FFFF}},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}},
        {"stray continuation",
         "\x80"
         "a",
         {0xFFFD, U'a'}},
        {"cut at the end", "a\xE5\xB0", {U'a', 0xFFFD, 0xFFFD}},
        {"cut before ascii", "\xE5(b", {0xFFFD, U'(', U'b'}},
        {"overlong slash", "\xC0\xAF", {0xFFFD, 0xFFFD}},
        {"overlong three bytes", "\xE0\x80\xAF", {0xFFFD, 0xFFFD, 0xFFFD}},
        {"surrogate", "\xED\xA0\x80", {0xFFFD, 0xFFFD, 0xFFFD}},
        {"no lead byte 0xFF",
         "\xFF"
         "x",
         {0xFFFD, U'x'}},
        {"a replacement character as written", "\xEF\xBF\xBD", {0xFFFD}},
    };
    for (const Case& c : cases) EXPECT_EQ(CodePoints(c.text), c.expected) << c.name;
}
