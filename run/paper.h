#pragma once
// The papers a run is printed on, with their sizes, and the border every sheet keeps clear of
// the paper's edge: the PDF, the browser's print style and its drawing all read them here.

enum class TPaper { A4, B5, B4, A3, Letter };  // B5 and B4 are the JIS sizes

// A sheet of the paper, upright, in millimetres.
struct TPaperSize {
    double Width, Height;
};

struct TPaperSpec {
    TPaper Paper;
    const char* Name;  // as an option takes it and a print style names it
    TPaperSize Size;
};

// In TPaper's order. Japanese schools mean the JIS B sizes when they say B5 or B4.
inline constexpr TPaperSpec Papers[] = {
    {TPaper::A4, "A4", {210, 297}},
    {TPaper::B5, "B5", {182, 257}},
    {TPaper::B4, "B4", {257, 364}},
    {TPaper::A3, "A3", {297, 420}},
    {TPaper::Letter, "Letter", {215.9, 279.4}},
};

// Pages are drawn on the paper less this border on every side, where a printer's rollers and
// grippers would have it.
inline constexpr double SheetBorderMillimetres = 5.0;

const char* PaperName(TPaper paper);
TPaperSize PaperSize(TPaper paper);
// The paper less the border on every side.
TPaperSize PrintableSize(TPaper paper);
