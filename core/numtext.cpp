#include "core/numtext.h"

#include <charconv>
#include <vector>

#include "core/decimal_text.h"
#include "core/errors.h"
#include "core/extended_range.h"

namespace {

[[noreturn]] void FailInteger(std::string_view text) {
    throw EConvertError("'" + std::string(text) + "' は整数ではありません", std::string(text));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::int32_t ParseInteger(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;

    std::size_t hexStart = n + 1;  // not hexadecimal
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hexStart = i + 1;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hexStart = i + 2;
    }
    if (hexStart <= n) {
        if (hexStart == n) FailInteger(text);
        std::uint32_t value = 0;
        for (std::size_t j = hexStart; j < n; ++j) {
            const int digit = HexValue(text[j]);
            if (digit < 0 || value > 0x0FFFFFFFu) FailInteger(text);
            value = (value << 4) | static_cast<std::uint32_t>(digit);
        }
        // The 32 bits stand for a signed value: "$FFFFFFFF" is -1.
        return static_cast<std::int32_t>(value);
    }

    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == n) FailInteger(text);
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') FailInteger(text);
        value = value * 10 + (c - '0');
        if (value > limit) FailInteger(text);
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

ExactDecimal ParseDecimal(std::string_view text) {
    DecimalTextParts parts;
    if (!ScanDecimalText(text, parts) || !WithinExtendedRange(parts)) RaiseNotADecimal(text);
    return ExactValue(parts);
}

std::string FormatDecimal(const ExactDecimal& value) {
    if (value.Digits.empty()) return "0";

    // 15 significant digits; a 16th digit of 5 or more rounds up (half away from zero). The
    // value is exact, so the 16th digit alone decides.
    std::string digits = value.Digits.substr(0, 15);
    // 10^(e-1) <= |value| < 10^e
    std::int64_t e = value.Exponent + static_cast<std::int64_t>(value.Digits.size());
    if (value.Digits.size() > 15 && value.Digits[15] >= '5') {
        std::size_t k = digits.size();
        while (k > 0 && digits[k - 1] == '9') {
            digits[k - 1] = '0';
            --k;
        }
        if (k == 0) {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++e;
        } else {
            ++digits[k - 1];
        }
    }
    digits.erase(digits.find_last_not_of('0') + 1);

    std::string text;
    if (value.Negative) text.push_back('-');
    const auto count = static_cast<std::int64_t>(digits.size());
    if (e >= -3 && e <= 15) {
        if (e >= 1) {
            for (std::int64_t k = 0; k < e; ++k) text.push_back(k < count ? digits[static_cast<std::size_t>(k)] : '0');
            if (count > e) {
                text.push_back('.');
                text.append(digits, static_cast<std::size_t>(e));
            }
        } else {
            text.append("0.");
            text.append(static_cast<std::size_t>(-e), '0');
            text.append(digits);
        }
    } else {
        text.push_back(digits[0]);
        if (count > 1) {
            text.push_back('.');
            text.append(digits, 1);
        }
        text.push_back('E');
        const std::int64_t shown = e - 1;
        if (shown < 0) text.push_back('-');
        char exponent[24];
        const auto written = std::to_chars(exponent, exponent + sizeof exponent, shown < 0 ? -shown : shown);
        text.append(exponent, written.ptr);
    }
    return text;
}

ExactDecimal Thousandths(std::int32_t milli) {
    ExactDecimal x;
    if (milli == 0) return x;
    x.Negative = milli < 0;
    const std::int64_t magnitude = milli < 0 ? -static_cast<std::int64_t>(milli) : milli;
    char buffer[24];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
    x.Digits.assign(buffer, written.ptr);
    x.Exponent = -3;
    while (x.Digits.back() == '0') {
        x.Digits.pop_back();
        ++x.Exponent;
    }
    return x;
}

ExactDecimal MultiplyExact(const ExactDecimal& a, const ExactDecimal& b) {
    ExactDecimal product;
    if (a.Digits.empty() || b.Digits.empty()) return product;
    // Long multiplication of the digit strings, least significant column last.
    std::vector<unsigned> columns(a.Digits.size() + b.Digits.size(), 0);
    for (std::size_t i = a.Digits.size(); i-- > 0;) {
        unsigned carry = 0;
        for (std::size_t j = b.Digits.size(); j-- > 0;) {
            const unsigned sum = columns[i + j + 1] +
                                 static_cast<unsigned>(a.Digits[i] - '0') * static_cast<unsigned>(b.Digits[j] - '0') +
                                 carry;
            columns[i + j + 1] = sum % 10;
            carry = sum / 10;
        }
        columns[i] += carry;
    }
    for (const unsigned digit : columns) {
        if (digit != 0 || !product.Digits.empty()) product.Digits.push_back(static_cast<char>('0' + digit));
    }
    product.Exponent = a.Exponent + b.Exponent;
    while (product.Digits.back() == '0') {  // 5 x 2
        product.Digits.pop_back();
        ++product.Exponent;
    }
    product.Negative = a.Negative != b.Negative;
    return product;
}

std::string FormatInteger(std::int32_t value) {
    char buffer[16];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}
