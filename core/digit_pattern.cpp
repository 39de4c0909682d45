#include "core/digit_pattern.h"

#include <vector>

namespace {

// Index into OperandPlaces of each place, by its position around the point.
constexpr std::size_t Ones = 3, Tens = 4, Tenths = 2, Thousandths = 0;

[[noreturn]] void Refuse(std::string_view pattern, const char* why) {
    throw EPatternError("'" + std::string(pattern) + "' は位の指定として読めません（" + why + "）");
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsZero(const PlaceRange& r) { return r.Low == "0" && r.High == "0"; }

std::string PlaceText(const PlaceRange& r) { return r.Low == r.High ? r.Low : "[" + r.Low + "-" + r.High + "]"; }

}  // namespace

OperandPlaces ParseDigitPattern(std::string_view pattern) {
    std::vector<PlaceRange> before, after;
    bool seenPoint = false;
    std::size_t i = 0;
    const std::size_t n = pattern.size();
    while (i < n) {
        const char c = pattern[i];
        if (c == '.') {
            if (seenPoint) Refuse(pattern, "小数点は1つまでです");
            seenPoint = true;
            ++i;
            continue;
        }
        PlaceRange place;
        if (IsDigit(c)) {
            place = {std::string(1, c), std::string(1, c)};
            i += 1;
        } else if (c == '[') {
            // "[5]" is accepted as well: it is what a range of one digit naturally looks like.
            if (i + 2 < n && IsDigit(pattern[i + 1]) && pattern[i + 2] == ']') {
                place = {std::string(1, pattern[i + 1]), std::string(1, pattern[i + 1])};
                i += 3;
            } else if (i + 4 < n && IsDigit(pattern[i + 1]) && pattern[i + 2] == '-' && IsDigit(pattern[i + 3]) &&
                       pattern[i + 4] == ']') {
                place = {std::string(1, pattern[i + 1]), std::string(1, pattern[i + 3])};
                i += 5;
            } else {
                Refuse(pattern, "範囲は [1-9] のように、数字1つ・「-」・数字1つを [ ] で囲みます");
            }
        } else {
            Refuse(pattern, "書けるのは位ごとの数字か [1-9] のような範囲と、小数点「.」だけです");
        }
        (seenPoint ? after : before).push_back(place);
    }
    if (before.empty() && after.empty()) Refuse(pattern, "位が1つもありません");
    if (before.size() > 2) Refuse(pattern, "小数点の前は十の位までの2けたまでです");
    if (after.size() > 3) Refuse(pattern, "小数点の後は小数第三位までの3けたまでです");

    OperandPlaces places{};
    // Right-aligned at the point: the last place before it is the ones.
    for (std::size_t j = 0; j < before.size(); ++j) places[Ones + (before.size() - 1 - j)] = before[j];
    for (std::size_t j = 0; j < after.size(); ++j) places[Tenths - j] = after[j];
    return places;
}

std::string FormatDigitPattern(const OperandPlaces& places) {
    std::string text;
    if (!IsZero(places[Tens])) text += PlaceText(places[Tens]);
    text += PlaceText(places[Ones]);
    std::size_t lowest = Tenths + 1;  // no fractional place to write
    for (std::size_t k = Thousandths; k <= Tenths; ++k) {
        if (!IsZero(places[k])) {
            lowest = k;
            break;
        }
    }
    if (lowest <= Tenths) {
        text += '.';
        for (std::size_t k = Tenths + 1; k-- > lowest;) text += PlaceText(places[k]);
    }
    return text;
}

void SetDigitRanges(GenerationSettings& settings, const OperandPlaces& multiplicand, const OperandPlaces& multiplier) {
    for (std::size_t k = 0; k < settings.DigitRanges.size(); ++k) {
        settings.DigitRanges[k] = {multiplicand[k].Low, multiplicand[k].High, multiplier[k].Low, multiplier[k].High};
    }
}

OperandPlaces MultiplicandPlaces(const GenerationSettings& settings) {
    OperandPlaces places{};
    for (std::size_t k = 0; k < places.size(); ++k)
        places[k] = {settings.DigitRanges[k].MultiplicandLow, settings.DigitRanges[k].MultiplicandHigh};
    return places;
}

OperandPlaces MultiplierPlaces(const GenerationSettings& settings) {
    OperandPlaces places{};
    for (std::size_t k = 0; k < places.size(); ++k)
        places[k] = {settings.DigitRanges[k].MultiplierLow, settings.DigitRanges[k].MultiplierHigh};
    return places;
}

AnswerRangeTexts SplitAnswerRange(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos) {
        throw EPatternError("'" + std::string(text) +
                            "' は答えの範囲として読めません（下限:上限 のように「:」1つで区切ります。例 0:1000）");
    }
    return {std::string(text.substr(0, colon)), std::string(text.substr(colon + 1))};
}
