#include "core/decimal_text.h"

#include <algorithm>
#include <limits>

#include "core/errors.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr std::int64_t Saturated = std::numeric_limits<std::int64_t>::max();

// floor and ceil of |x| * 10^6 as unsigned magnitudes, saturated at Saturated.
void MagnitudeMillionths(const ExactDecimal& x, std::uint64_t& floorMag, std::uint64_t& ceilMag) {
    floorMag = ceilMag = 0;
    if (x.Digits.empty()) return;
    const auto length = static_cast<std::int64_t>(x.Digits.size());
    // Exponents come from texts, so they are far from the int64 limits; still, keep the sum safe.
    const std::int64_t shift = x.Exponent > std::numeric_limits<std::int64_t>::max() / 2
                                   ? std::numeric_limits<std::int64_t>::max() / 2
                                   : x.Exponent + 6;
    const std::int64_t lead = shift + length;  // number of integer digits of |x| * 10^6
    if (lead > 19) {                           // >= 10^19, beyond any product
        floorMag = ceilMag = static_cast<std::uint64_t>(Saturated);
        return;
    }
    if (lead <= 0) {  // 0 < |x| * 10^6 < 1
        floorMag = 0;
        ceilMag = 1;
        return;
    }
    // Below 10^19 the integer part fits an unsigned 64-bit value.
    std::uint64_t integer = 0;
    for (std::int64_t i = 0; i < lead; ++i) {
        const char c = i < length ? x.Digits[static_cast<std::size_t>(i)] : '0';
        integer = integer * 10u + static_cast<std::uint64_t>(c - '0');
    }
    const bool fraction = lead < length;  // trailing zeros are stripped, so any rest is nonzero
    floorMag = std::min<std::uint64_t>(integer, static_cast<std::uint64_t>(Saturated));
    ceilMag = std::min<std::uint64_t>(integer + (fraction ? 1u : 0u), static_cast<std::uint64_t>(Saturated));
}

}  // namespace

void RaiseNotADecimal(std::string_view text) {
    throw EConvertError("'" + std::string(text) + "' は浮動小数点数ではありません", std::string(text));
}

bool ScanDecimalText(std::string_view text, DecimalTextParts& parts) {
    parts = DecimalTextParts{};
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        parts.Negative = text[i] == '-';
        ++i;
    }
    const std::size_t intStart = i;
    while (i < n && IsDigit(text[i])) ++i;
    parts.IntegerDigits = text.substr(intStart, i - intStart);
    bool point = false;
    if (i < n && text[i] == '.') {
        point = true;
        ++i;
        const std::size_t fracStart = i;
        while (i < n && IsDigit(text[i])) ++i;
        parts.FractionDigits = text.substr(fracStart, i - fracStart);
    }
    if (parts.IntegerDigits.empty() && !point) return false;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        // Reading stops once the exponent reaches 500, so it can never grow without bound;
        // a digit left over then makes the text fail below.
        std::int32_t exponent = 0;
        while (i < n && IsDigit(text[i]) && exponent < 500) {
            exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        parts.Exponent = negativeExponent ? -exponent : exponent;
    }
    while (i < n && text[i] == ' ') ++i;
    return i == n;
}

ExactDecimal ParseExactDecimal(std::string_view text) {
    DecimalTextParts parts;
    if (!ScanDecimalText(text, parts)) RaiseNotADecimal(text);
    return ExactValue(parts);
}

ExactDecimal ExactValue(const DecimalTextParts& parts) {
    ExactDecimal x;
    x.Digits.reserve(parts.IntegerDigits.size() + parts.FractionDigits.size());
    x.Digits.append(parts.IntegerDigits);
    x.Digits.append(parts.FractionDigits);
    std::int64_t exponent =
        static_cast<std::int64_t>(parts.Exponent) - static_cast<std::int64_t>(parts.FractionDigits.size());
    const std::size_t last = x.Digits.find_last_not_of('0');
    if (last == std::string::npos) {
        x.Digits.clear();
        return x;  // zero, whatever its sign or exponent
    }
    exponent += static_cast<std::int64_t>(x.Digits.size() - 1 - last);
    x.Digits.erase(last + 1);
    x.Digits.erase(0, x.Digits.find_first_not_of('0'));
    x.Exponent = exponent;
    x.Negative = parts.Negative;
    return x;
}

int CompareExact(const ExactDecimal& a, const ExactDecimal& b) {
    const int signA = a.Digits.empty() ? 0 : (a.Negative ? -1 : 1);
    const int signB = b.Digits.empty() ? 0 : (b.Negative ? -1 : 1);
    if (signA != signB) return signA < signB ? -1 : 1;
    if (signA == 0) return 0;
    // Same sign: compare magnitudes, then turn the result round for negatives.
    int magnitude = 0;
    const std::int64_t leadA = a.Exponent + static_cast<std::int64_t>(a.Digits.size());
    const std::int64_t leadB = b.Exponent + static_cast<std::int64_t>(b.Digits.size());
    if (leadA != leadB) {
        magnitude = leadA < leadB ? -1 : 1;
    } else {
        const int c = a.Digits.compare(b.Digits);  // no trailing zeros: a prefix is the smaller
        magnitude = c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return signA < 0 ? -magnitude : magnitude;
}

std::int64_t FloorMillionths(const ExactDecimal& x) {
    std::uint64_t floorMag = 0, ceilMag = 0;
    MagnitudeMillionths(x, floorMag, ceilMag);
    return x.Negative ? -static_cast<std::int64_t>(ceilMag) : static_cast<std::int64_t>(floorMag);
}

std::int64_t CeilMillionths(const ExactDecimal& x) {
    std::uint64_t floorMag = 0, ceilMag = 0;
    MagnitudeMillionths(x, floorMag, ceilMag);
    return x.Negative ? -static_cast<std::int64_t>(floorMag) : static_cast<std::int64_t>(ceilMag);
}
