#pragma once
// Reading UTF-8 texts that came from a user: a sentence, a value typed into an option. Nothing
// guarantees they are well formed, and what is written from them (a message, an image) must be.
#include <cstddef>
#include <string_view>

// The code point of the character that starts at byte `i`, with `i` moved past it. A byte that
// starts no well-formed character (a stray continuation byte, a cut or overlong sequence, a
// surrogate, beyond U+10FFFF) reads as U+FFFD and `i` moves past that one byte alone.
char32_t NextCodePoint(std::string_view text, std::size_t& i);

// U+FFFD as UTF-8, what such a byte is written as.
inline constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";
