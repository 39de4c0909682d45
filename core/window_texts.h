#pragma once
// The window's own words that every edition shows alike: the browser edition's page offers the
// same fields with the same hints and warns with the same words as the window. UTF-8.

inline constexpr const char* DefaultSentence = "つぎの計算をしましょう。";

// When a Preview keeps fewer problems than asked for.
inline constexpr const char* ShortSetCaption = "警告";
inline constexpr const char* ShortSetWarning = "今の条件では、指定された問題数が確保できません。";

// The hints of the digit fields, [k-1] for k = 1 (thousandths) .. 5 (tens), and of the others.
inline constexpr const char* DigitFieldHints[5] = {"小数第三位の範囲を入力", "小数第二位の範囲を入力",
                                                   "小数第一位の範囲を入力", "一の位の範囲を入力",
                                                   "十の位の範囲を入力"};
inline constexpr const char* AnswerFieldHint = "答えの範囲を入力";
inline constexpr const char* SentenceFieldHint = "問題文を入力";
inline constexpr const char* NumberFieldHint = "プリント番号を入力";

// The places as the fields' accessible names say them, in the same order as the hints.
inline constexpr const char* PlaceNames[5] = {"小数第三位", "小数第二位", "小数第一位", "一の位", "十の位"};

inline constexpr const char* SentenceLabel = "問題文";
inline constexpr const char* SettingsLabel = "設定";
inline constexpr const char* AnswerRangeLabel = "答えの範囲";
inline constexpr const char* NumberLabel = "プリント番号";
inline constexpr const char* CountLabel = "問題数";
inline constexpr const char* CountChoices[2] = {"３段４列", "４段４列"};
inline constexpr const char* PreviewLabel = "プレビュー";
inline constexpr const char* PrintLabel = "印刷";
