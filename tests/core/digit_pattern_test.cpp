#include "core/digit_pattern.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/numtext.h"
#include "core/random.h"

namespace {

// The places written tens first, as a teacher reads them: "00 19 . 19 00 00" is tens 0-0,
// ones 1-9, point, tenths 1-9, hundredths 0-0, thousandths 0-0.
std::string Picture(const OperandPlaces& p) {
    std::string s;
    for (std::size_t k = 5; k-- > 0;) {
        s += p[k].Low + p[k].High;
        s += k == 3 ? " . " : k > 0 ? " " : "";
    }
    return s;
}

struct ParseCase {
    const char* pattern;
    const char* places;
};

TEST(ParseDigitPattern, PlacesAreRightAlignedAtThePoint) {
    const ParseCase cases[] = {
        {"[1-9].[1-9]", "00 19 . 19 00 00"},
        {"0.[1-9]", "00 00 . 19 00 00"},
        {"[1-9][0-9]", "19 09 . 00 00 00"},
        {"[1-9].[0-9][1-9]", "00 19 . 09 19 00"},
        {"5", "00 55 . 00 00 00"},
        {"[9-1]", "00 91 . 00 00 00"},  // kept as typed: the generator orders it, as in the window
        {"[7]", "00 77 . 00 00 00"},
        {"12.345", "11 22 . 33 44 55"},
        {".5", "00 00 . 55 00 00"},
        {"5.", "00 55 . 00 00 00"},
        {"[0-9][0-9].[0-9][0-9][0-9]", "09 09 . 09 09 09"},
        {"[2-2]0.00[1-3]", "22 00 . 00 00 13"},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(Picture(ParseDigitPattern(c.pattern)), c.places) << c.pattern;
    }
}

TEST(ParseDigitPattern, RefusesWhatIsNotPlacesAndQuotesIt) {
    const char* const refused[] = {
        "",   ".",  "1.2.3", "123",    "1.2345", "[1-9",   "[1-]",   "[a-b]",        "1 ",
        " 1", "１", "x",     "[1-9]]", "-5",     "[10-2]", "[1--2]", "[1-9].[1-9]x", "1,5",
    };
    for (const char* pattern : refused) {
        try {
            ParseDigitPattern(pattern);
            ADD_FAILURE() << "accepted '" << pattern << "'";
        } catch (const EPatternError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("'" + std::string(pattern) + "' は位の指定として読めません（", 0), 0u)
                << e.what();
        }
    }
}

TEST(FormatDigitPattern, WritesTheShortestPatternForTheSamePlaces) {
    const std::pair<const char*, const char*> cases[] = {
        {"[1-9].[0-9][1-9]", "[1-9].[0-9][1-9]"},
        {"05", "5"},
        {".5", "0.5"},
        {"[5-5]", "5"},
        {"0", "0"},
        {"[1-9].0", "[1-9]"},
        {"0.0[1-9]", "0.0[1-9]"},
        {"[9-1]0.000", "[9-1]0"},
        {"00.00[0-9]", "0.00[0-9]"},
    };
    for (const auto& [written, shortest] : cases) {
        EXPECT_EQ(FormatDigitPattern(ParseDigitPattern(written)), shortest) << written;
    }
}

// Every setting of the twenty digit fields (digits only) has a pattern that gives it back.
TEST(FormatDigitPattern, EveryWindowSettingSurvivesTheRoundTrip) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> digit(0, 9), zeroOdds(0, 2);
    for (int i = 0; i < 5000; ++i) {
        OperandPlaces places{};
        for (PlaceRange& p : places) {
            if (zeroOdds(random) == 0) continue;  // leave many places "0" to "0"
            p = {std::to_string(digit(random)), std::to_string(digit(random))};
        }
        const std::string pattern = FormatDigitPattern(places);
        ASSERT_EQ(ParseDigitPattern(pattern), places) << pattern;
    }
}

TEST(SetDigitRanges, FillsTheWindowsFieldsPlaceByPlace) {
    GenerationSettings s;
    SetDigitRanges(s, ParseDigitPattern("1.2"), ParseDigitPattern("[3-4]"));
    // ones: u4l u4h d4l d4h
    EXPECT_EQ(s.DigitRanges[3].MultiplicandLow, "1");
    EXPECT_EQ(s.DigitRanges[3].MultiplicandHigh, "1");
    EXPECT_EQ(s.DigitRanges[3].MultiplierLow, "3");
    EXPECT_EQ(s.DigitRanges[3].MultiplierHigh, "4");
    // tenths: the multiplicand's 2, the multiplier's 0
    EXPECT_EQ(s.DigitRanges[2].MultiplicandLow, "2");
    EXPECT_EQ(s.DigitRanges[2].MultiplierHigh, "0");
    EXPECT_EQ(Picture(MultiplicandPlaces(s)), "00 11 . 22 00 00");
    EXPECT_EQ(Picture(MultiplierPlaces(s)), "00 34 . 00 00 00");
}

// What the patterns mean to the generator: the operands they let through.
TEST(DigitPattern, GeneratedOperandsStayInsideTheirPatterns) {
    struct Case {
        const char* pattern;
        std::int32_t lowestMilli, highestMilli;
        std::int32_t stepMilli;  // every operand is a multiple of it
    };
    const Case cases[] = {
        {"[1-9].[1-9]", 1100, 9900, 100},     {"0.[1-9]", 100, 900, 100},       {"[1-9][0-9]", 10000, 99000, 1000},
        {"[1-9].[0-9][1-9]", 1010, 9990, 10}, {"[9-7].[5-5]", 7500, 9500, 100}, {"0.00[1-9]", 1, 9, 1},
    };
    for (const Case& c : cases) {
        GenerationSettings s;
        s.RequestedCount = 16;
        s.AnswerLowText = "0";
        s.AnswerHighText = "100000";
        SetDigitRanges(s, ParseDigitPattern(c.pattern), ParseDigitPattern("1"));
        ProblemSet set;
        std::int32_t count = 0;
        std::int32_t seen_lowest = 1 << 30, seen_highest = -1;
        for (std::uint32_t seed = 1; seed <= 1000; ++seed) {
            TRandom random(seed);
            GenerateProblems(s, random, set, count);
            for (int i = 1; i <= count; ++i) {
                const std::int32_t m = set[i].MultiplicandMilli;
                EXPECT_GE(m, c.lowestMilli) << c.pattern;
                EXPECT_LE(m, c.highestMilli) << c.pattern;
                EXPECT_EQ(m % c.stepMilli, 0) << c.pattern << " " << m;
                if (c.stepMilli == 10) {
                    EXPECT_NE(m % 100, 0) << c.pattern << " " << m;  // hundredths 1-9
                }
                seen_lowest = std::min(seen_lowest, m);
                seen_highest = std::max(seen_highest, m);
                EXPECT_EQ(set[i].MultiplierMilli, 1000);
            }
        }
        // The ends of the range are reached too, not just the middle.
        EXPECT_EQ(seen_lowest, c.lowestMilli) << c.pattern;
        EXPECT_EQ(seen_highest, c.highestMilli) << c.pattern;
    }
}

TEST(SplitAnswerRange, SplitsAtTheOneColonAndLeavesTheTextsAsTyped) {
    const struct {
        const char* text;
        const char* low;
        const char* high;
    } cases[] = {
        {"0:1000", "0", "1000"}, {":5", "", "5"}, {"1.5: 3", "1.5", " 3"}, {"100:1", "100", "1"}, {":", "", ""},
    };
    for (const auto& c : cases) {
        const AnswerRangeTexts t = SplitAnswerRange(c.text);
        EXPECT_EQ(t.Low, c.low) << c.text;
        EXPECT_EQ(t.High, c.high) << c.text;
    }
    for (const char* bad : {"5", "1:2:3", "", "1-5"}) {
        try {
            SplitAnswerRange(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EPatternError& e) {
            EXPECT_NE(std::string(e.what()).find("'" + std::string(bad) + "' は答えの範囲として読めません"),
                      std::string::npos)
                << e.what();
        }
    }
}

}  // namespace
