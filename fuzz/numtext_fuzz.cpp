// Feeds arbitrary bytes to the number texts. Besides "no crash, no sanitizer report", it holds
// the conversions to their promises:
//  - a refused text is refused with the message that quotes it whole;
//  - whatever FormatDecimal writes, ParseDecimal reads back to a value written identically;
//  - an accepted text has the exact value of its digits;
//  - on x86, every decision, message and text equals the x87 reading's that it replaced: the
//    text itself, and the first bytes taken as two operands in thousandths with their product.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/decimal_text.h"
#include "core/errors.h"
#include "core/numtext.h"
#ifdef TAVRELO_X87_REFERENCE
#include "tests/reference/x87_numtext.h"
#endif

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

void CheckRoundTrip(const ExactDecimal& value, std::string_view origin) {
    const std::string written = FormatDecimal(value);
    ExactDecimal back;
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

#ifdef TAVRELO_X87_REFERENCE
// The same text through the x87 reading: refused alike, and an ordinary value written alike.
void CheckAgainstX87(std::string_view text, const char* refusal, const ExactDecimal* value) {
    x87::Extended reference = 0;
    std::string referenceRefusal;
    try {
        reference = x87::ParseDecimal(text);
    } catch (const EConvertError& e) {
        referenceRefusal = e.what();
    }
    if ((refusal != nullptr) != !referenceRefusal.empty()) Fail("the x87 reading decided otherwise", text);
    if (refusal != nullptr && referenceRefusal != refusal)
        Fail("the x87 reading's message differs", text, referenceRefusal);
    if (value == nullptr) return;
    const std::int64_t lead = value->Exponent + static_cast<std::int64_t>(value->Digits.size());
    if (value->Digits.size() <= 15 && lead > -100 && lead < 100 &&
        FormatDecimal(*value) != x87::FormatDecimal(reference))
        Fail("the x87 reading writes it otherwise", text,
             FormatDecimal(*value) + " vs " + x87::FormatDecimal(reference));
}

void CheckOperandsAgainstX87(std::int32_t a, std::int32_t b) {
    const std::string ta = FormatDecimal(Thousandths(a)), tb = FormatDecimal(Thousandths(b));
    if (ta != x87::OperandText(a) || tb != x87::OperandText(b))
        Fail("operand texts differ from the x87's", ta + " " + tb);
    const ExactDecimal exact = MultiplyExact(ParseDecimal(ta), ParseDecimal(tb));
    // A product of more than 15 digits is rounded, and there the x87's binary product could fall
    // on the wrong side of a tie (879046.945 x 9830.457 = 8641433193.803865 came out ...80386).
    // Operands of a window's digits (up to 99.999) never have such products.
    if (exact.Digits.size() > 15) return;
    const std::string product = FormatDecimal(exact);
    if (product != x87::ProductText(ta, tb)) Fail("product text differs from the x87's", ta + " x " + tb, product);
}
#endif

void CheckDecimal(std::string_view text) {
    bool exactAccepted = true;
    ExactDecimal exact;
    try {
        exact = ParseExactDecimal(text);
    } catch (const EConvertError&) {
        exactAccepted = false;
    }
    ExactDecimal value;
    try {
        value = ParseDecimal(text);
    } catch (const EConvertError& e) {
        if (!QuotesWhole(e, text, "' は浮動小数点数ではありません")) Fail("wrong decimal message", text, e.what());
        // Refused by ParseDecimal but read exactly: only overflow may explain it.
        if (exactAccepted && exact.Exponent + static_cast<std::int64_t>(exact.Digits.size()) < 4900 &&
            text.size() < 4900)
            Fail("ParseDecimal refused a text of ordinary size", text);
#ifdef TAVRELO_X87_REFERENCE
        CheckAgainstX87(text, e.what(), nullptr);
#endif
        return;
    }
    if (!exactAccepted) Fail("ParseDecimal accepted a text the exact reading refuses", text);
    if (CompareExact(value, exact) != 0 || value.Digits != exact.Digits) Fail("value differs from its digits", text);
#ifdef TAVRELO_X87_REFERENCE
    CheckAgainstX87(text, nullptr, &value);
#endif
    CheckRoundTrip(value, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckInteger(text);
    CheckDecimal(text);

#ifdef TAVRELO_X87_REFERENCE
    // The same bytes as two counts of thousandths: the operand and product texts of a sheet.
    if (size >= 8) {
        std::int32_t a = 0, b = 0;
        std::memcpy(&a, data, sizeof a);
        std::memcpy(&b, data + 4, sizeof b);
        CheckOperandsAgainstX87(a, b);
        // ... and once more within what a window's digits make (0 to 99.999), where sheets live.
        CheckOperandsAgainstX87(static_cast<std::int32_t>(static_cast<std::uint32_t>(a) % 100000u),
                                static_cast<std::int32_t>(static_cast<std::uint32_t>(b) % 100000u));
    }
#endif
    return 0;
}
