#include "core/generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "core/errors.h"
#include "core/numtext.h"
#include "core/random.h"

namespace {

// Every place "0" to "0", answer range "0" to "0": the window's start values.
GenerationSettings StartSettings(std::int32_t requested = 12) {
    GenerationSettings s;
    s.RequestedCount = requested;
    s.AnswerLowText = "0";
    s.AnswerHighText = "0";
    for (auto& r : s.DigitRanges) r = {"0", "0", "0", "0"};
    return s;
}

// k: 1 thousandths .. 5 tens.
void SetPlace(GenerationSettings& s, int k, const char* uLow, const char* uHigh, const char* dLow, const char* dHigh) {
    s.DigitRanges[static_cast<std::size_t>(k - 1)] = {uLow, uHigh, dLow, dHigh};
}

// The state after `draws` steps of the recurrence.
std::uint32_t Advanced(std::uint32_t state, long draws) {
    for (long i = 0; i < draws; ++i) state = state * 134775813u + 1u;
    return state;
}

// A set whose every slot is recognisable, to see what a command touched.
ProblemSet MarkedSet() {
    ProblemSet set;
    for (int s = 1; s <= ProblemCapacity; ++s) {
        set[s].MultiplicandMilli = 100 + s;
        set[s].MultiplierMilli = 200 + s;
        set[s].MultiplicandText = "old u" + std::to_string(s);
        set[s].MultiplierText = "old d" + std::to_string(s);
    }
    return set;
}

bool SameSlot(const Problem& a, const Problem& b) {
    return a.MultiplicandMilli == b.MultiplicandMilli && a.MultiplierMilli == b.MultiplierMilli &&
           a.MultiplicandText == b.MultiplicandText && a.MultiplierText == b.MultiplierText;
}

using Pair = std::pair<std::int32_t, std::int32_t>;

std::set<Pair> Kept(const ProblemSet& set, std::int32_t count) {
    std::set<Pair> pairs;
    for (int s = 1; s <= count; ++s) pairs.insert({set[s].MultiplicandMilli, set[s].MultiplierMilli});
    return pairs;
}

TEST(GenerateProblems, StartValuesKeepOneProblemAndGiveUpOnTheNextSlot) {
    TRandom random(99);
    ProblemSet set = MarkedSet();
    std::int32_t count = -1;
    EXPECT_EQ(GenerateProblems(StartSettings(), random, set, count), GenerationResult::GaveUp);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(set[1].MultiplicandText, "0");
    EXPECT_EQ(set[1].MultiplierText, "0");
    // Slot 1 took one candidate, slot 2 gave up on its 1001st: ten draws each.
    EXPECT_EQ(random.Seed(), Advanced(99, 10L * (1 + 1001)));
    // The last candidate sits in slot 2, but its texts were never written.
    EXPECT_EQ(set[2].MultiplicandMilli, 0);
    EXPECT_EQ(set[2].MultiplicandText, "old u2");
    const ProblemSet untouched = MarkedSet();
    for (int s = 3; s <= ProblemCapacity; ++s) EXPECT_TRUE(SameSlot(set[s], untouched[s])) << s;
}

TEST(GenerateProblems, NoCandidatePassingGivesAnEmptySetAndWritesNoText) {
    GenerationSettings settings = StartSettings();
    settings.AnswerLowText = "1";
    settings.AnswerHighText = "2";
    TRandom random(5);
    ProblemSet set = MarkedSet();
    std::int32_t count = -1;
    EXPECT_EQ(GenerateProblems(settings, random, set, count), GenerationResult::GaveUp);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(random.Seed(), Advanced(5, 10L * 1001));
    EXPECT_EQ(set[1].MultiplicandText, "old u1");
}

TEST(GenerateProblems, SmallRangesGiveUpAfterTheirDistinctProblems) {
    const struct {
        const char *uLow, *uHigh, *dLow, *dHigh;
        std::set<Pair> expected;
    } cases[] = {
        // Order counts: 1 x 2 and 2 x 1 are two problems.
        {"1", "2", "1", "2", {{1000, 1000}, {1000, 2000}, {2000, 1000}, {2000, 2000}}},
        {"1", "3", "1", "1", {{1000, 1000}, {2000, 1000}, {3000, 1000}}},
        {"2", "1", "2", "2", {{1000, 2000}, {2000, 2000}}},  // typed high to low
    };
    for (const auto& c : cases) {
        GenerationSettings settings = StartSettings();
        settings.AnswerHighText = "10";
        SetPlace(settings, 4, c.uLow, c.uHigh, c.dLow, c.dHigh);
        TRandom random(2024);
        ProblemSet set = MarkedSet();
        std::int32_t count = -1;
        EXPECT_EQ(GenerateProblems(settings, random, set, count), GenerationResult::GaveUp);
        ASSERT_EQ(count, static_cast<std::int32_t>(c.expected.size()));
        EXPECT_EQ(Kept(set, count), c.expected);
        for (int s = 1; s <= count; ++s) {
            EXPECT_EQ(set[s].MultiplicandText, FormatDecimal(Thousandths(set[s].MultiplicandMilli)));
            EXPECT_EQ(set[s].MultiplierText, FormatDecimal(Thousandths(set[s].MultiplierMilli)));
        }
    }
}

GenerationSettings WideSettings(std::int32_t requested) {
    GenerationSettings s = StartSettings(requested);
    s.AnswerLowText = "1";
    s.AnswerHighText = "50";
    SetPlace(s, 1, "0", "9", "5", "5");
    SetPlace(s, 2, "0", "9", "0", "0");
    SetPlace(s, 3, "1", "9", "0", "9");
    SetPlace(s, 4, "0", "9", "1", "3");
    return s;
}

TEST(GenerateProblems, FullSetObeysEveryRule) {
    for (std::int32_t requested : {12, 16}) {
        TRandom random(31337);
        ProblemSet set = MarkedSet();
        std::int32_t count = -1;
        EXPECT_EQ(GenerateProblems(WideSettings(requested), random, set, count), GenerationResult::Complete);
        ASSERT_EQ(count, requested);
        EXPECT_EQ(Kept(set, count).size(), static_cast<std::size_t>(requested));  // all distinct
        for (int s = 1; s <= count; ++s) {
            const std::int32_t u = set[s].MultiplicandMilli, d = set[s].MultiplierMilli;
            EXPECT_TRUE(u % 10000 / 1000 <= 9 && u / 10000 == 0 && u % 1000 / 100 >= 1) << u;
            EXPECT_TRUE(d % 10 == 5 && d % 100 / 10 == 0 && d / 10000 == 0) << d;
            EXPECT_TRUE(d / 1000 >= 1 && d / 1000 <= 3) << d;
            const std::int64_t product = static_cast<std::int64_t>(u) * d;
            EXPECT_GE(product, 1000000);
            EXPECT_LE(product, 50000000);
            EXPECT_EQ(set[s].MultiplicandText, FormatDecimal(Thousandths(u)));
            EXPECT_EQ(set[s].MultiplierText, FormatDecimal(Thousandths(d)));
        }
        const ProblemSet untouched = MarkedSet();
        for (int s = requested + 1; s <= ProblemCapacity; ++s) EXPECT_TRUE(SameSlot(set[s], untouched[s])) << s;
    }
}

TEST(GenerateProblems, ShorterSetLeavesTheOldTailAlone) {
    TRandom random(1);
    ProblemSet set;
    std::int32_t count = 0;
    ASSERT_EQ(GenerateProblems(WideSettings(16), random, set, count), GenerationResult::Complete);
    const ProblemSet before = set;
    ASSERT_EQ(GenerateProblems(WideSettings(12), random, set, count), GenerationResult::Complete);
    EXPECT_EQ(count, 12);
    for (int s = 13; s <= 16; ++s) EXPECT_TRUE(SameSlot(set[s], before[s])) << s;
}

TEST(GenerateProblems, ReversedRangesBehaveAsOrdered) {
    const auto run = [](const GenerationSettings& settings) {
        TRandom random(777);
        ProblemSet set;
        std::int32_t count = 0;
        GenerateProblems(settings, random, set, count);
        std::vector<Pair> slots;
        for (int s = 1; s <= count; ++s) slots.push_back({set[s].MultiplicandMilli, set[s].MultiplierMilli});
        return std::make_pair(slots, random.Seed());
    };
    const GenerationSettings ordered = WideSettings(16);
    GenerationSettings reversedAnswer = ordered;
    std::swap(reversedAnswer.AnswerLowText, reversedAnswer.AnswerHighText);
    GenerationSettings reversedDigits = ordered;
    SetPlace(reversedDigits, 3, "9", "1", "9", "0");
    const auto expected = run(ordered);
    EXPECT_EQ(expected.first.size(), 16u);
    EXPECT_EQ(run(reversedAnswer), expected);
    EXPECT_EQ(run(reversedDigits), expected);
}

TEST(GenerateProblems, FirstBadFieldInOrderIsReportedAndNothingChanges) {
    const char* const integer = "' は整数ではありません";
    const char* const decimal = "' は浮動小数点数ではありません";
    struct Case {
        void (*edit)(GenerationSettings&);
        std::string message;
        const char* field;  // the window's field the error names
        const char* value;
    };
    const Case cases[] = {
        {[](GenerationSettings& s) {
             s.AnswerLowText = "abc";
             s.AnswerHighText = "x";
             s.DigitRanges[0].MultiplicandLow = "";
         },
         std::string("'abc") + decimal, "AnsLow", "abc"},
        {[](GenerationSettings& s) {
             s.AnswerHighText = " ";
             s.DigitRanges[0].MultiplicandLow = "q";
         },
         std::string("' ") + decimal, "AnsHigh", " "},
        {[](GenerationSettings& s) { s.DigitRanges[0].MultiplicandLow = ""; }, std::string("'") + integer, "u1l", ""},
        {[](GenerationSettings& s) {
             s.DigitRanges[0].MultiplicandHigh = " ";
             s.DigitRanges[0].MultiplierLow = "a";
         },
         std::string("' ") + integer, "u1h", " "},
        {[](GenerationSettings& s) {
             s.DigitRanges[0].MultiplierLow = "a";
             s.DigitRanges[1].MultiplicandLow = "b";
         },
         std::string("'a") + integer, "d1l", "a"},
        {[](GenerationSettings& s) {
             s.DigitRanges[0].MultiplierHigh = "q";
             s.DigitRanges[1].MultiplicandLow = "b";
         },
         std::string("'q") + integer, "d1h", "q"},
        {[](GenerationSettings& s) {
             s.DigitRanges[4].MultiplicandHigh = "z";
             s.DigitRanges[4].MultiplierHigh = "y";
         },
         std::string("'z") + integer, "u5h", "z"},
        // The same text in two fields: the message alone could not tell them apart.
        {[](GenerationSettings& s) {
             s.AnswerLowText = "a";
             s.DigitRanges[2].MultiplicandHigh = "a";
         },
         std::string("'a") + decimal, "AnsLow", "a"},
        {[](GenerationSettings& s) {
             s.AnswerLowText = "7";
             s.DigitRanges[2].MultiplicandHigh = "7.5";
         },
         std::string("'7.5") + integer, "u3h", "7.5"},
        {[](GenerationSettings& s) { s.DigitRanges[4].MultiplierHigh = "9x"; }, std::string("'9x") + integer, "d5h",
         "9x"},
    };
    for (const auto& c : cases) {
        GenerationSettings settings = WideSettings(16);
        c.edit(settings);
        ProblemSet set = MarkedSet();
        std::int32_t count = 7;
        std::string message, field, value;
        TRandom random(1);
        try {
            GenerateProblems(settings, random, set, count);
        } catch (const EConvertError& e) {
            message = e.what();
            field = e.Field();
            value = e.Value();
        }
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(field, c.field) << c.message;
        EXPECT_EQ(value, c.value) << c.message;
        EXPECT_EQ(count, 7);
        const ProblemSet untouched = MarkedSet();
        for (int s = 1; s <= ProblemCapacity; ++s)
            EXPECT_TRUE(SameSlot(set[s], untouched[s])) << c.message << " slot " << s;
    }
}

// Multiplicand 0.000 .. 0.999, multiplier always 1, and only 0.5 x 1 in the range: one
// candidate in a thousand passes. Draw order per candidate: u1 d1 u2 d2 ... u5 d5.
GenerationSettings OneInAThousand() {
    GenerationSettings s = StartSettings(1);
    s.AnswerLowText = "0.5";
    s.AnswerHighText = ".5";
    SetPlace(s, 1, "0", "9", "0", "0");
    SetPlace(s, 2, "0", "9", "0", "0");
    SetPlace(s, 3, "0", "9", "0", "0");
    SetPlace(s, 4, "0", "0", "1", "1");
    return s;
}

// Which candidate (1-based) of slot 1 is the first to pass under OneInAThousand, from `seed`,
// worked out from the recurrence alone; 0 when none of the first `limit` passes.
int FirstPassingCandidate(std::uint32_t seed, int limit) {
    for (int candidate = 1; candidate <= limit; ++candidate) {
        std::uint32_t draws[10];
        for (auto& d : draws) d = seed = seed * 134775813u + 1u;
        const auto digit = [](std::uint32_t state) { return (10ull * state) >> 32; };
        if (digit(draws[0]) == 0 && digit(draws[2]) == 0 && digit(draws[4]) == 5) return candidate;
    }
    return 0;
}

std::uint32_t SeedWhoseFirstPassIs(int candidate) {
    for (std::uint32_t seed = 1;; ++seed) {
        if (FirstPassingCandidate(seed, candidate) == candidate) return seed;
    }
}

TEST(GenerateProblems, TheThousandthCandidateMayStayButNotTheThousandAndFirst) {
    ProblemSet set = MarkedSet();
    std::int32_t count = -1;

    TRandom random(SeedWhoseFirstPassIs(1000));
    EXPECT_EQ(GenerateProblems(OneInAThousand(), random, set, count), GenerationResult::Complete);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(set[1].MultiplicandText, "0.5");
    EXPECT_EQ(set[1].MultiplierText, "1");

    set = MarkedSet();
    random = TRandom(SeedWhoseFirstPassIs(1001));
    EXPECT_EQ(GenerateProblems(OneInAThousand(), random, set, count), GenerationResult::GaveUp);
    EXPECT_EQ(count, 0);
    // The passing candidate was drawn and stored, but the slot is not kept.
    EXPECT_EQ(set[1].MultiplicandMilli, 500);
    EXPECT_EQ(set[1].MultiplierMilli, 1000);
    EXPECT_EQ(set[1].MultiplicandText, "old u1");
}

TEST(GenerateProblems, AnswerRangeIsExactDecimal) {
    const struct {
        const char *low, *high;
        int place;  // the one place whose digits are drawn
        const char *uLow, *uHigh, *dLow, *dHigh;
        std::int32_t kept;
    } cases[] = {
        {"0", "0.21", 3, "3", "3", "7", "7", 1},  // 0.3 x 0.7 = 0.21
        {"0", "0.2099999", 3, "3", "3", "7", "7", 0},
        {"0.000001", "1", 1, "1", "1", "1", "1", 1},  // 0.001 x 0.001
        {"0.0000010000001", "1", 1, "1", "1", "1", "1", 0},
        {"1e-400", "1", 1, "0", "0", "0", "0", 0},  // zero lies below a tiny positive bound
        {"-5e-300", "0", 1, "0", "0", "0", "0", 1},
        {"1e400", "0.04", 4, "0", "2", "0", "2", 4},  // reversed; a zero factor falls below
    };
    for (const auto& c : cases) {
        GenerationSettings settings = StartSettings();
        settings.AnswerLowText = c.low;
        settings.AnswerHighText = c.high;
        SetPlace(settings, c.place, c.uLow, c.uHigh, c.dLow, c.dHigh);
        TRandom random(3);
        ProblemSet set;
        std::int32_t count = -1;
        EXPECT_EQ(GenerateProblems(settings, random, set, count), GenerationResult::GaveUp);
        EXPECT_EQ(count, c.kept) << c.low << " .. " << c.high;
    }
}

TEST(GenerateProblems, EqualBoundsOfOneAdmitEveryProductOfOne) {
    GenerationSettings settings = StartSettings();
    settings.AnswerLowText = "1";
    settings.AnswerHighText = "1";
    SetPlace(settings, 3, "0", "5", "0", "0");  // multiplicand 0.0 .. 1.5
    SetPlace(settings, 4, "0", "1", "1", "2");  // multiplier 1 or 2
    TRandom random(11);
    ProblemSet set;
    std::int32_t count = -1;
    EXPECT_EQ(GenerateProblems(settings, random, set, count), GenerationResult::GaveUp);
    EXPECT_EQ(Kept(set, count), (std::set<Pair>{{1000, 1000}, {500, 2000}}));
}

TEST(GenerateProblems, OutlandishDigitTextsWrapInsteadOfOverflowing) {
    GenerationSettings settings = StartSettings(4);
    settings.AnswerLowText = "-1e400";
    settings.AnswerHighText = "1e400";
    SetPlace(settings, 5, "-2147483648", "2147483647", "$FFFFFFFF", "$7FFFFFFF");
    TRandom random(8);
    ProblemSet set;
    std::int32_t count = -1;
    EXPECT_EQ(GenerateProblems(settings, random, set, count), GenerationResult::Complete);
    EXPECT_EQ(count, 4);
}

}  // namespace
