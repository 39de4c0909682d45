#include "core/presets.h"

namespace {

constexpr SheetPreset Presets[] = {
    {"g4-tenths-x-1digit", "4年 小数×整数（小数第一位×1けた） 例 2.3×4", "[1-9].[1-9]", "[2-9]", "0:1000"},
    {"g4-tenths-x-2digit", "4年 小数×整数（小数第一位×2けた） 例 2.3×14", "[1-9].[1-9]", "[1-9][0-9]", "0:1000"},
    {"g4-hundredths-x-1digit", "4年 小数×整数（小数第二位×1けた） 例 1.23×4", "[1-9].[0-9][1-9]", "[2-9]", "0:1000"},
    {"g5-integer-x-tenths", "5年 整数×小数（2けた×小数第一位） 例 80×2.3", "[1-9][0-9]", "[1-9].[1-9]", "0:1000"},
    {"g5-tenths-x-tenths", "5年 小数×小数（小数第一位どうし） 例 2.3×1.4", "[1-9].[1-9]", "[1-9].[1-9]", "0:1000"},
    {"g5-hundredths-x-tenths", "5年 小数×小数（小数第二位×小数第一位） 例 2.35×1.4", "[1-9].[0-9][1-9]", "[1-9].[1-9]",
     "0:1000"},
    {"g5-tenths-x-below1", "5年 1より小さい小数をかける（積がかけられる数より小さくなる） 例 4.5×0.8", "[1-9].[1-9]",
     "0.[1-9]", "0:1000"},
};

}  // namespace

std::span<const SheetPreset> SheetPresets() { return Presets; }

const SheetPreset* FindSheetPreset(std::string_view name) {
    for (const SheetPreset& p : Presets) {
        if (name == p.Name) return &p;
    }
    return nullptr;
}
