#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace Platform {

// Calls `visit` for each code point of UTF-8 text, in order, with the bytes
// that encode it; a malformed sequence (a character cut off, a stray byte)
// comes with no code point.
void forEachCodePoint(std::string_view text,
                      const std::function<void(std::optional<char32_t> codePoint, std::string_view bytes)>& visit);

// Whether every byte is below 0x80, so that each byte is one character.
inline bool isASCII(std::string_view text)
{
    // Eight bytes at a time: any high bit in the word.
    std::size_t offset = 0;
    for (; offset + 8 <= text.size(); offset += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + offset, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; offset < text.size(); ++offset)
        if (static_cast<unsigned char>(text[offset]) >= 0x80)
            return false;
    return true;
}

// The first code point of UTF-8 text; none when the text is empty or starts
// with a malformed sequence.
std::optional<char32_t> firstCodePoint(std::string_view text);

// The code points of UTF-8 text, in order; each malformed sequence counts as
// one U+FFFD.
std::u32string unicodeScalars(std::string_view text);

// The bytes as UTF-8 text: each malformed sequence becomes U+FFFD, everything
// else stays as it is.
std::string validUTF8(std::string_view bytes);

} // namespace Platform
