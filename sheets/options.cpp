#include "sheets/options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSet>
#include <QTranslator>
#include <algorithm>
#include <initializer_list>
#include <limits>
#include <map>
#include <vector>

#include "core/digit_pattern.h"
#include "core/errors.h"
#include "core/numtext.h"
#include "core/presets.h"

namespace {

constexpr const char* DefaultMultiplicand = "[1-9].[1-9]";
constexpr const char* DefaultMultiplier = "[2-9]";
constexpr const char* DefaultAnswer = "0:1000";
constexpr const char* DefaultSentence = "つぎの計算をしましょう。";
constexpr std::int32_t MaxSheets = 1000;

// Qt's parser words its own errors and headings through the translation system; these are
// the only ones it has.
class ParserTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (!sourceText || qstrcmp(context, "QCommandLineParser") != 0) return {};
        struct Entry {
            const char* english;
            const char* japanese;
        };
        static const Entry table[] = {
            {"Unknown option '%1'.", "'%1' というオプションはありません"},
            {"Unknown options: %1.", "次のオプションはありません: %1"},
            {"Missing value after '%1'.", "'%1' の後に値がありません"},
            {"Unexpected value after '%1'.", "'%1' は値をとりません"},
            // %1 is the program and "[options]"; the file to write is what every run needs.
            {"Usage: %1", "使い方 (Usage): %1 -o OUTPUT.pdf"},
            {"Options:", "オプション (Options):"},
            {"Arguments:", "引数 (Arguments):"},
        };
        for (const Entry& e : table) {
            if (qstrcmp(sourceText, e.english) == 0) return QString::fromUtf8(e.japanese);
        }
        return {};
    }
    bool isEmpty() const override { return false; }
};

enum class Opt {
    Multiplicand,
    Multiplier,
    Answer,
    Problems,
    Sheets,
    Number,
    Sentence,
    Answers,
    Paper,
    Zeros,
    Numbers,
    Header,
    Seed,
    Preset,
    ListPresets,
    Output,
    Quiet,
    Help,
    Version,
};

struct OptionEntry {
    Opt id;
    QStringList names;
    const char* valueName;  // nullptr: a switch
    const char* help;
};

std::vector<OptionEntry> OptionTable() {
    return {
        {Opt::Multiplicand,
         {"multiplicand"},
         "PATTERN",
         "かけられる数の各位に使う数字（既定 \"[1-9].[1-9]\"）\n"
         "Digits allowed in each place of the multiplicand.\n"
         "十・一の位を「.」の前に、小数第一～三位を後に。位ごとに 5 か [1-9]。\n"
         "Tens and ones before \".\", tenths to thousandths after it; each place 5 or [1-9]."},
        {Opt::Multiplier,
         {"multiplier"},
         "PATTERN",
         "かける数の各位に使う数字（既定 \"[2-9]\"）\nThe same for the multiplier."},
        {Opt::Answer,
         {"answer"},
         "LOW:HIGH",
         "答えの範囲（既定 \"0:1000\"）\nThe answer range, as the window's two fields take it."},
        {Opt::Problems, {"problems"}, "12|16", "1枚の問題数（既定 16）\nProblems per sheet."},
        {Opt::Sheets, {"sheets"}, "N", "枚数 1～1000（既定 1）\nNumber of sheets, 1 to 1000."},
        {Opt::Number,
         {"number"},
         "N",
         "最初のプリント番号、1枚ごとに +1（既定 1）\nSheet number of the first sheet, then +1 per sheet."},
        {Opt::Sentence, {"sentence"}, "TEXT", "問題文（既定 \"つぎの計算をしましょう。\"）\nThe instruction sentence."},
        {Opt::Answers,
         {"answers"},
         "after|end|none",
         "答えの用紙: 各問題用紙の次 / 最後にまとめて / なし（既定 after）\n"
         "Answer sheets: after each problem sheet, all at the end, or none."},
        {Opt::Paper,
         {"paper"},
         "A4|B5|B4|A3|Letter",
         "用紙（B5・B4 は JIS、既定 A4）\nPaper size (B5 and B4 are JIS sizes)."},
        {Opt::Zeros,
         {"zeros"},
         "struck|omitted",
         "答えの小数点より後の、値のない 0: 書いて斜線で消す / 書かない（既定 struck）\n"
         "Zeros after the point that have no value in an answer: written and struck out, or left out."},
        {Opt::Numbers,
         {"numbers"},
         "on|off",
         "問題番号 (1)～(16) を各問題の左上に（既定 on）\nProblem numbers (1) to (16) at each problem's top left."},
        {Opt::Header,
         {"header"},
         "name|name-date-score",
         "見出し: 名前の欄 / 名前・月日・点数の欄（既定 name）\n"
         "The header: a name box, or a name box, the date and a score box."},
        {Opt::Seed,
         {"seed"},
         "N",
         "乱数の始まり 0～4294967295（既定は時計から）\nThe start of the random sequence (default: from the clock)."},
        {Opt::Preset,
         {"preset"},
         "NAME",
         "教科書の練習によく使う設定（後に書いたオプションが優先）\n"
         "Named settings for textbook exercises; options after it override it."},
        {Opt::ListPresets, {"list-presets"}, nullptr, "設定の一覧を表示します\nLists the presets."},
        {Opt::Output,
         {"o", "output"},
         "FILE",
         "書き出す PDF。\"-\" なら標準出力へ\nThe PDF to write; \"-\" writes it to standard output."},
        {Opt::Quiet, {"q", "quiet"}, nullptr, "進み具合を表示しません\nNo progress."},
        {Opt::Help, {"h", "help"}, nullptr, "この説明を表示します\nDisplays this help."},
        {Opt::Version, {"version"}, nullptr, "版を表示します\nDisplays the version."},
    };
}

const char* AboutText =
    "小数のかけ算の筆算プリントを、答えの用紙とともに1つの PDF にします。\n"
    "Makes sheets of decimal column multiplication, with answer sheets, as one PDF.\n"
    "\n"
    "例 (Examples):\n"
    "  tavrelo-sheets -o kakezan.pdf\n"
    "  tavrelo-sheets --multiplicand \"[1-9].[0-9][1-9]\" --multiplier \"[2-9]\" --sheets 5 -o 4nen.pdf\n"
    "  tavrelo-sheets --preset g5-tenths-x-tenths --sheets 30 --answers end --seed 1234 -o 5nen.pdf\n"
    "\n"
    "終了コード (Exit status): 0 できた (done); 1 ファイルに書けない (cannot write the file);\n"
    "  2 オプションの誤り (bad option or value); 3 問題数が確保できない (not enough problems).";

// Raised while the options are applied, with the message for standard error.
struct OptionError {
    QString message;
};

QString Utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The core's messages start with the text they were given, quoted whole: it is quoted again
// the way this program quotes every value. `texts` are the ones the message may start with.
QString CoreMessage(const Exception& error, std::initializer_list<std::string> texts) {
    const QString message = QString::fromUtf8(error.what());
    for (const std::string& text : texts) {
        const QString given = Utf8(text);
        const QString quoted = "'" + given + "'";
        if (message.startsWith(quoted)) return Quoted(given) + message.mid(quoted.size());
    }
    return message;
}

QString OptionLabel(Opt id) {
    for (const OptionEntry& entry : OptionTable()) {
        if (entry.id != id) continue;
        QStringList shown;
        for (const QString& n : entry.names) shown << (n.size() == 1 ? "-" + n : "--" + n);
        return shown.join('/');
    }
    return {};
}

[[noreturn]] void Fail(Opt id, const QString& message) { throw OptionError{OptionLabel(id) + ": " + message}; }

// The window's integer conversion, with its own message.
std::int32_t IntegerValue(Opt id, const QString& value) {
    try {
        return ParseInteger(value.toStdString());
    } catch (const EConvertError& e) {
        Fail(id, CoreMessage(e, {value.toStdString()}));
    }
}

OperandPlaces PatternValue(Opt id, const QString& value) {
    try {
        return ParseDigitPattern(value.toStdString());
    } catch (const EPatternError& e) {
        Fail(id, CoreMessage(e, {value.toStdString()}));
    }
}

void SetAnswer(Opt id, const QString& value, GenerationSettings& settings) {
    AnswerRangeTexts texts;
    try {
        texts = SplitAnswerRange(value.toStdString());
        // Judged now, as the window would, so that a bad bound is refused before any work.
        (void)ParseDecimal(texts.Low);
        (void)ParseDecimal(texts.High);
        settings.AnswerLowText = texts.Low;
        settings.AnswerHighText = texts.High;
    } catch (const Exception& e) {
        Fail(id, CoreMessage(e, {value.toStdString(), texts.Low, texts.High}));
    }
}

std::uint32_t SeedValue(const QString& value) {
    bool digitsOnly = !value.isEmpty() && value.size() <= 10;
    for (QChar c : value) digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    const qulonglong n = digitsOnly ? value.toULongLong() : 0;
    if (!digitsOnly || n > std::numeric_limits<std::uint32_t>::max())
        Fail(Opt::Seed, Quoted(value) + " は 0 から 4294967295 までの整数ではありません");
    return static_cast<std::uint32_t>(n);
}

struct PaperEntry {
    const char* name;
    QPageSize::PageSizeId id;
};
// Japanese schools mean the JIS B sizes when they say B5 or B4.
const PaperEntry Papers[] = {
    {"A4", QPageSize::A4}, {"B5", QPageSize::JisB5},      {"B4", QPageSize::JisB4},
    {"A3", QPageSize::A3}, {"Letter", QPageSize::Letter},
};

void ApplyPreset(const QString& name, GenerationSettings& settings) {
    const SheetPreset* preset = FindSheetPreset(name.toStdString());
    if (!preset) Fail(Opt::Preset, Quoted(name) + " という設定はありません（--list-presets で一覧を表示します）");
    SetDigitRanges(settings, ParseDigitPattern(preset->Multiplicand), ParseDigitPattern(preset->Multiplier));
    const AnswerRangeTexts answer = SplitAnswerRange(preset->Answer);
    settings.AnswerLowText = answer.Low;
    settings.AnswerHighText = answer.High;
}

SheetOptions Defaults() {
    SheetOptions o;
    o.Settings.RequestedCount = 16;
    SetDigitRanges(o.Settings, ParseDigitPattern(DefaultMultiplicand), ParseDigitPattern(DefaultMultiplier));
    const AnswerRangeTexts answer = SplitAnswerRange(DefaultAnswer);
    o.Settings.AnswerLowText = answer.Low;
    o.Settings.AnswerHighText = answer.High;
    o.Sentence = DefaultSentence;
    o.PaperName = QStringLiteral("A4");
    return o;
}

void Apply(Opt id, const QString& value, SheetOptions& o) {
    switch (id) {
        case Opt::Multiplicand:
            SetDigitRanges(o.Settings, PatternValue(id, value), MultiplierPlaces(o.Settings));
            break;
        case Opt::Multiplier:
            SetDigitRanges(o.Settings, MultiplicandPlaces(o.Settings), PatternValue(id, value));
            break;
        case Opt::Answer:
            SetAnswer(id, value, o.Settings);
            break;
        case Opt::Problems: {
            const std::int32_t n = IntegerValue(id, value);
            if (n != 12 && n != 16) Fail(id, Quoted(value) + " は 12 か 16 ではありません");
            o.Settings.RequestedCount = n;
            break;
        }
        case Opt::Sheets: {
            const std::int32_t n = IntegerValue(id, value);
            if (n < 1 || n > MaxSheets) Fail(id, Quoted(value) + " は 1 から 1000 までの枚数ではありません");
            o.Sheets = n;
            break;
        }
        case Opt::Number:
            o.FirstNumber = IntegerValue(id, value);
            break;
        case Opt::Sentence:
            o.Sentence = value.toStdString();
            break;
        case Opt::Answers:
            if (value == u"after")
                o.Answers = AnswerPlacement::After;
            else if (value == u"end")
                o.Answers = AnswerPlacement::End;
            else if (value == u"none")
                o.Answers = AnswerPlacement::None;
            else
                Fail(id, Quoted(value) + " は after、end、none のどれでもありません");
            break;
        case Opt::Paper: {
            const PaperEntry* found = nullptr;
            for (const PaperEntry& p : Papers) {
                if (value.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0) found = &p;
            }
            if (!found) Fail(id, Quoted(value) + " は A4、B5、B4、A3、Letter のどれでもありません");
            o.Paper = found->id;
            o.PaperName = QLatin1String(found->name);
            break;
        }
        case Opt::Zeros:
            if (value == u"struck")
                o.Style.StruckZeros = true;
            else if (value == u"omitted")
                o.Style.StruckZeros = false;
            else
                Fail(id, Quoted(value) + " は struck、omitted のどちらでもありません");
            break;
        case Opt::Numbers:
            if (value == u"on")
                o.Style.ProblemNumbers = true;
            else if (value == u"off")
                o.Style.ProblemNumbers = false;
            else
                Fail(id, Quoted(value) + " は on、off のどちらでもありません");
            break;
        case Opt::Header:
            if (value == u"name")
                o.Style.Header = THeader::Name;
            else if (value == u"name-date-score")
                o.Style.Header = THeader::NameDateScore;
            else
                Fail(id, Quoted(value) + " は name、name-date-score のどちらでもありません");
            break;
        case Opt::Seed:
            o.Seed = SeedValue(value);
            break;
        case Opt::Preset:
            ApplyPreset(value, o.Settings);
            break;
        case Opt::Output:
            o.Output = value;
            break;
        case Opt::Quiet:
            o.Quiet = true;
            break;
        case Opt::ListPresets:
        case Opt::Help:
        case Opt::Version:
            break;
    }
}

QString PresetList() {
    QString text =
        QStringLiteral("名前 (name): かけられる数 × かける数, 答えの範囲 (multiplicand × multiplier, answer)\n");
    for (const SheetPreset& p : SheetPresets()) {
        text += QStringLiteral("%1\n    %2\n    --multiplicand \"%3\" --multiplier \"%4\" --answer %5\n")
                    .arg(QLatin1String(p.Name), QString::fromUtf8(p.Title), QLatin1String(p.Multiplicand),
                         QLatin1String(p.Multiplier), QLatin1String(p.Answer));
    }
    return text;
}

QString ShellWord(const QString& word) {
    bool plain = !word.isEmpty();
    for (QChar c : word) {
        plain = plain && c.unicode() < 128 && (c.isLetterOrNumber() || QStringLiteral("_-.,:/=+@%").contains(c));
    }
    if (plain) return word;
    QString quoted = word;
    quoted.replace(QLatin1String("'"), QLatin1String("'\\''"));
    return "'" + quoted + "'";
}

// Qt's parser quotes the argument as typed, once: what stands between its first and last quote
// is quoted again as this program quotes a value.
QString QuotedInParserText(const QString& text) {
    const qsizetype first = text.indexOf(QLatin1Char('\'')), last = text.lastIndexOf(QLatin1Char('\''));
    if (first < 0 || first == last) return text;
    return text.left(first) + Quoted(text.mid(first + 1, last - first - 1)) + text.mid(last + 1);
}

}  // namespace

QString Quoted(const QString& value) {
    constexpr qsizetype Longest = 80;
    QString shown;
    for (const char32_t c : value.toUcs4()) {
        // C0, DEL and C1: an escape sequence in a message would be obeyed by the terminal.
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        const QString one =
            control ? QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0')) : QString::fromUcs4(&c, 1);
        if (shown.size() + one.size() > Longest) {
            shown += QChar(0x2026);  // …
            break;
        }
        shown += one;
    }
    return "'" + shown + "'";
}

void InstallParserTranslations() {
    static ParserTranslator translator;
    QCoreApplication::installTranslator(&translator);
}

ParsedOptions ParseSheetOptions(const QStringList& arguments) {
    ParsedOptions result;
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(AboutText));
    std::map<QString, Opt> byName;
    QSet<QString> switches;
    for (const OptionEntry& entry : OptionTable()) {
        QCommandLineOption option(entry.names, QString::fromUtf8(entry.help));
        if (entry.valueName) option.setValueName(QLatin1String(entry.valueName));
        parser.addOption(option);
        for (const QString& n : entry.names) {
            byName.emplace(n, entry.id);
            if (!entry.valueName) switches.insert(n);
        }
    }

    if (!parser.parse(arguments)) {
        // Qt names an unknown option without its dashes; the user typed them. A word after one
        // dash is a row of short options, and a long one would fill the screen with its letters:
        // each name is told once, and only the first few of them.
        constexpr qsizetype NamesTold = 3;
        QStringList unknown;
        QSet<QString> seen;
        for (const QString& n : parser.unknownOptionNames()) {
            const QString typed = (n.size() == 1 ? "-" : "--") + n;
            if (!seen.contains(typed)) unknown << typed;
            seen.insert(typed);
        }
        if (unknown.isEmpty()) {
            result.Text = QuotedInParserText(parser.errorText());
            return result;
        }
        QStringList told;
        for (const QString& n : unknown.first(std::min(unknown.size(), NamesTold))) told << Quoted(n);
        result.Text =
            told.join(QLatin1String(", ")) +
            (unknown.size() > NamesTold ? QStringLiteral(" など %1 個のオプションはありません").arg(unknown.size())
                                        : QStringLiteral(" というオプションはありません"));
        return result;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        result.Outcome = OptionsOutcome::Help;
        result.Text = parser.helpText();
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.Outcome = OptionsOutcome::Version;
        result.Text = QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() + '\n';
        return result;
    }
    if (parser.isSet(QStringLiteral("list-presets"))) {
        result.Outcome = OptionsOutcome::ListPresets;
        result.Text = PresetList();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.Text =
            Quoted(parser.positionalArguments().front()) + " は余分な引数です（書き出す PDF は -o で指定します）";
        return result;
    }

    SheetOptions options = Defaults();
    try {
        // Qt keeps the values of each option in order, and the option names in the order found:
        // together they replay the command line from left to right.
        std::map<Opt, qsizetype> used;
        for (const QString& name : parser.optionNames()) {
            const Opt id = byName.at(name);
            // A switch has no values to ask for: Qt 6.8 warns on standard error when asked.
            const QStringList values = switches.contains(name) ? QStringList() : parser.values(name);
            const qsizetype index = used[id]++;
            Apply(id, index < values.size() ? values[index] : QString(), options);
        }
        if (options.Output.isEmpty()) throw OptionError{"-o/--output: 書き出す PDF のファイル名がありません"};
        const std::int64_t last = static_cast<std::int64_t>(options.FirstNumber) + options.Sheets - 1;
        if (last > std::numeric_limits<std::int32_t>::max()) {
            throw OptionError{QStringLiteral("--number: %1 から %2 枚では、最後の番号が 2147483647 を超えます")
                                  .arg(options.FirstNumber)
                                  .arg(options.Sheets)};
        }
    } catch (const OptionError& e) {
        result.Text = e.message;
        return result;
    }
    result.Outcome = OptionsOutcome::Run;
    result.Options = std::move(options);
    return result;
}

QString RemakeCommand(const SheetOptions& options, std::uint32_t seed) {
    const GenerationSettings& s = options.Settings;
    const char* answers = options.Answers == AnswerPlacement::After ? "after"
                          : options.Answers == AnswerPlacement::End ? "end"
                                                                    : "none";
    QStringList words{
        QStringLiteral("tavrelo-sheets"),
        QStringLiteral("--seed"),
        QString::number(seed),
        QStringLiteral("--multiplicand"),
        Utf8(FormatDigitPattern(MultiplicandPlaces(s))),
        QStringLiteral("--multiplier"),
        Utf8(FormatDigitPattern(MultiplierPlaces(s))),
        QStringLiteral("--answer"),
        Utf8(s.AnswerLowText + ":" + s.AnswerHighText),
        QStringLiteral("--problems"),
        QString::number(s.RequestedCount),
        QStringLiteral("--sheets"),
        QString::number(options.Sheets),
        QStringLiteral("--number"),
        QString::number(options.FirstNumber),
        QStringLiteral("--sentence"),
        Utf8(options.Sentence),
        QStringLiteral("--answers"),
        QLatin1String(answers),
        QStringLiteral("--paper"),
        options.PaperName,
        QStringLiteral("--zeros"),
        options.Style.StruckZeros ? QStringLiteral("struck") : QStringLiteral("omitted"),
        QStringLiteral("--numbers"),
        options.Style.ProblemNumbers ? QStringLiteral("on") : QStringLiteral("off"),
        QStringLiteral("--header"),
        options.Style.Header == THeader::NameDateScore ? QStringLiteral("name-date-score") : QStringLiteral("name")};
    for (QString& w : words) w = ShellWord(w);
    return words.join(' ');
}
