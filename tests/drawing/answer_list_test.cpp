// The list of answers on a recording surface: for every count of problems a sheet may have and
// the longest texts there are, every text on the page and clear of every other.
#include "drawing/answer_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawing/recording_canvas.h"
#include "drawing/worksheet.h"

namespace {

struct Box {
    std::int64_t left, top, right, bottom;
    std::string text;
};

std::vector<Box> TextBoxes(const TRecordingCanvas& canvas) {
    std::vector<Box> boxes;
    for (const TRecordedCall& c : canvas.TextOuts()) {
        const std::int64_t width = TRecordingCanvas::WidthAt(c.font.Height, c.text);
        boxes.push_back({c.x, c.y, c.x + width, c.y + c.font.Height, c.text});
    }
    return boxes;
}

TEST(AnswerList, EveryTextStaysOnThePageAndClearOfTheOthers) {
    // The printable areas of A4 at 1200 dpi and of Letter and B5 at 96 dpi (the browser's).
    const struct { std::int32_t width, height; } pages[] = {{9449, 13559}, {778, 1018}, {650, 934}};
    for (std::int32_t problems : {6, 8, 10, 12, 16, 20}) {
        AnswerListPage page;
        page.Pages = 3;
        page.Page = 1;
        page.Problems = problems;
        for (std::int32_t s = 0; s < ListShape(problems).SheetsPerPage; ++s) {
            AnswerListRow& row = page.Rows.emplace_back();
            row.Sheet = s;
            // The longest product five digits by five can give, and a short one.
            for (std::int32_t k = 0; k < problems; ++k) row.Products.push_back(k % 2 ? "9999.800001" : "1");
        }
        for (const auto& size : pages) {
            TRecordingCanvas canvas;
            AnswerListContent content;
            content.Page = &page;
            content.FirstNumber = -2147483647 - 1;  // the longest sheet numbers
            MakeAnswerList(canvas, size.width, size.height, content);
            const std::vector<Box> boxes = TextBoxes(canvas);
            const std::string label = std::to_string(problems) + " problems on " + std::to_string(size.width);
            // The header's words, the problem numbers and a number and the products a sheet.
            const std::int32_t shown = ProblemsOnPage(problems, ColumnsFor(problems));
            EXPECT_EQ(std::ssize(boxes), 4 + 1 + shown + std::ssize(page.Rows) * (1 + shown)) << label;
            for (const Box& a : boxes) {
                EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= size.width && a.bottom <= size.height)
                    << label << ": " << a.text;
                for (const Box& b : boxes) {
                    if (&a == &b) continue;
                    EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
                        << label << ": " << a.text << " over " << b.text;
                }
            }
        }
    }
}

}  // namespace
