#pragma once
// A run of sheets drawn as one PDF: every page the same MakePrint as a printed sheet.
#include <QDateTime>
#include <QPageSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/generator.h"
#include "core/sheet_run.h"
#include "drawing/page_style.h"

class QIODevice;

struct SheetPdfJob {
    GenerationSettings Settings;
    std::uint32_t Seed = 0;
    std::int32_t Sheets = 1;
    std::int32_t FirstNumber = 1;
    std::string Sentence;
    AnswerPlacement Answers = AnswerPlacement::After;
    QPageSize::PageSizeId Paper = QPageSize::A4;
    TPageStyle Style;
    QString Title;    // the document's title
    QString Creator;  // what made it, with everything needed to make it again
    // The creation date written into the file; the clock's time when empty.
    std::optional<QDateTime> CreationDate;
};

// Pages are drawn at this resolution on the paper less this border on every side, where a
// printer's rollers and grippers would have it.
inline constexpr int SheetDotsPerInch = 1200;
inline constexpr double SheetBorderMillimetres = 5.0;

// Writes the whole run to `device`, open for writing, page after page. `pageDone` (may be empty)
// hears (pages done, all pages) after each page.
void WriteSheetsPdf(QIODevice& device, const SheetPdfJob& job,
                    const std::function<void(std::int64_t, std::int64_t)>& pageDone);
