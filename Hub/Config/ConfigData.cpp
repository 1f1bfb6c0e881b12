#include "Hub/Config/Config.h"

#include "Platform/HashCombine.h"
#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/Format.h"

#include <bit>
#include <charconv>
#include <cstdint>

namespace Hub {

namespace {

using Case = Config::Data::Case;

// A float's shortest decimal text, with ".0" on whole numbers (1.0, 0.1, 1e+20).
std::string floatText(float value)
{
    char text[32];
    char* end = std::to_chars(text, text + sizeof text, value).ptr;
    std::string result(text, end);
    if (result.find_first_not_of("-0123456789") == std::string::npos)
        result += ".0";
    return result;
}

std::string enclosed(std::string_view open, const std::string& text, std::string_view close)
{
    std::string result(open);
    result.append(text).append(close);
    return result;
}

template <class Range, class Write>
std::string joined(const Range& range, Write&& write)
{
    std::string text;
    for (const auto& element : range) {
        if (!text.empty())
            text += ", ";
        text += write(element);
    }
    return text;
}

} // namespace

std::optional<std::string> Config::Data::string() const
{
    if (const auto* text = std::get_if<BinaryDistinctString>(&storage_))
        return text->string();
    return std::nullopt;
}

std::optional<std::int64_t> Config::Data::integer() const
{
    if (const auto* integer = std::get_if<std::int64_t>(&storage_))
        return *integer;
    return std::nullopt;
}

std::optional<float> Config::Data::floating() const
{
    if (const auto* floating = std::get_if<float>(&storage_))
        return *floating;
    if (const auto* integer = std::get_if<std::int64_t>(&storage_))
        return static_cast<float>(*integer);
    return std::nullopt;
}

std::optional<bool> Config::Data::boolean() const
{
    if (const auto* boolean = std::get_if<bool>(&storage_))
        return *boolean;
    if (const auto* integer = std::get_if<std::int64_t>(&storage_))
        return *integer == 1;
    if (const auto* text = std::get_if<BinaryDistinctString>(&storage_)) {
        const std::string lower = Platform::lowercased(text->string());
        if (lower == "true" || lower == "t" || lower == "1")
            return true;
        if (lower == "false" || lower == "f" || lower == "0")
            return false;
    }
    return std::nullopt;
}

bool Config::Data::operator==(const Data& other) const
{
    const Case kind = this->kind();
    const Case otherKind = other.kind();
    if (kind == Case::boolean || otherKind == Case::boolean) {
        const bool flag = std::get<bool>(kind == Case::boolean ? storage_ : other.storage_);
        const Data& rest = kind == Case::boolean ? other : *this;
        const Case restKind = rest.kind();
        if (restKind != Case::boolean && restKind != Case::integer && restKind != Case::string)
            return false;
        return rest.boolean() == flag;
    }
    if (kind == Case::integer && otherKind == Case::floating)
        return static_cast<float>(std::get<std::int64_t>(storage_)) == std::get<float>(other.storage_);
    if (kind == Case::floating && otherKind == Case::integer)
        return other == *this;
    if (kind != otherKind)
        return false;
    switch (kind) {
    case Case::dictionary: {
        const Dictionary& dictionary = *std::get<std::shared_ptr<const Dictionary>>(storage_);
        const Dictionary& otherDictionary = *std::get<std::shared_ptr<const Dictionary>>(other.storage_);
        if (dictionary.size() != otherDictionary.size())
            return false;
        for (const auto& [key, value] : dictionary) {
            const auto found = otherDictionary.find(key);
            if (found == otherDictionary.end() || !(found->second == value))
                return false;
        }
        return true;
    }
    case Case::array:
        return *std::get<std::shared_ptr<const Array>>(storage_) ==
               *std::get<std::shared_ptr<const Array>>(other.storage_);
    default:
        // Floats compare as IEEE numbers: NaN never equal, -0 equal to +0.
        return storage_ == other.storage_;
    }
}

void Config::Data::hash(std::size_t& seed) const
{
    using Platform::hashCombine;
    switch (kind()) {
    case Case::null: hashCombine(seed, std::size_t{0}); break;
    case Case::string:
        hashCombine(seed, std::size_t{1});
        std::get<BinaryDistinctString>(storage_).hash(seed);
        break;
    case Case::integer:
        hashCombine(seed, std::size_t{2});
        hashCombine(seed, std::get<std::int64_t>(storage_));
        break;
    case Case::boolean:
        hashCombine(seed, std::size_t{3});
        hashCombine(seed, std::uint8_t{std::get<bool>(storage_) ? std::uint8_t{1} : std::uint8_t{0}});
        break;
    case Case::floating: {
        hashCombine(seed, std::size_t{4});
        const float floating = std::get<float>(storage_);
        hashCombine(seed, std::bit_cast<std::uint32_t>(floating == 0 ? 0.0f : floating));
        break;
    }
    case Case::dictionary: {
        hashCombine(seed, std::size_t{5});
        // Independent of the entries' order: each entry is hashed alone.
        std::size_t entries = 0;
        for (const auto& [key, value] : *std::get<std::shared_ptr<const Dictionary>>(storage_)) {
            std::size_t entry = 0;
            key.hash(entry);
            value.hash(entry);
            entries ^= entry;
        }
        hashCombine(seed, entries);
        break;
    }
    case Case::array:
        hashCombine(seed, std::size_t{6});
        for (const Config& element : *std::get<std::shared_ptr<const Array>>(storage_))
            element.hash(seed);
        break;
    case Case::token: {
        hashCombine(seed, std::size_t{7});
        const auto& [id, text] = std::get<Token>(storage_);
        hashCombine(seed, id);
        text.hash(seed);
        break;
    }
    }
}

std::size_t Config::Data::hashValue() const
{
    std::size_t seed = 0;
    hash(seed);
    return seed;
}

std::string Config::Data::description() const
{
    switch (kind()) {
    case Case::string: return enclosed("\"", std::get<BinaryDistinctString>(storage_).string(), "\"");
    case Case::integer: return std::to_string(std::get<std::int64_t>(storage_));
    case Case::boolean: return Platform::booleanText(std::get<bool>(storage_));
    case Case::floating: return floatText(std::get<float>(storage_));
    case Case::dictionary: {
        const Dictionary& dictionary = *std::get<std::shared_ptr<const Dictionary>>(storage_);
        if (dictionary.empty())
            return "{[:]}";
        return enclosed("{[",
                        joined(dictionary,
                               [](const auto& entry) {
                                   return entry.first.string().append(": ").append(entry.second.description());
                               }),
                        "]}");
    }
    case Case::array:
        return enclosed("[[",
                        joined(*std::get<std::shared_ptr<const Array>>(storage_),
                               [](const Config& element) { return element.description(); }),
                        "]]");
    case Case::token: {
        const auto& [id, text] = std::get<Token>(storage_);
        return enclosed("(", std::to_string(id).append(", ").append(text.string()), ")");
    }
    case Case::null: break;
    }
    return "null";
}

} // namespace Hub
