#pragma once
// How a page writes its figures. The window always draws the plain style (the value a
// default-constructed TPageStyle has); a run of sheets may choose the way pupils are taught to
// write a worked product, which teachers mark against.
#include "core/worked_multiplication.h"

// What the header carries besides the sentence.
enum class THeader {
    Plain,          // a small title and sheet number, the name box unlabelled; the same on both sheets
    Name,           // title and number a class can read from the board, 名前 by the box, こたえ on answer sheets
    NameDateScore,  // the same with 月　日 and a score box (点) on the title's line
};

// What the figures stand on.
enum class TFigureGrid {
    None,     // blank paper
    Squares,  // light squares, one per digit cell, over every row the working needs
};

struct TPageStyle {
    // How the worked figures are written: zeros struck or left out, a row for a 0 digit or not.
    TFigureRules Figure;
    // (1), (2), ... at the top left of each figure's cell, so that a problem can be named.
    bool ProblemNumbers = false;
    THeader Header = THeader::Plain;
    // A sentence wider than the page goes on to a second line, smaller if it must, rather
    // than off the paper's edge.
    bool WrapSentence = false;
    // Squares keep a learner's digits of partial products and product in their columns.
    TFigureGrid Grid = TFigureGrid::None;

    bool operator==(const TPageStyle&) const = default;

    static constexpr TPageStyle Plain() { return {}; }
    static constexpr TPageStyle Textbook() {
        TPageStyle style;
        style.Figure.StruckZeros = true;
        style.Figure.ZeroRows = false;
        style.ProblemNumbers = true;
        style.Header = THeader::Name;
        style.WrapSentence = true;
        return style;
    }
};
