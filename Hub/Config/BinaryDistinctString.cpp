#include "Hub/Config/BinaryDistinctString.h"

#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UTF16.h"

namespace Hub {

BinaryDistinctString::BinaryDistinctString(std::string_view text) : value_(Platform::utf16(text)) {}

BinaryDistinctString::BinaryDistinctString(const std::vector<BinaryDistinctCharacter>& characters)
{
    for (const BinaryDistinctCharacter& character : characters)
        value_ += character.bytes();
}

std::string BinaryDistinctString::string() const
{
    return Platform::utf8(value_);
}

std::size_t BinaryDistinctString::count() const
{
    return Platform::graphemeLengths(value_).size();
}

BinaryDistinctString BinaryDistinctString::operator+(const BinaryDistinctString& other) const
{
    return BinaryDistinctString(value_ + other.value_);
}

bool BinaryDistinctString::hasPrefix(const BinaryDistinctString& other) const
{
    return value_.starts_with(other.value_);
}

bool BinaryDistinctString::hasSuffix(const BinaryDistinctString& other) const
{
    return value_.ends_with(other.value_);
}

BinaryDistinctString BinaryDistinctString::lowercased() const
{
    return BinaryDistinctString(Platform::lowercased(string()));
}

BinaryDistinctString BinaryDistinctString::replacingOccurrences(const BinaryDistinctString& target,
                                                                const BinaryDistinctString& replacement) const
{
    if (target.value_.empty())
        return *this;
    std::u16string result;
    std::size_t start = 0;
    for (std::size_t found = value_.find(target.value_); found != std::u16string::npos;
         found = value_.find(target.value_, start)) {
        result.append(value_, start, found - start).append(replacement.value_);
        start = found + target.value_.size();
    }
    result.append(value_, start);
    return BinaryDistinctString(std::move(result));
}

std::ptrdiff_t BinaryDistinctString::index(std::ptrdiff_t i, std::ptrdiff_t offsetBy) const
{
    const std::ptrdiff_t result = i + offsetBy;
    if (result < 0 || result > endIndex())
        throw IndexOutOfBounds();
    return result;
}

std::optional<std::ptrdiff_t> BinaryDistinctString::index(std::ptrdiff_t i, std::ptrdiff_t offsetBy,
                                                          std::ptrdiff_t limitedBy) const
{
    const std::ptrdiff_t result = i + offsetBy;
    if (result > limitedBy)
        return std::nullopt;
    return result;
}

BinaryDistinctString BinaryDistinctString::slice(std::ptrdiff_t start, std::ptrdiff_t end) const
{
    const std::vector<std::size_t> lengths = Platform::graphemeLengths(value_);
    if (start < 0 || end > static_cast<std::ptrdiff_t>(lengths.size()) || start > end)
        throw IndexOutOfBounds();
    std::size_t from = 0;
    for (std::ptrdiff_t position = 0; position < start; ++position)
        from += lengths[static_cast<std::size_t>(position)];
    std::size_t to = from;
    for (std::ptrdiff_t position = start; position < end; ++position)
        to += lengths[static_cast<std::size_t>(position)];
    return BinaryDistinctString(value_.substr(from, to - from));
}

BinaryDistinctString BinaryDistinctString::slice(std::ptrdiff_t start) const
{
    return slice(start, endIndex());
}

std::vector<BinaryDistinctCharacter> BinaryDistinctString::characters() const
{
    std::vector<BinaryDistinctCharacter> characters;
    std::size_t offset = 0;
    for (std::size_t length : Platform::graphemeLengths(value_)) {
        characters.emplace_back(std::u16string(value_.data() + offset, length));
        offset += length;
    }
    return characters;
}

} // namespace Hub
