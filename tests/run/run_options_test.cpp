#include "run/run_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/digit_pattern.h"

namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

RunOptions Read(const Values& values) {
    RunOptions o = DefaultRunOptions();
    for (const auto& [name, value] : values) ApplyRunOption(name, value, o);
    return o;
}

std::string MessageOf(const Values& values) {
    try {
        CheckRunOptions(Read(values));
    } catch (const EOptionError& e) {
        return e.what();
    }
    return "(accepted)";
}

}  // namespace

// The values that make a run again (stored in the PDF, written into the browser's address) read
// back to the same run, whatever the options were and in whatever order they came.
TEST(RunOptions, ValuesMakeTheSameRunAgain) {
    const std::vector<Values> runs{
        {},
        {{"preset", "g5-tenths-x-below1"}, {"answer", "1.5:20"}, {"problems", "12"}},
        {{"multiplicand", "[1-9][0-9].[0-9][1-9]5"},
         {"multiplier", "0.[9-1]"},
         {"sheets", "37"},
         {"number", "-2147483648"},
         {"sentence", "2.5 × 4 を 'けいさん' しよう & <b>"},
         {"answers", "end"},
         {"paper", "letter"},
         {"zeros", "omitted"},
         {"numbers", "off"},
         {"header", "name-date-score"}},
        {{"answers", "none"},
         {"paper", "B4"},
         {"seed", "4294967295"},
         {"preset", "g4-tenths-x-2digit"},
         {"multiplier", "[2-9]"},
         {"answer", "+1e1:  2.50"}},
    };
    for (const Values& run : runs) {
        const RunOptions first = Read(run);
        const std::uint32_t seed = first.Seed.value_or(99);
        const Values stored = RunOptionValues(first, seed);
        const RunOptions again = Read(stored);
        EXPECT_EQ(again.Seed, seed);
        EXPECT_EQ(RunOptionValues(again, seed), stored);
        EXPECT_EQ(again.Settings.DigitRanges.size(), first.Settings.DigitRanges.size());
        for (std::size_t k = 0; k < first.Settings.DigitRanges.size(); ++k) {
            const DigitRangeTexts &a = first.Settings.DigitRanges[k], &b = again.Settings.DigitRanges[k];
            EXPECT_EQ(std::tie(a.MultiplicandLow, a.MultiplicandHigh, a.MultiplierLow, a.MultiplierHigh),
                      std::tie(b.MultiplicandLow, b.MultiplicandHigh, b.MultiplierLow, b.MultiplierHigh));
        }
        EXPECT_EQ(again.Settings.AnswerLowText, first.Settings.AnswerLowText);
        EXPECT_EQ(again.Settings.AnswerHighText, first.Settings.AnswerHighText);
        EXPECT_EQ(again.Settings.RequestedCount, first.Settings.RequestedCount);
        EXPECT_EQ(again.Sentence, first.Sentence);
        EXPECT_EQ(again.Sheets, first.Sheets);
        EXPECT_EQ(again.FirstNumber, first.FirstNumber);
        EXPECT_EQ(again.Answers, first.Answers);
        EXPECT_EQ(again.Paper, first.Paper);
        EXPECT_EQ(again.Style, first.Style);
    }
}

TEST(RunOptions, DefaultsAreTheTextbookRunOfOneSheet) {
    const RunOptions o = DefaultRunOptions();
    EXPECT_EQ(o.Settings.RequestedCount, 16);
    EXPECT_EQ(FormatDigitPattern(MultiplicandPlaces(o.Settings)), "[1-9].[1-9]");
    EXPECT_EQ(FormatDigitPattern(MultiplierPlaces(o.Settings)), "[2-9]");
    EXPECT_EQ(o.Settings.AnswerLowText + ":" + o.Settings.AnswerHighText, "0:1000");
    EXPECT_EQ(o.Sentence, "つぎの計算をしましょう。");
    EXPECT_EQ(o.Style, TPageStyle::Textbook());
    EXPECT_FALSE(o.Seed.has_value());
}

// Each message names the option and quotes the value as the command line always has; a later
// option overrides an earlier one, the last of a repeated one wins.
TEST(RunOptions, RefusedValuesAndTheirMessages) {
    struct Case {
        Values values;
        const char* message;
    };
    const std::vector<Case> cases{
        {{{"problems", "14"}}, "--problems: '14' は 6、8、10、12、16、20 のどれでもありません"},
        {{{"problems", "x"}}, "--problems: 'x' は整数ではありません"},
        {{{"sheets", "0"}}, "--sheets: '0' は 1 から 1000 までの枚数ではありません"},
        {{{"answers", "later"}}, "--answers: 'later' は after、end、none、list のどれでもありません"},
        {{{"paper", "B6"}}, "--paper: 'B6' は A4、B5、B4、A3、Letter のどれでもありません"},
        {{{"zeros", "on"}}, "--zeros: 'on' は struck、omitted のどちらでもありません"},
        {{{"seed", "4294967296"}}, "--seed: '4294967296' は 0 から 4294967295 までの整数ではありません"},
        {{{"seed", "-1"}}, "--seed: '-1' は 0 から 4294967295 までの整数ではありません"},
        {{{"preset", "g9"}}, "--preset: 'g9' という設定はありません（--list-presets で一覧を表示します）"},
        {{{"answer", "1:x"}}, "--answer: 'x' は浮動小数点数ではありません"},
        {{{"number", "2147483600"}, {"sheets", "49"}},
         "--number: 2147483600 から 49 枚では、最後の番号が 2147483647 を超えます"},
        {{{"number", "2147483600"}, {"sheets", "48"}}, "(accepted)"},
        {{{"problems", "14"}, {"problems", "12"}}, "--problems: '14' は 6、8、10、12、16、20 のどれでもありません"},
        {{{"output", "a.pdf"}}, "'--output' というオプションはありません"},
    };
    for (const Case& c : cases) EXPECT_EQ(MessageOf(c.values), c.message);

    EXPECT_EQ(Read({{"problems", "12"}, {"problems", "16"}}).Settings.RequestedCount, 16);
    EXPECT_EQ(
        FormatDigitPattern(MultiplierPlaces(Read({{"preset", "g4-tenths-x-2digit"}, {"multiplier", "3"}}).Settings)),
        "3");
}

// Quoting: at most 80 characters of the value (UTF-16 units, as the command line counts them),
// then "…"; control characters as escapes that no terminal obeys.
TEST(RunOptions, QuotedValues) {
    EXPECT_EQ(QuotedValue("abc"), "'abc'");
    EXPECT_EQ(QuotedValue(std::string(80, 'x')), "'" + std::string(80, 'x') + "'");
    EXPECT_EQ(QuotedValue(std::string(81, 'x')), "'" + std::string(80, 'x') + "…'");
    EXPECT_EQ(QuotedValue("a\x1b[31mb\x7f"), "'a\\x1b[31mb\\x7f'");
    EXPECT_EQ(QuotedValue("\xc2\x9b"), "'\\x9b'");
    std::string wide;
    for (int i = 0; i < 41; ++i) wide += "𝟘";  // two units each
    std::string forty;
    for (int i = 0; i < 40; ++i) forty += "𝟘";
    EXPECT_EQ(QuotedValue(wide), "'" + forty + "…'");
    EXPECT_EQ(QuotedValue("\xff"), "'\xEF\xBF\xBD'");
}
