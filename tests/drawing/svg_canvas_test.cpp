#include "drawing/svg_canvas.h"

#include <gtest/gtest.h>

#include <clocale>
#include <regex>
#include <string>
#include <vector>

#include "drawing/recording_canvas.h"
#include "drawing/sample_page.h"
#include "drawing/worksheet.h"
#include "tests/common/user_locale.h"

namespace {

// The recording surface's metrics, so that both surfaces lay the page out alike. The ascent is
// a fraction of the height that two decimals hold exactly: the baseline written into the image is exact.
class RecordingMetrics : public TTextMeasurer {
public:
    TSvgFontMetrics Metrics(const TFont& font) override { return {font.Height * 1.0, font.Height * 0.75}; }
    std::int32_t Width(const TFont& font, std::string_view text) override {
        return TRecordingCanvas::WidthAt(font.Height, text);
    }
};

std::string Unescaped(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : entities) {
        for (std::size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::string(entity).size(), plain);
    }
    return text;
}

struct Drawn {
    enum Kind { Text, Rectangle } kind;
    double x, y, x2, y2;
    std::string text;
    bool operator==(const Drawn&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Drawn& d) {
    return out << (d.kind == Drawn::Text ? "text " : "rect ") << d.x << "," << d.y << " " << d.x2 << "," << d.y2 << " '"
               << d.text << "'";
}

// Reads the image back: each <text> as the cell it was drawn at, each outlined <rect> as the
// rectangle asked for (the outline runs through the middle of the border pixels).
std::vector<Drawn> ReadSvg(const std::string& svg) {
    std::vector<Drawn> drawn;
    const std::regex text(R"re(<text x="([-0-9.e]+)" y="([-0-9.e]+)" font-size="([-0-9.e]+)"[^>]*>([^<]*)</text>)re");
    const std::regex rect(
        R"re(<rect x="([-0-9.e]+)" y="([-0-9.e]+)" width="([-0-9.e]+)" height="([-0-9.e]+)" fill="[^"]*" stroke=)re");
    // Filled rectangles without outline, all of a call's in one path: "M x yhWvHh-Wz" each.
    const std::regex path(R"re(<path d="([^"]*)" fill="[^"]*" shape-rendering="geometricPrecision"/>)re");
    const std::regex subpath(R"re(M([-0-9.]+) ([-0-9.]+)h([-0-9.]+)v([-0-9.]+)h-([-0-9.]+)z)re");
    const std::regex element(R"re(<(text|rect|path)[^>]*>)re");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), element); it != std::sregex_iterator(); ++it) {
        const std::string rest = svg.substr(static_cast<std::size_t>(it->position()));
        std::smatch m;
        if (std::regex_search(rest, m, text, std::regex_constants::match_continuous)) {
            const double size = std::stod(m[3]);
            drawn.push_back({Drawn::Text, std::stod(m[1]), std::stod(m[2]) - size * 0.75, 0, 0, Unescaped(m[4])});
        } else if (std::regex_search(rest, m, rect, std::regex_constants::match_continuous)) {
            const double x = std::stod(m[1]) - 0.5, y = std::stod(m[2]) - 0.5;
            drawn.push_back(
                {Drawn::Rectangle, x, y, x + std::stod(m[3]) + 1.0, y + std::stod(m[4]) + 1.0, std::string()});
        } else if (std::regex_search(rest, m, path, std::regex_constants::match_continuous)) {
            const std::string d = m[1];
            for (auto r = std::sregex_iterator(d.begin(), d.end(), subpath); r != std::sregex_iterator(); ++r) {
                const double x = std::stod((*r)[1]), y = std::stod((*r)[2]);
                EXPECT_EQ((*r)[3], (*r)[5]) << d;  // each one closed where it began
                drawn.push_back(
                    {Drawn::Rectangle, x, y, x + std::stod((*r)[3]), y + std::stod((*r)[4]), std::string()});
            }
        }
    }
    return drawn;
}

std::vector<Drawn> FromRecording(const TRecordingCanvas& canvas) {
    std::vector<Drawn> drawn;
    for (const TRecordedCall& c : canvas.calls) {
        if (c.kind == TRecordedCall::Kind::TextOut)
            drawn.push_back({Drawn::Text, double(c.x), double(c.y), 0, 0, c.text});
        else
            drawn.push_back({Drawn::Rectangle, double(c.x), double(c.y), double(c.x2), double(c.y2), std::string()});
    }
    return drawn;
}

}  // namespace

TPageStyle Squared() {
    TPageStyle style = TPageStyle::Textbook();
    style.Grid = TFigureGrid::Squares;
    return style;
}

// The browser's page is the native page: fed the same page, the image holds the same texts at
// the same places and the same rectangles, in the same order, in both styles and on squares
// (their lines filled as one path each figure), at the preview's size and at a printed page's.
TEST(SvgCanvas, DrawsWhatTheRecordingSurfaceRecords) {
    const ProblemSet set = SampleProblems();
    struct Case {
        TPageStyle style;
        bool answers;
        std::int32_t width, height;
    };
    for (const Case& c : std::vector<Case>{{TPageStyle::Plain(), true, 320, 441},
                                           {TPageStyle::Plain(), false, 756, 1085},
                                           {TPageStyle::Textbook(), true, 756, 1085},
                                           {TPageStyle::Textbook(), false, 650, 930},
                                           {Squared(), true, 756, 1085},
                                           {Squared(), false, 650, 930}}) {
        PageContent content = SamplePage(set, c.answers);
        content.Style = c.style;
        RecordingMetrics metrics;
        TSvgCanvas svg(c.width, c.height, metrics);
        TRecordingCanvas recording;
        MakePrint(svg, c.width, c.height, content);
        MakePrint(recording, c.width, c.height, content);
        const std::vector<Drawn> read = ReadSvg(svg.Svg());
        const std::vector<Drawn> expected = FromRecording(recording);
        // A browser draws no rectangle of zero width or height, outline or not.
        EXPECT_EQ(svg.Svg().find("width=\"0\""), std::string::npos);
        EXPECT_EQ(svg.Svg().find("height=\"0\""), std::string::npos);
        ASSERT_GT(expected.size(), 50u);
        ASSERT_EQ(read.size(), expected.size()) << c.width;
        for (std::size_t i = 0; i < read.size(); ++i) EXPECT_EQ(read[i], expected[i]) << "call " << i;
    }
}

// Whatever a teacher types stays text: markup, quotes, ampersands and bytes that are no UTF-8
// come out as characters, and the image is one <svg> element with nothing else in it.
TEST(SvgCanvas, TextsAreNeverMarkup) {
    RecordingMetrics metrics;
    TSvgCanvas svg(100, 50, metrics);
    svg.Font = TFont{"ＭＳ 明朝", 12, TFontStyle::Empty};
    svg.Brush.Style = TBrushStyle::Clear;
    const std::string hostile = "<img src=x onerror=alert(1)> & \"'</text><script>x</script>";
    svg.TextOut(1, 2, hostile);
    svg.TextOut(1, 20,
                std::string("a\xff\xc3\x28"
                            "b\x01",
                            6));
    const std::string out = svg.Svg();
    EXPECT_EQ(out.find("<img"), std::string::npos);
    EXPECT_EQ(out.find("<script"), std::string::npos);
    const std::vector<Drawn> read = ReadSvg(out);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].text, hostile);
    EXPECT_EQ(read[1].text, "a\xEF\xBF\xBD\xEF\xBF\xBD(b\xEF\xBF\xBD");
    EXPECT_EQ(out.rfind("<svg", 0), 0u);
    EXPECT_EQ(out.find("<svg", 1), std::string::npos);
}

// Each text is in the face it was drawn in: its own font-family, or the one the <svg> element
// carries, that of the face most texts are in; also on a surface drawn in more faces than the
// written form numbers.
TEST(SvgCanvas, EachTextKeepsItsFace) {
    struct Case {
        std::vector<std::string> faces;  // one text in each, in order
        std::string common;              // the face the <svg> element is to carry
    };
    std::vector<std::string> many;
    for (int i = 0; i < 300; ++i) many.push_back("Face " + std::to_string(i));
    many.push_back("Face 7");
    for (const Case& c : std::vector<Case>{{{"ＭＳ 明朝"}, "ＭＳ 明朝"},
                                           {{"ＭＳ ゴシック", "ＭＳ 明朝", "ＭＳ 明朝"}, "ＭＳ 明朝"},
                                           {{"ＭＳ Ｐゴシック", "ＭＳ ゴシック", "ＭＳ ゴシック"}, "ＭＳ ゴシック"},
                                           {many, "Face 7"}}) {
        RecordingMetrics metrics;
        TSvgCanvas svg(100, 50, metrics);
        svg.Brush.Style = TBrushStyle::Clear;
        for (std::size_t i = 0; i < c.faces.size(); ++i) {
            svg.Font = TFont{c.faces[i], 12, TFontStyle::Empty};
            svg.TextOut(1, static_cast<std::int32_t>(i), "x");
        }
        const std::string out = svg.Svg();
        const std::regex family(R"re(font-family="([^"]*)")re");
        std::smatch m;
        const std::string root = out.substr(0, out.find('>'));
        ASSERT_TRUE(std::regex_search(root, m, family)) << root;
        const std::string common = Unescaped(m[1]);
        EXPECT_EQ(common, SvgFontFamily(c.common));
        std::vector<std::string> faces, expected;
        const std::regex text(R"re(<text ([^>]*)>)re");
        for (auto it = std::sregex_iterator(out.begin(), out.end(), text); it != std::sregex_iterator(); ++it) {
            const std::string attributes = (*it)[1];
            faces.push_back(std::regex_search(attributes, m, family) ? Unescaped(m[1]) : common);
        }
        for (const std::string& face : c.faces) expected.push_back(SvgFontFamily(face));
        EXPECT_EQ(faces, expected);
    }
}

// A desktop whose numbers are written 2,5: the image's numbers stay 2.5.
TEST(SvgCanvas, NumbersIgnoreTheLocale) {
    const TUserLocale german(LC_ALL, "de_DE.UTF-8");
    if (!german.Applied()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    class Fractional : public RecordingMetrics {
        TSvgFontMetrics Metrics(const TFont& font) override { return {font.Height * 1.25, font.Height * 0.8125}; }
    } metrics;
    TSvgCanvas svg(100, 50, metrics);
    svg.Font = TFont{"ＭＳ 明朝", 13, TFontStyle::Underline};
    svg.TextOut(3, 4, "2.5");
    svg.Rectangle(1, 1, 9, 9);
    const std::string out = svg.Svg();
    const std::string numbers = std::regex_replace(out, std::regex(R"re(font-family="[^"]*")re"), "");
    EXPECT_EQ(numbers.find(','), std::string::npos) << numbers;
    EXPECT_NE(out.find("font-size=\"16.25\""), std::string::npos) << out;
    EXPECT_NE(out.find("y=\"14.56\""), std::string::npos) << out;
    EXPECT_NE(out.find("text-decoration=\"underline\""), std::string::npos);
}
