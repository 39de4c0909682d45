// The exact number texts against the x87 ones they replaced, on many millions of inputs: the same
// texts refused with the same messages, the same operand texts and the same product texts.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/numtext.h"
#include "tests/reference/x87_numtext.h"

namespace {

// The random parts draw this many inputs each (ten million unless the environment says less).
std::int64_t RandomCount() {
    const char* text = std::getenv("TAVRELO_DIFFERENTIAL_COUNT");
    return text != nullptr ? std::strtoll(text, nullptr, 10) : 10'000'000;
}

// "" when accepted, else the message.
template <typename F>
std::string Refusal(F&& read) {
    try {
        read();
    } catch (const EConvertError& e) {
        return e.what();
    }
    return "";
}

// Both readings of one text: accepted or refused alike, with the same message; where the value
// is an ordinary one (at most 15 significant digits, between 10^-100 and 10^100) both write
// it back alike too.
struct TextCheck {
    std::int64_t texts = 0;
    std::int64_t refused = 0;
    std::int64_t written = 0;

    bool operator()(const std::string& text) {
        ++texts;
        x87::Extended reference = 0;
        ExactDecimal exact;
        const std::string referenceRefusal = Refusal([&] { reference = x87::ParseDecimal(text); });
        const std::string exactRefusal = Refusal([&] { exact = ParseDecimal(text); });
        EXPECT_EQ(exactRefusal, referenceRefusal) << "text: [" << text << "]";
        if (exactRefusal != referenceRefusal) return false;
        if (!exactRefusal.empty()) {
            ++refused;
            return true;
        }
        const std::int64_t lead = exact.Exponent + static_cast<std::int64_t>(exact.Digits.size());
        if (exact.Digits.size() <= 15 && lead > -100 && lead < 100) {
            ++written;
            const std::string a = FormatDecimal(exact), b = x87::FormatDecimal(reference);
            EXPECT_EQ(a, b) << "text: [" << text << "]";
            return a == b;
        }
        return true;
    }
};

// Random texts of the accepted grammar, crowded around the edges of the range.
class TextMaker {
public:
    explicit TextMaker(std::uint64_t seed) : random_(seed) {
        // The exact digits of the largest finite value and of the smallest subnormal.
        std::vector<char> buffer(20000);
        auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                     std::numeric_limits<x87::Extended>::max(), std::chars_format::fixed);
        largest_.assign(buffer.data(), written.ptr);  // 4933 digits
        written = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                std::numeric_limits<x87::Extended>::denorm_min(), std::chars_format::scientific, 60);
        smallest_.assign(buffer.data(), written.ptr);
        smallest_ = smallest_.substr(0, 1) + smallest_.substr(2, 60);  // digits of d.ddd e-4951
    }

    std::string Next() {
        const int family = Below(1000);
        if (family < 400) return Ordinary();
        if (family < 750) return NearTheLargest(Below(45) + 1);
        if (family < 900) return AtTheExponentLimits();
        if (family < 950) return NearTheSmallest();
        if (family < 999) return LongDigits(Below(300) + 20);
        return IntegerAtTheLargest();  // some 4930 digits: rare, each takes long
    }

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

private:
    char Digit() { return static_cast<char>('0' + Below(10)); }
    std::string Digits(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s.push_back(Digit());
        return s;
    }
    std::string Sign() { return Below(4) == 0 ? "-" : (Below(8) == 0 ? "+" : ""); }
    std::string Spaces() { return Below(10) == 0 ? std::string(static_cast<std::size_t>(Below(3) + 1), ' ') : ""; }
    // An exponent part for the decimal exponent e, sometimes with leading zeros or a '+'.
    std::string Exponent(int e) {
        std::string s = Below(2) ? "e" : "E";
        if (e < 0)
            s += "-";
        else if (Below(4) == 0)
            s += "+";
        if (Below(6) == 0) s += std::string(static_cast<std::size_t>(Below(3) + 1), '0');
        return s + std::to_string(e < 0 ? -e : e);
    }

    // digits (value d.ddd x 10^e) written with the point after `point` digits.
    std::string Placed(const std::string& digits, int e, int point) {
        std::string text = Spaces() + Sign();
        point = std::min<int>(point, static_cast<int>(digits.size()));
        text += digits.substr(0, static_cast<std::size_t>(point));
        if (point < static_cast<int>(digits.size()) || Below(4) == 0)
            text += "." + digits.substr(static_cast<std::size_t>(point));
        const int shown = e - (point - 1);
        if (shown != 0 || Below(3) == 0) text += Exponent(shown);
        return text + Spaces();
    }

    std::string Ordinary() {
        std::string text = Spaces() + Sign() + Digits(Below(21));
        if (Below(3) != 0 || text.back() < '0' || text.back() > '9') text += "." + Digits(Below(21));
        if (Below(2) == 0) text += Exponent(Below(2) ? Below(60) - 30 : Below(10000) - 5000);
        return text + Spaces();
    }

    // A prefix of the largest value's digits, nudged: a digit up or down, digits added, or
    // the rounding point between it and the next representable value hit closely.
    std::string NearTheLargest(int length) {
        std::string digits = largest_.substr(0, static_cast<std::size_t>(length));
        switch (Below(5)) {
            case 0:
                break;
            case 1:
                digits += Digits(Below(30) + 1);
                break;
            case 2:
                Bump(digits, +1);
                break;
            case 3:
                Bump(digits, -1);
                break;
            default:
                digits += "5" + std::string(static_cast<std::size_t>(Below(5)), '0') + Digits(Below(4));
                break;
        }
        if (Below(5) == 0) digits = std::string(static_cast<std::size_t>(Below(4)), '0') + digits;  // leading zeros
        const int e = 4932 + (Below(8) == 0 ? Below(3) - 1 : 0);
        return Placed(digits, e, Below(4) == 0 ? Below(static_cast<int>(digits.size()) + 1) : 1);
    }

    static void Bump(std::string& digits, int by) {
        std::size_t k = digits.size();
        while (k > 0) {
            char& d = digits[--k];
            if (by > 0 && d < '9') {
                ++d;
                return;
            }
            if (by < 0 && d > '0') {
                --d;
                return;
            }
            d = by > 0 ? '0' : '9';
        }
    }

    std::string AtTheExponentLimits() {
        const int magnitude = Below(2) ? 4999 - Below(5) : (Below(2) ? 4932 + Below(5) - 2 : 495 + Below(10));
        return Spaces() + Sign() + Digits(Below(4) + 1) + (Below(2) ? "." + Digits(Below(20)) : "") +
               Exponent(Below(3) == 0 ? -magnitude : magnitude) + Spaces();
    }

    std::string NearTheSmallest() {
        std::string digits = smallest_.substr(0, static_cast<std::size_t>(Below(30) + 1));
        if (Below(2)) Bump(digits, Below(2) ? 1 : -1);
        return Placed(digits, -4951 + Below(5) - 2, 1);
    }

    std::string LongDigits(int n) {
        std::string digits = Digits(n);
        const int point = Below(n + 1);
        std::string text = Sign() + digits.substr(0, static_cast<std::size_t>(point)) + "." +
                           digits.substr(static_cast<std::size_t>(point));
        if (Below(2)) text += Exponent(Below(9000) - 4500);
        return text;
    }

    // The largest value written out as an integer, nudged around its last digits: where the
    // gathered digits themselves overflow.
    std::string IntegerAtTheLargest() {
        std::string digits = largest_;
        if (Below(2)) digits.resize(digits.size() - static_cast<std::size_t>(Below(3)));
        if (Below(2)) Bump(digits, Below(2) ? 1 : -1);
        if (Below(3) == 0) digits += Digits(Below(3));
        return digits;
    }

    std::mt19937_64 random_;
    std::string largest_;
    std::string smallest_;
};

TEST(X87Differential, RandomTextsNearEveryEdge) {
    const std::int64_t count = RandomCount();
    TextMaker maker(20261209);
    TextCheck check;
    int failures = 0;
    for (std::int64_t i = 0; i < count && failures < 20; ++i) {
        if (!check(maker.Next())) ++failures;
    }
    // Both sides of the range were reached: some refused, many written.
    EXPECT_GT(check.refused, count / 20);
    EXPECT_GT(check.written, count / 10);
    std::printf("texts %lld, refused %lld, written back %lld\n", static_cast<long long>(check.texts),
                static_cast<long long>(check.refused), static_cast<long long>(check.written));
}

TEST(X87Differential, FuzzSeedsAndCorpus) {
    TextCheck check;
    for (const char* folder : {"fuzz/seeds", "fuzz/seeds-generator", "build/fuzz/corpus"}) {
        const std::filesystem::path path = std::filesystem::path(TAVRELO_SOURCE_DIR) / folder;
        if (!std::filesystem::is_directory(path)) continue;  // the corpus exists once `make fuzz` ran
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            std::ifstream in(entry.path(), std::ios::binary);
            check(std::string(std::istreambuf_iterator<char>(in), {}));
        }
    }
    EXPECT_GE(check.texts, 14);  // the committed seeds at least
    std::printf("seeds and corpus %lld, refused %lld\n", static_cast<long long>(check.texts),
                static_cast<long long>(check.refused));
}

// Both operand texts of every count of thousandths a window can make, and of the counts that
// wrapped settings reach.
TEST(X87Differential, OperandTexts) {
    std::int64_t checked = 0;
    const auto check = [&](std::int32_t milli) {
        ++checked;
        const std::string a = FormatDecimal(Thousandths(milli)), b = x87::OperandText(milli);
        EXPECT_EQ(a, b) << milli;
        return a == b;
    };
    for (std::int32_t milli = -1'000'000; milli <= 1'000'000; ++milli) {
        if (!check(milli)) return;
    }
    std::mt19937 random(7);
    for (std::int64_t i = 0; i < RandomCount() / 10; ++i) {
        if (!check(static_cast<std::int32_t>(random()))) return;
    }
    for (std::int32_t milli : {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()})
        check(milli);
    std::printf("operands %lld\n", static_cast<long long>(checked));
}

// The product text of the answer sheet, from the operand texts as the figure has them.
bool SameProduct(std::int32_t a, std::int32_t b) {
    const std::string ta = x87::OperandText(a), tb = x87::OperandText(b);
    const std::string exact = FormatDecimal(MultiplyExact(ParseDecimal(ta), ParseDecimal(tb)));
    const std::string reference = x87::ProductText(ta, tb);
    EXPECT_EQ(exact, reference) << ta << " x " << tb;
    return exact == reference;
}

TEST(X87Differential, EveryFiveDigitByOneDigitProduct) {
    std::int64_t pairs = 0;
    for (std::int32_t k = 1; k <= 10000; k *= 10) {
        for (std::int32_t digit = 1; digit <= 9; ++digit) {
            for (std::int32_t milli = 0; milli <= 99999; ++milli) {
                ++pairs;
                // Both multiplications commute, so one order settles both.
                if (!SameProduct(milli, digit * k)) return;
            }
        }
    }
    std::printf("pairs %lld\n", static_cast<long long>(pairs));
}

TEST(X87Differential, RandomProductsOfTheWidestPatterns) {
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int32_t> widest(0, 99999);
    const std::int64_t count = RandomCount();
    for (std::int64_t i = 0; i < count; ++i) {
        if (!SameProduct(widest(random), widest(random))) return;
    }
    std::printf("pairs %lld\n", static_cast<long long>(count));
}

}  // namespace
