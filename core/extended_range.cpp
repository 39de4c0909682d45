#include "core/extended_range.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

// A positive value Significand x 2^Exponent with the top bit of Significand set; zero is not needed.
struct Rounded {
    std::uint64_t Significand = 0;
    std::int64_t Exponent = 0;
};

// The format's largest exponent: values from 2^16384 up are infinite.
constexpr std::int64_t InfiniteFrom = 16384;

// The largest n for which 10^n is finite in the format.
constexpr int MaxFinitePow10 = 4932;

bool IsInfinite(const Rounded& x) { return x.Exponent + 64 > InfiniteFrom; }

// An unsigned 128-bit integer in two halves (no compiler extension, so it builds everywhere).
struct Wide {
    std::uint64_t High = 0;
    std::uint64_t Low = 0;
};

Wide MultiplyWide(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    const std::uint64_t lowLow = aLow * bLow, lowHigh = aLow * bHigh, highLow = aHigh * bLow;
    const std::uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFFu) + (highLow & 0xFFFFFFFFu);
    return {aHigh * bHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
            (middle << 32) | (lowLow & 0xFFFFFFFFu)};
}

// w x 2^exponent (w nonzero) rounded to 64 significant bits: to nearest, ties to even, as the
// x87 rounds every result.
Rounded Round(const Wide& w, std::int64_t exponent) {
    if (w.High == 0) {
        const int shift = std::countl_zero(w.Low);
        return {w.Low << shift, exponent - shift};
    }
    const int drop = 64 - std::countl_zero(w.High);  // low bits that do not fit, 1..64
    std::uint64_t significand = w.High;
    std::uint64_t rest = w.Low;
    if (drop < 64) {
        significand = (w.High << (64 - drop)) | (w.Low >> drop);
        rest = w.Low & ((std::uint64_t{1} << drop) - 1);
    }
    const std::uint64_t half = std::uint64_t{1} << (drop - 1);
    exponent += drop;
    if (rest > half || (rest == half && (significand & 1u) != 0)) {
        ++significand;
        if (significand == 0) {  // carried out of the top: 2^64
            significand = std::uint64_t{1} << 63;
            ++exponent;
        }
    }
    return {significand, exponent};
}

// x + digit for x >= 2^63 (so Exponent >= 0), rounded.
Rounded AddDigit(const Rounded& x, unsigned digit) {
    if (x.Exponent >= 64) return x;  // the digit is below half a unit of x's last place
    const auto shift = static_cast<int>(x.Exponent);
    Wide sum{shift == 0 ? 0 : x.Significand >> (64 - shift), x.Significand << shift};
    sum.Low += digit;
    if (sum.Low < digit) ++sum.High;
    return Round(sum, 0);
}

// 10^n for 0 <= n <= MaxFinitePow10, rounded to nearest (exact up to 10^27). 10^n is 5^n x 2^n;
// 5^n is carried as a big integer and its top bits rounded.
class PowersOfTen {
public:
    PowersOfTen() {
        powers_.reserve(MaxFinitePow10 + 1);
        std::vector<std::uint32_t> five{1};  // 5^n, least significant limb first
        for (int n = 0; n <= MaxFinitePow10; ++n) {
            powers_.push_back(TopBits(five, n));
            std::uint64_t carry = 0;
            for (std::uint32_t& limb : five) {
                const std::uint64_t product = std::uint64_t{limb} * 5u + carry;
                limb = static_cast<std::uint32_t>(product);
                carry = product >> 32;
            }
            if (carry != 0) five.push_back(static_cast<std::uint32_t>(carry));
        }
    }
    const Rounded& operator[](std::int64_t n) const { return powers_[static_cast<std::size_t>(n)]; }

private:
    static bool Bit(const std::vector<std::uint32_t>& big, std::int64_t i) {
        return ((big[static_cast<std::size_t>(i / 32)] >> (i % 32)) & 1u) != 0;
    }

    // big x 2^twos rounded to 64 significant bits.
    static Rounded TopBits(const std::vector<std::uint32_t>& big, std::int64_t twos) {
        const auto length = static_cast<std::int64_t>(big.size()) * 32 - std::countl_zero(big.back());
        if (length <= 64) {
            std::uint64_t value = 0;
            for (std::size_t k = big.size(); k-- > 0;) value = (value << 32) | big[k];
            return Round({0, value}, twos);
        }
        std::uint64_t significand = 0;
        for (std::int64_t i = length - 1; i >= length - 64; --i)
            significand = (significand << 1) | (Bit(big, i) ? 1u : 0u);
        const std::int64_t roundBit = length - 65;
        bool below = false;  // any bit under the rounding bit
        for (std::int64_t i = 0; i < roundBit && !below; ++i) below = Bit(big, i);
        Rounded r{significand, length - 64 + twos};
        if (Bit(big, roundBit) && (below || (significand & 1u) != 0)) {
            if (++r.Significand == 0) {
                r.Significand = std::uint64_t{1} << 63;
                ++r.Exponent;
            }
        }
        return r;
    }

    std::vector<Rounded> powers_;
};

}  // namespace

bool WithinExtendedRange(const DecimalTextParts& parts) {
    // While the integer fits 64 bits every step is exact; from there on each step rounds.
    std::uint64_t exact = 0;
    bool rounding = false;
    Rounded mantissa;
    const auto gather = [&](std::string_view digits) {
        for (const char c : digits) {
            const auto digit = static_cast<unsigned>(c - '0');
            if (!rounding) {
                if (exact <= (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
                    exact = exact * 10 + digit;
                    continue;
                }
                mantissa = Round({0, exact}, 0);
                rounding = true;
            }
            mantissa = AddDigit(Round(MultiplyWide(mantissa.Significand, 10), mantissa.Exponent), digit);
            if (IsInfinite(mantissa)) return false;
        }
        return true;
    };
    if (!gather(parts.IntegerDigits) || !gather(parts.FractionDigits)) return false;
    if (!rounding) {
        if (exact == 0) return true;  // zero, whatever its exponent
        mantissa = Round({0, exact}, 0);
    }

    const std::int64_t scale =
        static_cast<std::int64_t>(parts.Exponent) - static_cast<std::int64_t>(parts.FractionDigits.size());
    if (scale <= 0) return true;
    if (scale > MaxFinitePow10) return false;
    static const PowersOfTen powers;
    const Rounded& power = powers[scale];
    return !IsInfinite(
        Round(MultiplyWide(mantissa.Significand, power.Significand), mantissa.Exponent + power.Exponent));
}
