// Feeds arbitrary bytes to the number texts. Besides "no crash, no sanitizer report", it holds
// the conversions to their promises:
//  - a refused text is refused with the message that quotes it whole;
//  - whatever FormatDecimal writes, ParseDecimal reads back to a value written identically;
//  - the exact reading of a text accepts the same texts and agrees on the sign and on zero.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/decimal_text.h"
#include "core/errors.h"
#include "core/numtext.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view text, const std::string& detail = "") {
    std::fprintf(stderr, "%s: [%.*s] %s\n", what, static_cast<int>(text.size()), text.data(), detail.c_str());
    std::abort();
}

// what() is a C string: a text with a NUL byte in it is quoted up to that byte.
bool QuotesWhole(const EConvertError& e, std::string_view text, const char* tail) {
    std::string expected = "'" + std::string(text) + tail;
    expected.resize(std::strlen(expected.c_str()));
    return expected == e.what();
}

void CheckRoundTrip(Extended value, std::string_view origin) {
    const std::string written = FormatDecimal(value);
    Extended back = 0;
    try {
        back = ParseDecimal(written);
    } catch (const EConvertError&) {
        Fail("FormatDecimal wrote a text ParseDecimal refuses", origin, written);
    }
    const std::string again = FormatDecimal(back);
    if (again != written) Fail("FormatDecimal does not survive a reading", origin, written + " -> " + again);
}

void CheckInteger(std::string_view text) {
    try {
        const std::int32_t value = ParseInteger(text);
        if (ParseInteger(FormatInteger(value)) != value) Fail("FormatInteger does not read back", text);
    } catch (const EConvertError& e) {
        if (!QuotesWhole(e, text, "' は整数ではありません")) Fail("wrong integer message", text, e.what());
    }
}

void CheckDecimal(std::string_view text) {
    bool exactAccepted = true;
    ExactDecimal exact;
    try {
        exact = ParseExactDecimal(text);
    } catch (const EConvertError&) {
        exactAccepted = false;
    }
    Extended value = 0;
    try {
        value = ParseDecimal(text);
    } catch (const EConvertError& e) {
        if (!QuotesWhole(e, text, "' は浮動小数点数ではありません")) Fail("wrong decimal message", text, e.what());
        // Refused by ParseDecimal but read exactly: only overflow may explain it.
        if (exactAccepted && exact.Exponent + static_cast<std::int64_t>(exact.Digits.size()) < 4900)
            Fail("ParseDecimal refused a text of ordinary size", text);
        return;
    }
    if (!exactAccepted) Fail("ParseDecimal accepted a text the exact reading refuses", text);
    if (!std::isfinite(value)) Fail("ParseDecimal gave a value that is not finite", text);
    const bool exactZero = exact.Digits.empty();
    if (!exactZero && value != 0 && std::signbit(value) != exact.Negative) Fail("sign differs", text);
    if (exactZero && value != 0) Fail("exact zero read as nonzero", text);
    CheckRoundTrip(value, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckInteger(text);
    CheckDecimal(text);

    // The same bytes as an extended value built from a significand and an exponent, so that
    // FormatDecimal also meets values no short text produces (subnormals, the extremes).
    if (size >= 10) {
        std::uint64_t significand = 0;
        std::uint16_t exponent = 0;
        std::memcpy(&significand, data, sizeof significand);
        std::memcpy(&exponent, data + 8, sizeof exponent);
        const int scale = static_cast<int>(exponent % 32900u) - 16509;  // 2^-16509 .. 2^16390
        Extended value = std::ldexp(static_cast<Extended>(significand), scale);
        if (size > 10 && (data[10] & 1u)) value = -value;
        if (std::isfinite(value)) CheckRoundTrip(value, text);
    }
    return 0;
}
