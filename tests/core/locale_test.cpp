// The number texts and a whole run of sheets under locales whose numbers are written otherwise:
// the texts on a sheet never follow the user's locale.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "core/numtext.h"
#include "core/sheet_run.h"
#include "tests/common/user_locale.h"

namespace {

struct LocaleCase {
    int category;
    const char* name;
};

const LocaleCase Locales[] = {
    {LC_ALL, "de_DE.UTF-8"},
    {LC_NUMERIC, "de_DE.UTF-8"},
    {LC_ALL, "ja_JP.UTF-8"},
};

// Every conversion of the table, as texts: what a sheet and a message would show.
std::vector<std::string> Conversions() {
    const char* const decimals[] = {
        "2.7",
        "0.05",
        "7.8",
        "123.456",
        "99999.999",
        "-0.001",
        "1E15",
        "5E-5",
        "1.5e300",
        "0.1",
        "12.345",
        "1e-4940",
        "1.18973149535723176502e4932",
        ".5",
        "3.",
        "+2,5",
    };
    std::vector<std::string> out;
    for (const char* text : decimals) {
        try {
            out.push_back(FormatDecimal(ParseDecimal(text)));
        } catch (const std::exception& e) {
            out.push_back(e.what());
        }
    }
    const char* const factors[][2] = {
        {"2.5", "4.1"}, {"0.5", "0.6"}, {"1.25", "4"}, {"0.001", "0.001"}, {"54321", "98765"}};
    for (const auto& pair : factors)
        out.push_back(FormatDecimal(MultiplyExact(ParseDecimal(pair[0]), ParseDecimal(pair[1]))));
    for (const char* text : {"27", "-2147483648", "$7FFFFFFF", "2,7"}) {
        try {
            out.push_back(FormatInteger(ParseInteger(text)));
        } catch (const std::exception& e) {
            out.push_back(e.what());
        }
    }
    return out;
}

// Every problem text of a run of sheets.
std::vector<std::string> SheetTexts() {
    GenerationSettings settings;
    settings.RequestedCount = 16;
    settings.AnswerLowText = "0.5";
    settings.AnswerHighText = "99.5";
    settings.DigitRanges.fill({"0", "0", "0", "0"});
    settings.DigitRanges[1] = {"0", "9", "0", "0"};  // hundredths of the multiplicand
    settings.DigitRanges[2] = {"1", "9", "1", "9"};  // tenths
    settings.DigitRanges[3] = {"1", "9", "0", "9"};  // ones
    std::vector<std::string> texts;
    RunSheets(settings, 2024, 3, AnswerPlacement::After,
              [&](std::int32_t, bool, const ProblemSet& set, std::int32_t count) {
                  for (int i = 1; i <= count; ++i)
                      texts.push_back(set[i].MultiplicandText + "x" + set[i].MultiplierText);
              });
    return texts;
}

TEST(UserLocale, NumberTextsAndSheetsAreTheSameAsUnderC) {
    const std::vector<std::string> conversions = Conversions();
    const std::vector<std::string> sheet = SheetTexts();
    // Known answers, so that the comparison is not between two equally wrong results.
    ASSERT_EQ(conversions[0], "2.7");
    ASSERT_EQ(conversions[6], "1E15");
    ASSERT_EQ(conversions[7], "5E-5");
    ASSERT_EQ(sheet.size(), 96u);
    for (const LocaleCase& c : Locales) {
        const TUserLocale locale(c.category, c.name);
        ASSERT_TRUE(locale.Applied()) << c.name << " is not installed: scripts/install-deps.sh makes it";
        EXPECT_EQ(Conversions(), conversions) << c.name;
        EXPECT_EQ(SheetTexts(), sheet) << c.name;
    }
}

}  // namespace
