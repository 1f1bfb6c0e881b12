#pragma once

// The byte-level alphabet: each of the 256 byte values as one printable
// character, so that any UTF-8 text can be written with a vocabulary that
// holds no control characters or white space. Bytes of visible Latin-1
// characters stand for themselves; the other 68 take U+0100 to U+0143 in turn.

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace Tokenizers {

// The UTF-8 text of each byte's character, indexed by byte.
const std::array<std::string, 256>& byteEncoder();
// The byte of each character of the alphabet.
const std::unordered_map<char32_t, std::uint8_t>& byteDecoder();

} // namespace Tokenizers
