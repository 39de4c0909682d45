#include "drawing/utf8.h"

char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    const std::size_t extra = (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : 0;
    bool valid = extra > 0 && i + extra < text.size();
    char32_t c = lead & (0x7Fu >> (extra + 1));
    for (std::size_t k = 1; valid && k <= extra; ++k) {
        valid = (byte(i + k) & 0xC0) == 0x80;
        c = (c << 6) | (byte(i + k) & 0x3Fu);
    }
    static constexpr char32_t Least[] = {0, 0x80, 0x800, 0x10000};
    if (!valid || c < Least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += extra + 1;
    return c;
}
