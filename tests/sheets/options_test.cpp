// tavrelo-sheets' command line against the run's table: every option of a run is on the command
// line, and its help says what the table says the option takes.
#include "sheets/options.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include "run/run_options.h"

namespace {

QString Help() {
    const ParsedOptions parsed = ParseSheetOptions({"tavrelo-sheets", "--help"});
    EXPECT_EQ(parsed.Outcome, OptionsOutcome::Help);
    return parsed.Text;
}

QString U(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

// The value a command line gives each option: its default, else one it takes.
TEST(SheetOptions, EveryRunOptionIsOnTheCommandLine) {
    for (const TRunOption& option : RunOptionTable()) {
        const std::string value = option.Default                       ? option.Default
                                  : option.Kind == TOptionKind::Preset ? "g4-tenths-x-2digit"
                                                                       : "1";
        const ParsedOptions parsed =
            ParseSheetOptions({"tavrelo-sheets", U("--" + std::string(option.Name)), U(value), "-o", "a.pdf"});
        EXPECT_EQ(parsed.Outcome, OptionsOutcome::Run) << option.Name << ": " << parsed.Text.toStdString();
    }
}

TEST(SheetOptions, HelpListsEveryChoiceDefaultAndLimit) {
    // Qt wraps the help at spaces: each break and the indent after it read as one space.
    const QString help = Help().simplified();
    for (const TRunOption& option : RunOptionTable()) {
        const std::string dashed = "--" + std::string(option.Name);
        EXPECT_TRUE(help.contains(U(dashed + " <"))) << dashed;
        if (!option.Choices.empty()) {
            std::string choices;
            for (const TOptionChoice& c : option.Choices)
                choices += (choices.empty() ? "" : "|") + std::string(c.Value);
            EXPECT_TRUE(help.contains(U(dashed + " <" + choices + ">"))) << dashed << " <" << choices << ">";
        }
        if (option.Default) {
            const std::string plain = "既定 " + std::string(option.Default);
            const std::string quoted = "既定 \"" + std::string(option.Default) + "\"";
            EXPECT_TRUE(help.contains(U(plain)) || help.contains(U(quoted))) << dashed;
        }
        if (option.Limits) {
            const std::string range = std::to_string(option.Limits->Low) + "～" + std::to_string(option.Limits->High);
            EXPECT_TRUE(help.contains(U(range))) << dashed << " " << range;
        }
    }
    // Every placeholder was filled in.
    EXPECT_FALSE(help.contains(QLatin1Char('{'))) << help.toStdString();
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    InstallParserTranslations();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
