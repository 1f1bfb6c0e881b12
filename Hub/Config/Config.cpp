#include "Hub/Config/Config.h"

namespace Hub {

namespace {

template <class Container>
Config::Data shared(Container container)
{
    return Config::Data(std::make_shared<const Container>(std::move(container)));
}

template <class Text>
Config::Dictionary withConvertedKeys(const std::unordered_map<Text, Config>& dictionary)
{
    Config::Dictionary converted;
    converted.reserve(dictionary.size());
    for (const auto& [key, value] : dictionary)
        converted.insert_or_assign(BinaryDistinctString(key), value);
    return converted;
}

} // namespace

Config::Config(BinaryDistinctString text) : value_(Data::Storage(std::move(text))) {}

Config::Config(std::string_view text) : Config(BinaryDistinctString(text)) {}

Config::Config(bool boolean) : value_(Data::Storage(boolean)) {}

Config::Config(float floating) : value_(Data::Storage(floating)) {}

Config::Config(Array array) : value_(shared(std::move(array))) {}

Config::Config(Dictionary dictionary) : value_(shared(std::move(dictionary))) {}

Config::Config(const KeyValuePairs& pairs)
{
    Dictionary dictionary;
    dictionary.reserve(pairs.size());
    for (const auto& [key, value] : pairs)
        dictionary.insert_or_assign(key, value);
    value_ = shared(std::move(dictionary));
}

Config::Config(Token token) : value_(Data::Storage(std::move(token))) {}

Config::Config(const std::unordered_map<std::string, Config>& dictionary) : Config(withConvertedKeys(dictionary)) {}

Config::Config(const std::unordered_map<std::u16string, Config>& dictionary) : Config(withConvertedKeys(dictionary)) {}

std::string Config::string(std::string fallback) const
{
    return string().value_or(std::move(fallback));
}

std::optional<BinaryDistinctString> Config::binaryDistinctString() const
{
    if (const auto* text = std::get_if<BinaryDistinctString>(&value_.storage()))
        return *text;
    return std::nullopt;
}

BinaryDistinctString Config::binaryDistinctString(BinaryDistinctString fallback) const
{
    return binaryDistinctString().value_or(std::move(fallback));
}

std::optional<Config::Dictionary> Config::dictionary() const
{
    if (const auto* dictionary = std::get_if<std::shared_ptr<const Dictionary>>(&value_.storage()))
        return **dictionary;
    return std::nullopt;
}

Config::Dictionary Config::dictionary(Dictionary fallback) const
{
    return dictionary().value_or(std::move(fallback));
}

std::optional<Config::Array> Config::array() const
{
    if (const auto* array = std::get_if<std::shared_ptr<const Array>>(&value_.storage()))
        return **array;
    return std::nullopt;
}

Config::Array Config::array(Array fallback) const
{
    return array().value_or(std::move(fallback));
}

std::optional<Config::Token> Config::token() const
{
    if (const auto* token = std::get_if<Token>(&value_.storage()))
        return *token;
    if (const auto* array = std::get_if<std::shared_ptr<const Array>>(&value_.storage())) {
        if ((*array)->size() != 2)
            return std::nullopt;
        const auto text = (**array)[0].binaryDistinctString();
        const auto id = (**array)[1].integer();
        // A token id is never negative.
        if (text && id && *id >= 0)
            return Token(static_cast<std::uint64_t>(*id), *text);
    }
    return std::nullopt;
}

Config::Token Config::token(Token fallback) const
{
    return token().value_or(std::move(fallback));
}

template <>
std::optional<std::string> Config::get<std::string>() const
{
    return string();
}

template <>
std::optional<BinaryDistinctString> Config::get<BinaryDistinctString>() const
{
    return binaryDistinctString();
}

template <>
std::optional<bool> Config::get<bool>() const
{
    return boolean();
}

template <>
std::optional<std::int64_t> Config::get<std::int64_t>() const
{
    return integer();
}

template <>
std::optional<float> Config::get<float>() const
{
    return floating();
}

template <>
std::optional<Config::Dictionary> Config::get<Config::Dictionary>() const
{
    return dictionary();
}

template <>
std::optional<std::unordered_map<BinaryDistinctString, std::int64_t>>
Config::get<std::unordered_map<BinaryDistinctString, std::int64_t>>() const
{
    const auto* dictionary = std::get_if<std::shared_ptr<const Dictionary>>(&value_.storage());
    if (!dictionary)
        return std::nullopt;
    std::unordered_map<BinaryDistinctString, std::int64_t> integers;
    for (const auto& [key, value] : **dictionary)
        if (const auto integer = value.integer())
            integers.emplace(key, *integer);
    return integers;
}

template <>
std::optional<Config::Array> Config::get<Config::Array>() const
{
    return array();
}

namespace {

// The elements of an array that `view` gives a value for, in order.
template <class Element, class View>
std::optional<std::vector<Element>> elementsOf(const Config::Data& data, View view)
{
    const auto* array = std::get_if<std::shared_ptr<const Config::Array>>(&data.storage());
    if (!array)
        return std::nullopt;
    std::vector<Element> elements;
    for (const Config& element : **array)
        if (auto value = view(element))
            elements.push_back(std::move(*value));
    return elements;
}

} // namespace

template <>
std::optional<std::vector<std::string>> Config::get<std::vector<std::string>>() const
{
    return elementsOf<std::string>(value_, [](const Config& element) { return element.string(); });
}

template <>
std::optional<std::vector<BinaryDistinctString>> Config::get<std::vector<BinaryDistinctString>>() const
{
    return elementsOf<BinaryDistinctString>(value_,
                                            [](const Config& element) { return element.binaryDistinctString(); });
}

template <>
std::optional<Config::Token> Config::get<Config::Token>() const
{
    return token();
}

} // namespace Hub
