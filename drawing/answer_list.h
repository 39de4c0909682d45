#pragma once
// A page of the list of answers: every sheet's number and the products of its problems, in a
// table a teacher marking a pile of sheets reads across a desk. Drawn on any TCanvas, at the
// scale of a sheet, so that the PDF and the browser's page draw the same page.
#include <cstdint>

#include "core/sheet_run.h"
#include "drawing/canvas.h"

struct AnswerListContent {
    const AnswerListPage* Page = nullptr;
    std::int32_t FirstNumber = 1;  // the run's first sheet number: row.Sheet counts from it
    std::int32_t BaseWidth = 320;  // the page is designed on the sheets' base size
    std::int32_t BaseHeight = 441;
};

// The products of a row the list shows: as many as its sheet's answer sheet would work out.
std::int32_t ListedProducts(const AnswerListRow& row);

void MakeAnswerList(TCanvas& Canvas, std::int32_t PageWidth, std::int32_t PageHeight, const AnswerListContent& content);
