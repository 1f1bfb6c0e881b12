#include "Tokenizers/Decoders/ByteFallbackDecoder.h"

#include "Platform/Text/UnicodeScalars.h"

#include <charconv>
#include <optional>

namespace Tokenizers {
namespace {

// "<0x" and ">" around two characters read as a hexadecimal number, which
// may carry a "+" sign; a negative number is no byte.
std::optional<char> parseByte(std::string_view token)
{
    if (token.size() != 6 || !token.starts_with("<0x") || !token.ends_with(">"))
        return std::nullopt;
    std::string_view digits = token.substr(3, 2);
    if (digits.front() == '+')
        digits.remove_prefix(1);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return static_cast<char>(value);
}

} // namespace

std::vector<std::string> ByteFallbackDecoder::decode(const std::vector<std::string>& tokens) const
{
    std::vector<std::string> pieces;
    std::string bytes;
    for (const std::string& token : tokens) {
        if (const std::optional<char> byte = parseByte(token)) {
            bytes += *byte;
            continue;
        }
        if (!bytes.empty())
            pieces.push_back(Platform::validUTF8(bytes));
        bytes.clear();
        pieces.push_back(token);
    }
    if (!bytes.empty())
        pieces.push_back(Platform::validUTF8(bytes));
    return pieces;
}

} // namespace Tokenizers
