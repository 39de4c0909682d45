#pragma once
// A run of sheets drawn as one PDF: every page the same MakePrint as a printed sheet.
#include <QDateTime>
#include <QPageSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "run/run_options.h"

class QIODevice;

struct SheetPdfJob {
    RunOptions Run;  // its Seed is not read: Seed below is the one chosen
    std::uint32_t Seed = 0;
    QString Title;    // the document's title
    QString Creator;  // what made it, with everything needed to make it again
    // The creation date written into the file; the clock's time when empty.
    std::optional<QDateTime> CreationDate;
};

// The paper the PDF's pages have.
QPageSize::PageSizeId PageSizeOf(TPaper paper);

// Pages are drawn at this resolution on the paper less its border (run/paper.h).
inline constexpr int SheetDotsPerInch = 1200;

// Writes the whole run to `device`, open for writing, page after page. `pageDone` (may be empty)
// hears (pages done, all pages) after each page.
void WriteSheetsPdf(QIODevice& device, const SheetPdfJob& job,
                    const std::function<void(std::int64_t, std::int64_t)>& pageDone);
