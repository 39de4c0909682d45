#include "sheets/options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSet>
#include <QTranslator>
#include <algorithm>
#include <map>
#include <vector>

#include "core/errors.h"
#include "core/presets.h"

namespace {

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

struct OptionEntry {
    QStringList names;
    // nullptr: a switch; "": a run option's choices, as "a|b|c"
    const char* valueName;
    // A run option's {default}, {low} and {high} are filled in from its entry in the run's table.
    const char* help;
};

std::vector<OptionEntry> OptionTable() {
    return {
        {{"multiplicand"},
         "PATTERN",
         "かけられる数の各位に使う数字（既定 \"{default}\"）\n"
         "Digits allowed in each place of the multiplicand.\n"
         "十・一の位を「.」の前に、小数第一～三位を後に。位ごとに 5 か [1-9]。\n"
         "Tens and ones before \".\", tenths to thousandths after it; each place 5 or [1-9]."},
        {{"multiplier"}, "PATTERN", "かける数の各位に使う数字（既定 \"{default}\"）\nThe same for the multiplier."},
        {{"answer"},
         "LOW:HIGH",
         "答えの範囲（既定 \"{default}\"）\nThe answer range, as the window's two fields take it."},
        {{"problems"}, "", "1枚の問題数（既定 {default}）\nProblems per sheet."},
        {{"sheets"}, "N", "枚数 {low}～{high}（既定 {default}）\nNumber of sheets, {low} to {high}."},
        {{"number"},
         "N",
         "最初のプリント番号、1枚ごとに +1（既定 {default}）\nSheet number of the first sheet, then +1 per sheet."},
        {{"sentence"}, "TEXT", "問題文（既定 \"{default}\"）\nThe instruction sentence."},
        {{"answers"},
         "",
         "答えの用紙: 各問題用紙の次 / 最後にまとめて / なし / 全部の答えの一覧（既定 {default}）\n"
         "Answer sheets: after each problem sheet, all at the end, none, or one list of every sheet's products."},
        {{"paper"}, "", "用紙（B5・B4 は JIS、既定 {default}）\nPaper size (B5 and B4 are JIS sizes)."},
        {{"zeros"},
         "",
         "答えの小数点より後の、値のない 0: 書いて斜線で消す / 書かない（既定 {default}）\n"
         "Zeros after the point that have no value in an answer: written and struck out, or left out."},
        {{"numbers"},
         "",
         "問題番号 (1)～(16) を各問題の左上に（既定 {default}）\nProblem numbers (1) to (16) at each problem's top "
         "left."},
        {{"header"},
         "",
         "見出し: 名前の欄 / 名前・月日・点数の欄（既定 {default}）\n"
         "The header: a name box, or a name box, the date and a score box."},
        {{"grid"},
         "",
         "筆算の下に: なし / 1けたに1つのマス目（既定 {default}）\n"
         "Under each figure: blank paper, or light squares, one a digit column, down to the product."},
        {{"seed"},
         "N",
         "乱数の始まり {low}～{high}（既定は時計から）\nThe start of the random sequence (default: from the clock)."},
        {{"preset"},
         "NAME",
         "教科書の練習によく使う設定（後に書いたオプションが優先）\n"
         "Named settings for textbook exercises; options after it override it."},
        {{"list-presets"}, nullptr, "設定の一覧を表示します\nLists the presets."},
        {{"o", "output"},
         "FILE",
         "書き出す PDF。\"-\" なら標準出力へ\nThe PDF to write; \"-\" writes it to standard output."},
        {{"q", "quiet"}, nullptr, "進み具合を表示しません\nNo progress."},
        {{"h", "help"}, nullptr, "この説明を表示します\nDisplays this help."},
        {{"version"}, nullptr, "版を表示します\nDisplays the version."},
    };
}

// The entry's help and value name, with what the run's table says of its option.
QCommandLineOption ParserOption(const OptionEntry& entry) {
    QString help = QString::fromUtf8(entry.help);
    QString valueName = entry.valueName ? QString::fromUtf8(entry.valueName) : QString();
    if (const TRunOption* run = FindRunOption(entry.names.back().toStdString())) {
        if (run->Default) help.replace(QLatin1String("{default}"), QString::fromUtf8(run->Default));
        if (run->Limits) {
            help.replace(QLatin1String("{low}"), QString::number(run->Limits->Low));
            help.replace(QLatin1String("{high}"), QString::number(run->Limits->High));
        }
        if (valueName.isEmpty() && entry.valueName) {
            QStringList choices;
            for (const TOptionChoice& c : run->Choices) choices << QString::fromUtf8(c.Value);
            valueName = choices.join(QLatin1Char('|'));
        }
    }
    QCommandLineOption option(entry.names, help);
    if (entry.valueName) option.setValueName(valueName);
    return option;
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

SheetOptions Defaults() {
    SheetOptions o;
    static_cast<RunOptions&>(o) = DefaultRunOptions();
    return o;
}

// `name` as the parser found it: the run's options have their long name alone, the one the
// shared reader knows them by.
void Apply(const QString& name, const QString& value, SheetOptions& o) {
    if (const std::string longName = name.toStdString(); IsRunOption(longName)) {
        try {
            ApplyRunOption(longName, value.toStdString(), o);
        } catch (const EOptionError& e) {
            throw OptionError{QString::fromUtf8(e.what())};
        }
        return;
    }
    if (name == QLatin1String("o") || name == QLatin1String("output")) o.Output = value;
    if (name == QLatin1String("q") || name == QLatin1String("quiet")) o.Quiet = true;
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

QString Quoted(const QString& value) { return QString::fromStdString(QuotedValue(value.toStdString())); }

void InstallParserTranslations() {
    static ParserTranslator translator;
    QCoreApplication::installTranslator(&translator);
}

ParsedOptions ParseSheetOptions(const QStringList& arguments) {
    ParsedOptions result;
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(AboutText));
    const std::vector<OptionEntry> entries = OptionTable();
    std::map<QString, std::size_t> byName;  // the entry's index
    QSet<QString> switches;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        parser.addOption(ParserOption(entries[i]));
        for (const QString& n : entries[i].names) {
            byName.emplace(n, i);
            if (!entries[i].valueName) switches.insert(n);
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
        std::map<std::size_t, qsizetype> used;
        for (const QString& name : parser.optionNames()) {
            const std::size_t entry = byName.at(name);
            // A switch has no values to ask for: Qt 6.8 warns on standard error when asked.
            const QStringList values = switches.contains(name) ? QStringList() : parser.values(name);
            const qsizetype index = used[entry]++;
            Apply(name, index < values.size() ? values[index] : QString(), options);
        }
        if (options.Output.isEmpty()) throw OptionError{"-o/--output: 書き出す PDF のファイル名がありません"};
        try {
            CheckRunOptions(options);
        } catch (const EOptionError& e) {
            throw OptionError{QString::fromUtf8(e.what())};
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
    QStringList words{QStringLiteral("tavrelo-sheets")};
    for (const auto& [name, value] : RunOptionValues(options, seed)) {
        words << ShellWord(QStringLiteral("--") + QString::fromStdString(name)) << ShellWord(Utf8(value));
    }
    return words.join(' ');
}
