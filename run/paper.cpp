#include "run/paper.h"

namespace {

const TPaperSpec& Spec(TPaper paper) {
    for (const TPaperSpec& p : Papers) {
        if (p.Paper == paper) return p;
    }
    return Papers[0];
}

}  // namespace

const char* PaperName(TPaper paper) { return Spec(paper).Name; }

TPaperSize PaperSize(TPaper paper) { return Spec(paper).Size; }

TPaperSize PrintableSize(TPaper paper) {
    const TPaperSize size = PaperSize(paper);
    return {size.Width - 2 * SheetBorderMillimetres, size.Height - 2 * SheetBorderMillimetres};
}
