#pragma once
// How a page writes its figures. The window always draws the plain style (the value a
// default-constructed TPageStyle has); a run of sheets may choose the way pupils are taught to
// write a worked product, which teachers mark against.
struct TPageStyle {
    // The product written with every digit the column multiplication gives, the zeros that the
    // point leaves without value struck out ("10.0" for 2.5 x 4), instead of left out.
    bool StruckZeros = false;
    // A 0 digit of the multiplier gets its own partial-product row of "0".
    bool ZeroRows = true;

    bool operator==(const TPageStyle&) const = default;

    static constexpr TPageStyle Plain() { return {}; }
    static constexpr TPageStyle Textbook() {
        TPageStyle style;
        style.StruckZeros = true;
        style.ZeroRows = false;
        return style;
    }
};
