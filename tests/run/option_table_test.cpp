// What the table of options decides for every option at once: defaults, choices, limits and
// the errors' option and value.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/window_texts.h"
#include "drawing/worksheet.h"
#include "run/run_options.h"

namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

std::string ValueOf(const Values& values, std::string_view name) {
    for (const auto& [n, v] : values) {
        if (n == name) return v;
    }
    return "(not written)";
}

std::string Upper(std::string text) {
    for (char& c : text) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return text;
}

}  // namespace

// The stored options of a default run are the table's defaults, and read back to the same run.
TEST(OptionTable, DefaultsAreWrittenAsTheTableSaysAndReadBack) {
    const RunOptions defaults = DefaultRunOptions();
    const Values written = RunOptionValues(defaults, 7);
    for (const TRunOption& option : RunOptionTable()) {
        if (option.Default) {
            EXPECT_EQ(ValueOf(written, option.Name), option.Default) << option.Name;
        }
    }
    RunOptions again = DefaultRunOptions();
    for (const auto& [name, value] : written) ApplyRunOption(name, value, again);
    EXPECT_EQ(RunOptionValues(again, 7), written);
    EXPECT_EQ(again.Style, defaults.Style);
    EXPECT_FALSE(defaults.Seed.has_value());
}

// Every choice is taken, written back as the table writes it and read again to the same run;
// a choice read in any case is written in the table's.
TEST(OptionTable, EveryChoiceIsTakenAndRoundTrips) {
    int choices = 0;
    for (const TRunOption& option : RunOptionTable()) {
        for (const TOptionChoice& choice : option.Choices) {
            ++choices;
            std::vector<std::string> spellings{choice.Value};
            if (option.AnyCase) spellings.push_back(Upper(choice.Value));
            for (const std::string& spelling : spellings) {
                RunOptions o = DefaultRunOptions();
                ApplyRunOption(option.Name, spelling, o);
                const Values written = RunOptionValues(o, 1);
                EXPECT_EQ(ValueOf(written, option.Name), choice.Value) << option.Name << " " << spelling;
                RunOptions again = DefaultRunOptions();
                for (const auto& [name, value] : written) ApplyRunOption(name, value, again);
                EXPECT_EQ(RunOptionValues(again, 1), written);
            }
        }
    }
    // problems 6, answers 4, paper 5, zeros 2, numbers 2, header 2, grid 2
    EXPECT_EQ(choices, 23);
}

// The page shows words of its own for each choice; no two choices of an option look alike there.
TEST(OptionTable, EveryChoiceHasItsOwnWordsOnThePage) {
    for (const TRunOption& option : RunOptionTable()) {
        std::set<std::string> values, words;
        for (const TOptionChoice& choice : option.Choices) {
            ASSERT_NE(choice.PageWords, nullptr) << option.Name;
            EXPECT_NE(std::string(choice.PageWords), "") << option.Name;
            values.insert(choice.Value);
            words.insert(choice.PageWords);
        }
        EXPECT_EQ(values.size(), option.Choices.size()) << option.Name;
        EXPECT_EQ(words.size(), option.Choices.size()) << option.Name;
    }
    const TRunOption* answers = FindRunOption("answers");
    ASSERT_NE(answers, nullptr);
    ASSERT_EQ(answers->Choices.size(), 4u);
    EXPECT_STREQ(answers->Choices[0].PageWords, "問題用紙の次に");
    EXPECT_STREQ(answers->Choices[2].PageWords, "なし");
    EXPECT_STREQ(answers->Choices[3].PageWords, "一覧");
    // The window's two counts keep the window's words.
    const TRunOption* problems = FindRunOption("problems");
    ASSERT_EQ(problems->Choices.size(), std::size(SheetProblemCounts));
    EXPECT_STREQ(problems->Choices[3].Value, "12");
    EXPECT_NE(std::string(problems->Choices[3].PageWords).find(CountChoices[0]), std::string::npos);
    EXPECT_STREQ(problems->Choices[4].Value, "16");
    EXPECT_NE(std::string(problems->Choices[4].PageWords).find(CountChoices[1]), std::string::npos);
}

// A limit's ends are taken and the numbers beyond them refused; the page's own limit is narrower
// and refused with the same words.
TEST(OptionTable, LimitsTakeTheirEndsAndRefuseBeyond) {
    int limited = 0;
    for (const TRunOption& option : RunOptionTable()) {
        if (!option.Limits) continue;
        ++limited;
        const TOptionLimits l = *option.Limits;
        for (const std::int64_t n : {l.Low, l.High}) {
            RunOptions o = DefaultRunOptions();
            EXPECT_NO_THROW(ApplyRunOption(option.Name, std::to_string(n), o)) << option.Name << " " << n;
        }
        for (const std::int64_t n : {l.Low - 1, l.High + 1}) {
            RunOptions o = DefaultRunOptions();
            const std::string value = std::to_string(n);
            try {
                ApplyRunOption(option.Name, value, o);
                ADD_FAILURE() << option.Name << " took " << value;
            } catch (const EOptionError& e) {
                const std::string message = e.what();
                EXPECT_NE(message.find(std::to_string(l.Low) + " から " + std::to_string(l.High)), std::string::npos)
                    << message;
            }
        }
        if (!option.PageLimits) continue;
        EXPECT_GE(option.PageLimits->Low, l.Low);
        EXPECT_LE(option.PageLimits->High, l.High);
    }
    EXPECT_EQ(limited, 2);  // sheets, seed

    RunOptions o = DefaultRunOptions();
    ApplyRunOption("sheets", "100", o);
    EXPECT_NO_THROW(CheckPageLimits(o));
    ApplyRunOption("sheets", "101", o);
    try {
        CheckPageLimits(o);
        ADD_FAILURE() << "the page took 101 sheets";
    } catch (const EOptionError& e) {
        EXPECT_STREQ(e.what(), "--sheets: '101' は 1 から 100 までの枚数ではありません");
        EXPECT_EQ(e.Option(), "sheets");
        EXPECT_EQ(e.Value(), "101");
    }
}

// Every refusal names its option and carries the value as given, whatever the kind of option.
TEST(OptionTable, ErrorsCarryTheirOptionAndValue) {
    struct Case {
        const char* option;
        const char* value;
    };
    const Case cases[] = {
        {"multiplicand", "1.x"}, {"multiplier", "[2-"},   {"answer", "1:x"},      {"answer", "12"},
        {"problems", "14"},      {"problems", "x"},       {"sheets", "0"},        {"number", "9999999999"},
        {"answers", "later"},    {"paper", "B6"},         {"zeros", "on"},        {"numbers", "yes"},
        {"header", "date"},      {"seed", "-1"},          {"seed", "4294967296"}, {"preset", "g9"},
        {"output", "a.pdf"},     {"answers", "a\x1b[2J"}, {"grid", "Squares"},
    };
    std::set<std::string> covered;
    for (const Case& c : cases) {
        RunOptions o = DefaultRunOptions();
        try {
            ApplyRunOption(c.option, c.value, o);
            ADD_FAILURE() << c.option << " took " << c.value;
        } catch (const EOptionError& e) {
            EXPECT_EQ(e.Option(), c.option);
            EXPECT_EQ(e.Value(), c.value);
            const std::string message = e.what();
            if (IsRunOption(c.option)) {
                // The value, or the part of it that is wrong (an answer range's bound), quoted; the
                // reason is the message without the option's name, for a field that names it.
                EXPECT_EQ(message, "--" + std::string(c.option) + ": " + e.Reason());
                EXPECT_TRUE(e.Reason().starts_with("'")) << message;
            } else {
                EXPECT_EQ(e.Reason(), message);
            }
            covered.insert(c.option);
        }
    }
    // Every option that can refuse a value is among the cases (a sentence takes any text).
    for (const TRunOption& option : RunOptionTable()) {
        if (option.Kind != TOptionKind::Text) {
            EXPECT_TRUE(covered.contains(option.Name)) << option.Name;
        }
    }

    RunOptions o = DefaultRunOptions();
    ApplyRunOption("number", "2147483600", o);
    ApplyRunOption("sheets", "49", o);
    try {
        CheckRunOptions(o);
        ADD_FAILURE() << "the last number passed 2147483647";
    } catch (const EOptionError& e) {
        EXPECT_EQ(e.Option(), "number");
        EXPECT_EQ(e.Value(), "2147483600");
    }
}

// The stored options are the table's, in its order, after the seed; a preset is never stored
// (what it set is).
TEST(OptionTable, StoredOptionsFollowTheTable) {
    const Values written = RunOptionValues(DefaultRunOptions(), 3);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.front(), (std::pair<std::string, std::string>{"seed", "3"}));
    std::vector<std::string> expected;
    for (const TRunOption& option : RunOptionTable()) {
        if (option.Kind != TOptionKind::Seed && option.Kind != TOptionKind::Preset) expected.push_back(option.Name);
    }
    std::vector<std::string> names;
    for (std::size_t i = 1; i < written.size(); ++i) names.push_back(written[i].first);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(FindRunOption("nothing"), nullptr);
}
