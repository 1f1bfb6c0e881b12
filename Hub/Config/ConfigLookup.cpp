#include "Hub/Config/Config.h"

#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/UTF16.h"

namespace Hub {

Config Config::operator[](const BinaryDistinctString& key) const
{
    const auto* dictionary = std::get_if<std::shared_ptr<const Dictionary>>(&value_.storage());
    if (!dictionary)
        return {};
    if (const auto found = (*dictionary)->find(key); found != (*dictionary)->end())
        return found->second;
    if (const auto found = (*dictionary)->find(uncamelCase(key)); found != (*dictionary)->end())
        return found->second;
    return {};
}

Config Config::operator[](std::int64_t index) const
{
    const auto* array = std::get_if<std::shared_ptr<const Array>>(&value_.storage());
    if (!array || index < 0 || static_cast<std::uint64_t>(index) >= (*array)->size())
        return {};
    return (**array)[static_cast<std::size_t>(index)];
}

std::optional<Config> Config::optionalMember(std::string_view name) const
{
    if (value_.kind() != Data::Case::dictionary)
        return std::nullopt;
    return member(name);
}

BinaryDistinctString Config::uncamelCase(const BinaryDistinctString& key)
{
    const std::u16string& units = key.value();
    std::u16string result;
    result.reserve(units.size() + 4);
    // A leading capital gets no underscore.
    bool previousWasUppercase = true;
    for (std::size_t offset = 0; offset < units.size();) {
        const std::size_t start = offset;
        char32_t codePoint = units[offset++];
        if (codePoint >= 0xD800 && codePoint < 0xDC00 && offset < units.size() && units[offset] >= 0xDC00 &&
            units[offset] < 0xE000)
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (units[offset++] - 0xDC00u);
        const std::u16string_view character(units.data() + start, offset - start);
        const bool uppercase = Platform::contains(Platform::CharacterSet::uppercaseLetters, codePoint);
        if (uppercase) {
            if (!previousWasUppercase)
                result += u'_';
            if (codePoint < 0x80)
                result += static_cast<char16_t>(codePoint - u'A' + u'a');
            else
                result += Platform::utf16(Platform::lowercased(Platform::utf8(character)));
        } else {
            result += character;
        }
        previousWasUppercase = uppercase;
    }
    return BinaryDistinctString(std::move(result));
}

} // namespace Hub
