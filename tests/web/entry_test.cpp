// What the module answers the page, without a browser: the JSON itself, an address read (its
// errors with their field, its fields), the options' choices and a run made (its pages and the
// address that makes it again). Qt's JSON reader checks that every answer is JSON.
#include "web/entry.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <string>
#include <vector>

#include "core/sheet_run.h"
#include "core/worked_multiplication.h"
#include "run/paper.h"
#include "run/run_options.h"
#include "web/json_writer.h"

namespace {

// The browser's part: a font as tall as its cell, every character of a text half a cell wide.
class FixedMeasurer : public TTextMeasurer {
public:
    TSvgFontMetrics Metrics(const TFont& font) override {
        return {static_cast<double>(font.Height), font.Height * 0.8};
    }
    std::int32_t Width(const TFont& font, std::string_view text) override {
        ++widths;
        return static_cast<std::int32_t>(text.size()) * font.Height / 2;
    }
    int widths = 0;
};

QJsonObject Parsed(const std::string& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << error.errorString().toStdString() << " in " << json.substr(0, 200);
    return document.object();
}

std::string Str(const QJsonValue& value) { return value.toString().toStdString(); }

}  // namespace

TEST(JsonWriter, WritesNestedValuesWithCommasOnlyBetween) {
    JsonWriter json;
    json.BeginObject().Key("a").BeginArray().Number(std::int64_t{1}).Bool(false).Null().BeginObject().EndObject();
    json.BeginArray().EndArray().EndArray().Key("b").String("").EndObject();
    EXPECT_TRUE(json.Complete());
    EXPECT_EQ(json.Text(), R"({"a":[1,false,null,{},[]],"b":""})");
}

TEST(JsonWriter, EscapesWhatAStringAndTheDocumentCannotHoldAsItIs) {
    const struct {
        std::string text, written;
    } cases[] = {
        {"plain かけ算", "\"plain かけ算\""},
        {"a\"b\\c", R"("a\"b\\c")"},
        {"line\nnext\ttab", R"("line\nnext\u0009tab")"},
        {std::string("nul\0", 4), R"("nul\u0000")"},
        {"</script><b>", R"("\u003c/script>\u003cb>")"},
    };
    for (const auto& c : cases) {
        JsonWriter json;
        json.String(c.text);
        EXPECT_EQ(json.Text(), c.written);
        // And reads back as it was.
        JsonWriter wrapped;
        wrapped.BeginObject().Key("t").String(c.text).EndObject();
        EXPECT_EQ(Str(Parsed(wrapped.Text())["t"]), c.text);
    }
}

// Every error names the option or the window's field it belongs to, with the value refused: the
// page puts it there without reading the message.
TEST(WebEntry, ErrorsCarryTheirFieldAndValue) {
    FixedMeasurer measurer;
    const struct {
        std::string query, field, value, message;
        bool whenMade;  // judged only when the run is made (the generator reads the fields)
    } cases[] = {
        {"problems=14&sheets=3", "problems", "14", "--problems: '14' は 6、8、10、12、16、20 のどれでもありません",
         false},
        {"sheets=101", "sheets", "101", "--sheets: '101' は 1 から 100 までの枚数ではありません", false},
        // Below 1 as tavrelo-sheets says it; above the page's 100 as the page does.
        {"sheets=0", "sheets", "0", "--sheets: '0' は 1 から 1000 までの枚数ではありません", false},
        {"seed=-1", "seed", "-1", "", false},
        {"paper=C5", "paper", "C5", "", false},
        {"number=2147483647&sheets=2", "number", "2147483647", "", false},
        {"multiplier=[2-9", "multiplier", "[2-9", "", false},
        {"u3h=a", "u3h", "a", "'a' は整数ではありません", true},
        {"AnsHigh=x", "AnsHigh", "x", "'x' は浮動小数点数ではありません", true},
        // Both unreadable, and the same text: the range's own error is the range's.
        {"AnsLow=a&u3h=a", "AnsLow", "a", "'a' は浮動小数点数ではありません", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        const QJsonObject made = Parsed(MakeAnswer(c.query, measurer));
        const QJsonArray errors = made["errors"].toArray();
        ASSERT_EQ(errors.size(), 1);
        const QJsonObject e = errors[0].toObject();
        EXPECT_EQ(Str(e["field"]), c.field);
        EXPECT_EQ(Str(e["value"]), c.value);
        if (!c.message.empty()) {
            EXPECT_EQ(Str(e["message"]), c.message);
        }
        // The words under a field leave out the option's name, which the field says already.
        const std::string message = Str(e["message"]);
        const std::string named = "--" + c.field + ": ";
        EXPECT_EQ(Str(e["short"]), message.starts_with(named) ? message.substr(named.size()) : message);
        EXPECT_FALSE(made.contains("pages"));
        const QJsonArray read = Parsed(ReadAnswer(c.query))["errors"].toArray();
        EXPECT_EQ(read.size(), c.whenMade ? 0 : 1);
    }
}

TEST(WebEntry, AnAddressIsReadIntoTheFields) {
    const QJsonObject read =
        Parsed(ReadAnswer("paper=letter&u3h=7&AnsLow=2&numbers=off&unknown=1&sentence=%E3%81%8B+x"));
    EXPECT_TRUE(read["errors"].toArray().isEmpty());
    const QJsonObject fields = read["fields"].toObject();
    EXPECT_EQ(Str(fields["paper"]), "Letter");  // as the list of papers writes it
    EXPECT_EQ(Str(fields["u3h"]), "7");
    EXPECT_EQ(Str(fields["AnsLow"]), "2");
    EXPECT_EQ(Str(fields["AnsHigh"]), "1000");
    EXPECT_EQ(Str(fields["numbers"]), "off");
    EXPECT_EQ(Str(fields["sentence"]), "か x");
    EXPECT_EQ(Str(fields["seed"]), "");  // none given: a new one each time
    EXPECT_EQ(Str(fields["problems"]), "16");
    EXPECT_FALSE(fields.contains("unknown"));
    EXPECT_FALSE(fields.contains("multiplicand"));
    EXPECT_EQ(fields.size(), 20 + 2 + 11);
    EXPECT_EQ(Str(Parsed(ReadAnswer("seed=0"))["fields"].toObject()["seed"]), "0");
}

TEST(WebEntry, TheChoicesAreEveryPaperAndThePagesWordsAndLimits) {
    const QJsonObject choices = Parsed(ChoicesAnswer());
    std::vector<std::string> papers;
    for (const QJsonValue& c : choices["paper"].toObject()["choices"].toArray()) {
        papers.push_back(Str(c.toObject()["value"]));
    }
    std::vector<std::string> named;
    for (const TPaperSpec& p : Papers) named.push_back(p.Name);
    EXPECT_EQ(papers, named);
    const QJsonObject sheets = choices["sheets"].toObject();
    EXPECT_EQ(sheets["min"].toInt(), 1);
    EXPECT_EQ(sheets["max"].toInt(), 100);  // the page's own limit, not tavrelo-sheets' 1000
    const QJsonArray answers = choices["answers"].toObject()["choices"].toArray();
    ASSERT_EQ(answers.size(), 4);
    EXPECT_EQ(Str(answers[0].toObject()["value"]), "after");
    EXPECT_EQ(Str(answers[0].toObject()["label"]), "問題用紙の次に");
    EXPECT_EQ(Str(answers[2].toObject()["label"]), "なし");
    EXPECT_EQ(Str(answers[3].toObject()["label"]), "一覧");
    EXPECT_EQ(Str(choices["header"].toObject()["choices"].toArray()[1].toObject()["label"]), "名前・月日・点数");
    EXPECT_EQ(Str(choices["zeros"].toObject()["default"]), "struck");
}

TEST(WebEntry, ARunIsItsPagesInPrintOrderAndItsAddressMakesItAgain) {
    FixedMeasurer measurer;
    const std::string made = MakeAnswer("seed=42&sheets=2&answers=after&number=5&paper=B5&problems=12", measurer);
    const QJsonObject run = Parsed(made);
    EXPECT_TRUE(run["errors"].toArray().isEmpty());
    EXPECT_EQ(run["seed"].toInteger(), 42);
    EXPECT_TRUE(run["warning"].isNull());
    EXPECT_EQ(Str(run["paper"].toObject()["size"]), "182mm 257mm");
    EXPECT_EQ(Str(run["paper"].toObject()["border"]), "5mm");
    const QJsonArray pages = run["pages"].toArray();
    const struct {
        int sheet;
        bool answers;
        int number;
    } expected[] = {{1, false, 5}, {1, true, 5}, {2, false, 6}, {2, true, 6}};
    ASSERT_EQ(pages.size(), std::ssize(expected));
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const QJsonObject page = pages[i].toObject();
        EXPECT_EQ(page["sheet"].toInt(), expected[i].sheet);
        EXPECT_EQ(page["answers"].toBool(), expected[i].answers);
        EXPECT_EQ(page["number"].toInt(), expected[i].number);
        EXPECT_TRUE(Str(page["svg"]).starts_with("<svg")) << i;
    }
    EXPECT_GT(measurer.widths, 0);  // drawn in the measurer's widths
    const std::string address = Str(run["address"]);
    EXPECT_NE(address.find("seed=42"), std::string::npos) << address;
    EXPECT_NE(address.find("paper=B5"), std::string::npos) << address;
    EXPECT_EQ(MakeAnswer(address, measurer), made);
}

TEST(WebEntry, ASetThatCannotBeCompletedIsDrawnWithAWarning) {
    FixedMeasurer measurer;
    const QJsonObject run = Parsed(MakeAnswer("seed=3&AnsLow=1&AnsHigh=1.5", measurer));
    EXPECT_TRUE(run["errors"].toArray().isEmpty());
    EXPECT_FALSE(Str(run["warning"]).empty());
    EXPECT_EQ(run["pages"].toArray().size(), 2);
}

// Practice: the figures are the run's sheet's own problems, worked as the answer sheet works them.
TEST(WebEntry, PracticeGivesTheProblemsOfTheSheetAsked) {
    RunOptions options = DefaultRunOptions();
    ApplyRunOption("preset", "g5-hundredths-x-tenths", options);
    std::vector<std::string> second;
    RunSheets(options.Settings, 42, 2, AnswerPlacement::None,
              [&](std::int32_t sheet, bool, const ProblemSet& set, std::int32_t count) {
                  if (sheet != 1) return;
                  for (int k = 1; k <= count; ++k)
                      second.push_back(set[k].MultiplicandText + "x" + set[k].MultiplierText);
              });
    const QJsonObject practice =
        Parsed(PracticeAnswer("preset=g5-hundredths-x-tenths&seed=42&sheets=3&number=7&practice=2"));
    EXPECT_TRUE(practice["errors"].toArray().isEmpty());
    EXPECT_EQ(practice["sheet"].toInt(), 2);
    EXPECT_EQ(practice["number"].toInt(), 8);
    const QJsonArray figures = practice["figures"].toArray();
    ASSERT_EQ(figures.size(), std::ssize(second));
    ASSERT_EQ(practice["count"].toInt(), figures.size());
    for (qsizetype i = 0; i < figures.size(); ++i) {
        const QJsonObject f = figures[i].toObject();
        const std::string a = Str(f["multiplicand"].toObject()["text"]), b = Str(f["multiplier"].toObject()["text"]);
        EXPECT_EQ(a + "x" + b, second[static_cast<std::size_t>(i)]);
        EXPECT_EQ(Str(f["product"]), PlainProductText(a, b));
        EXPECT_EQ(f["problem"].toInt(), i + 1);
    }
    // The result's name of every mistake a verdict can give.
    const QJsonObject mistakes = practice["mistakes"].toObject();
    for (const char* m : {"blank", "partialCarryForgotten", "rowShifted", "extraDigit", "valuedDigitStruck"})
        EXPECT_FALSE(Str(mistakes[m]).empty()) << m;
    EXPECT_EQ(mistakes.size(), 11);
    // One problem alone, as the whole sheet has it.
    const QJsonArray third =
        Parsed(PracticeAnswer("preset=g5-hundredths-x-tenths&seed=42&sheets=3&practice=2&problem=3"))["figures"]
            .toArray();
    ASSERT_EQ(third.size(), 1);
    EXPECT_EQ(third[0].toObject(), figures[2].toObject());
}

TEST(WebEntry, APracticeFigureAsThePageReadsIt) {
    const QJsonObject practice = Parsed(PracticeAnswer("seed=1&multiplicand=2.35&multiplier=1.4&problem=1"));
    const QJsonObject f = practice["figures"].toArray()[0].toObject();
    std::string cells;
    for (const QJsonValue c : f["cells"].toArray()) {
        const QJsonObject cell = c.toObject();
        cells += std::to_string(cell["line"].toInt()) + ":" + std::to_string(cell["column"].toInt()) + "=" +
                 std::to_string(cell["digit"].toInt()) + (cell["strike"].toBool() ? "/ " : " ");
    }
    EXPECT_EQ(cells, "0:0=0 0:1=4 0:2=9 1:1=5 1:2=3 1:3=2 -1:0=0/ -1:1=9 -1:2=2 -1:3=3 ");
    EXPECT_EQ(f["multiplicand"].toObject()["point"].toInt(), 2);
    EXPECT_EQ(f["rows"].toArray()[1].toObject()["place"].toInt(), 1);
    const QJsonObject point = f["point"].toObject();
    EXPECT_EQ(point["column"].toInt(), 3);
    EXPECT_FALSE(point["struck"].toBool());
    EXPECT_EQ(point["multiplicandDigits"].toInt(), 2);
    // The sum of the last column: the row's 2 and the carry, which the column before wrote.
    const QJsonArray steps = f["steps"].toArray();
    const QJsonObject last = steps[10].toObject(), before = steps[9].toObject();
    EXPECT_EQ(Str(last["kind"]), "columnSum");
    EXPECT_EQ(last["addends"].toArray(), QJsonArray({2}));
    EXPECT_EQ(last["carryIn"].toInt(), 1);
    EXPECT_EQ(last["cells"].toArray(), QJsonArray({9}));
    const QJsonObject memo = f["memos"].toArray()[before["memo"].toInt()].toObject();
    EXPECT_EQ(memo["column"].toInt(), 3);
    EXPECT_EQ(memo["value"].toInt(), 1);
    EXPECT_EQ(Str(steps[steps.size() - 1].toObject()["kind"]), "strike");
}

TEST(WebEntry, JudgesEachEntryAndAWholeFigure) {
    const std::string figure = "seed=1&multiplicand=2.35&multiplier=1.4&problem=1&";
    const struct {
        std::string query;
        std::string mistake;  // "" for an answer refused
        std::string errorField;
    } cases[] = {
        {"judge=cell&cell=1&digit=4", "none", ""},
        {"judge=cell&cell=1&digit=2", "partialCarryForgotten", ""},
        {"judge=cell&cell=9&digit=2", "additionCarryForgotten", ""},
        {"judge=point&point=3", "none", ""},
        {"judge=point&point=", "pointMisplaced", ""},
        {"judge=stray&line=1&column=0&digit=5", "rowShifted", ""},
        {"judge=stray&line=-1&column=4&digit=5", "extraDigit", ""},
        {"judge=stray&line=1&column=1&digit=5", "", "column"},
        {"judge=stray&line=1&digit=5", "", "column"},
        {"judge=strike&column=0", "none", ""},
        {"judge=strike&column=2", "valuedDigitStruck", ""},
        {"judge=cell&cell=10&digit=1", "", "cell"},
        {"judge=cell&cell=1&digit=12", "", "digit"},
        {"judge=cell&cell=1", "", "digit"},
        {"judge=guess", "", "judge"},
        {"judge=all&digits=0:1&point=3", "", "digits"},
        {"judge=all&digits=&struck=a", "", "struck"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        const QJsonObject v = Parsed(JudgeAnswer(figure + c.query));
        const QJsonArray errors = v["errors"].toArray();
        if (c.mistake.empty()) {
            ASSERT_EQ(errors.size(), 1);
            EXPECT_EQ(Str(errors[0].toObject()["field"]), c.errorField);
            continue;
        }
        EXPECT_TRUE(errors.isEmpty());
        EXPECT_EQ(Str(v["mistake"]), c.mistake);
        EXPECT_EQ(v["right"].toBool(), c.mistake == "none");
        EXPECT_EQ(Str(v["hint"]).empty(), c.mistake == "none");
    }
    // Without a seed every call would be another sheet.
    EXPECT_EQ(Str(Parsed(JudgeAnswer("multiplicand=2.35&multiplier=1.4&problem=1&judge=point&point=3"))["errors"]
                      .toArray()[0]
                      .toObject()["field"]),
              "seed");

    // At the end: the second row written unshifted, the point right, a 9 struck beside the 0.
    const QJsonObject all = Parsed(JudgeAnswer(
        figure +
        "judge=all&digits=0:0:0,0:1:4,0:2:9,1:0:5,1:1:3,1:2:2,-1:0:0,-1:1:9,-1:2:2,-1:3:3&point=3&struck=0,1"));
    EXPECT_FALSE(all["right"].toBool());
    const QJsonArray cells = all["cells"].toArray();
    ASSERT_EQ(cells.size(), 10);
    EXPECT_EQ(Str(cells[0].toObject()["mistake"]), "none");
    EXPECT_EQ(Str(cells[3].toObject()["mistake"]), "rowShifted");
    EXPECT_TRUE(cells[5].toObject()["entered"].isNull());
    EXPECT_EQ(Str(all["stray"].toArray()[0].toObject()["mistake"]), "rowShifted");
    EXPECT_TRUE(all["point"].toObject()["right"].toBool());
    const QJsonArray strikes = all["strikes"].toArray();
    ASSERT_EQ(strikes.size(), 1);
    EXPECT_EQ(strikes[0].toObject()["column"].toInt(), 1);
    EXPECT_EQ(Str(strikes[0].toObject()["mistake"]), "valuedDigitStruck");
}

// The list's pages follow every problem sheet, each standing for the first sheet it lists.
TEST(WebEntry, TheListOfAnswersFollowsTheProblemSheets) {
    FixedMeasurer measurer;
    const struct {
        const char* query;
        std::vector<int> listed;  // the first sheet of each list page
    } cases[] = {
        {"seed=5&sheets=40&answers=list&problems=16&number=3", {1, 19, 37}},
        {"seed=5&sheets=1&answers=list&problems=12", {1}},
    };
    for (const auto& c : cases) {
        const QJsonArray pages = Parsed(MakeAnswer(c.query, measurer))["pages"].toArray();
        const qsizetype sheets = pages.size() - std::ssize(c.listed);
        ASSERT_GT(sheets, 0) << c.query;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const QJsonObject page = pages[i].toObject();
            const bool list = i >= sheets;
            EXPECT_EQ(page["answers"].toBool(), list) << c.query << " page " << i;
            EXPECT_EQ(page.contains("list"), list) << c.query << " page " << i;
            if (!list) continue;
            const int first = c.listed[static_cast<std::size_t>(i - sheets)];
            EXPECT_EQ(page["list"].toInt(), i - sheets + 1) << c.query;
            EXPECT_EQ(page["sheet"].toInt(), first) << c.query;
            EXPECT_NE(Str(page["svg"]).find("こたえ一覧"), std::string::npos) << c.query;
        }
    }
}
