#include "Tokenizers/Models/BPE/ByteLevelAlphabet.h"

#include <unicode/utf8.h>

namespace Tokenizers {
namespace {

bool standsForItself(int byte)
{
    return (byte >= 0x21 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xAC) || byte >= 0xAE;
}

std::array<char32_t, 256> characters()
{
    std::array<char32_t, 256> result{};
    char32_t next = 0x100;
    for (int byte = 0; byte < 256; ++byte)
        result[byte] = standsForItself(byte) ? static_cast<char32_t>(byte) : next++;
    return result;
}

std::string utf8(char32_t character)
{
    char bytes[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, static_cast<UChar32>(character));
    return std::string(bytes, static_cast<std::size_t>(length));
}

} // namespace

const std::array<std::string, 256>& byteEncoder()
{
    static const std::array<std::string, 256> encoder = [] {
        std::array<std::string, 256> texts;
        const std::array<char32_t, 256> alphabet = characters();
        for (std::size_t byte = 0; byte < 256; ++byte)
            texts[byte] = utf8(alphabet[byte]);
        return texts;
    }();
    return encoder;
}

const std::unordered_map<char32_t, std::uint8_t>& byteDecoder()
{
    static const std::unordered_map<char32_t, std::uint8_t> decoder = [] {
        std::unordered_map<char32_t, std::uint8_t> bytes;
        const std::array<char32_t, 256> alphabet = characters();
        for (std::size_t byte = 0; byte < 256; ++byte)
            bytes.emplace(alphabet[byte], static_cast<std::uint8_t>(byte));
        return bytes;
    }();
    return decoder;
}

} // namespace Tokenizers
