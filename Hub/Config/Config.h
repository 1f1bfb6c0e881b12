#pragma once

// The dynamic value of a model or tokenizer configuration file: text, integer,
// Boolean, float, dictionary, array, token pair or null. Reading never fails: a
// typed view gives nothing or the caller's default, a missing key or index
// gives null, and a key named in camel case also finds the file's snake_case
// key (modelType finds model_type).
//
// Equal values may hash differently (the integer 1 and true) and equality is
// not transitive (1 == true == "t", but 1 != "t"), so a Config is no key for a
// hash container.

#include "Hub/Config/BinaryDistinctString.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace Jinja {
class Value;
}

namespace Hub {

// The integer types a configuration integer is made from: neither bool nor a
// character type ('a' is no number).
template <class T>
concept IntegerNumber =
    std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, wchar_t> &&
    !std::same_as<T, char8_t> && !std::same_as<T, char16_t> && !std::same_as<T, char32_t>;

class Config {
public:
    using Dictionary = std::unordered_map<BinaryDistinctString, Config>;
    using Array = std::vector<Config>;
    // A token id and its text.
    using Token = std::pair<std::uint64_t, BinaryDistinctString>;
    // Key and value pairs in order; a repeated key keeps the later value.
    using KeyValuePairs = std::vector<std::pair<BinaryDistinctString, Config>>;
    struct Null {
        bool operator==(const Null&) const = default;
    };

    // The tagged value. Dictionaries and arrays are shared, never changed, so
    // that a lookup returns a copy in constant time.
    class Data {
    public:
        // In the order of the storage's alternatives.
        enum class Case { string, integer, boolean, floating, dictionary, array, token, null };
        using Storage = std::variant<BinaryDistinctString, std::int64_t, bool, float, std::shared_ptr<const Dictionary>,
                                     std::shared_ptr<const Array>, Token, Null>;

        Data() : storage_(Null{}) {}
        explicit Data(Storage storage) : storage_(std::move(storage)) {}

        Case kind() const { return static_cast<Case>(storage_.index()); }
        const Storage& storage() const { return storage_; }

        std::optional<std::string> string() const;
        std::optional<std::int64_t> integer() const;
        // A float as it is, an integer converted to the nearest float.
        std::optional<float> floating() const;
        // A Boolean; an integer is true when it is 1; a text lower-cased
        // "true", "t" or "1" is true and "false", "f" or "0" false.
        std::optional<bool> boolean() const;

        bool operator==(const Data& other) const;
        void hash(std::size_t& seed) const;
        std::size_t hashValue() const;
        std::string description() const;

    private:
        Storage storage_;
    };

    // Null.
    Config() = default;
    Config(Data value) : value_(std::move(value)) {}
    Config(BinaryDistinctString text);
    Config(std::string_view text);
    Config(const std::string& text) : Config(std::string_view(text)) {}
    Config(const char* text) : Config(std::string_view(text)) {}
    template <IntegerNumber Integer>
    Config(Integer integer) : value_(Data::Storage(static_cast<std::int64_t>(integer)))
    {
    }
    Config(bool boolean);
    Config(float floating);
    // Held at single precision.
    Config(double floating) : Config(static_cast<float>(floating)) {}
    Config(Array array);
    Config(Dictionary dictionary);
    Config(const KeyValuePairs& pairs);
    Config(Token token);
    // Dictionaries keyed by UTF-8 or UTF-16 text, their keys converted.
    Config(const std::unordered_map<std::string, Config>& dictionary);
    Config(const std::unordered_map<std::u16string, Config>& dictionary);

    const Data& value() const { return value_; }

    bool isNull() const { return value_.kind() == Data::Case::null; }
    std::optional<std::string> string() const { return value_.string(); }
    std::string string(std::string fallback) const;
    std::optional<BinaryDistinctString> binaryDistinctString() const;
    BinaryDistinctString binaryDistinctString(BinaryDistinctString fallback) const;
    std::optional<bool> boolean() const { return value_.boolean(); }
    bool boolean(bool fallback) const { return boolean().value_or(fallback); }
    // An integer only: neither floats nor numeric texts.
    std::optional<std::int64_t> integer() const { return value_.integer(); }
    std::int64_t integer(std::int64_t fallback) const { return integer().value_or(fallback); }
    std::optional<float> floating() const { return value_.floating(); }
    float floating(float fallback) const { return floating().value_or(fallback); }
    std::optional<Dictionary> dictionary() const;
    Dictionary dictionary(Dictionary fallback) const;
    std::optional<Array> array() const;
    Array array(Array fallback) const;
    // A token, or an array of exactly a text and a non-negative integer.
    std::optional<Token> token() const;
    Token token(Token fallback) const;

    // The views above by the type they give, and three more: the integers of a
    // dictionary (other entries dropped), and the texts or keys of an array
    // (other elements skipped).
    template <class T>
    std::optional<T> get() const;
    template <class T>
    T get(T fallback) const
    {
        return get<T>().value_or(std::move(fallback));
    }

    std::optional<std::string> stringValue() const { return string(); }
    std::optional<bool> boolValue() const { return boolean(); }
    std::optional<std::int64_t> intValue() const { return integer(); }
    std::optional<Array> arrayValue() const { return array(); }
    std::optional<Token> tokenValue() const { return token(); }

    // The entry under the key, else under its snake_case form, else null; null
    // for anything but a dictionary.
    Config operator[](const BinaryDistinctString& key) const;
    // The element at the index of an array; null for any other index or value.
    Config operator[](std::int64_t index) const;
    // The entry under a name, as with a key.
    Config member(std::string_view name) const { return (*this)[BinaryDistinctString(name)]; }
    // Nothing for anything but a dictionary, else the entry or null.
    std::optional<Config> optionalMember(std::string_view name) const;
    // Each upper-case letter in lower case, after "_" unless the character
    // before it was an upper-case letter too: useABCDef gives use_abcdef.
    static BinaryDistinctString uncamelCase(const BinaryDistinctString& key);

    bool operator==(const Config& other) const { return value_ == other.value_; }
    void hash(std::size_t& seed) const { value_.hash(seed); }
    std::size_t hashValue() const { return value_.hashValue(); }
    std::string description() const { return value_.description(); }

    // The value as a template sees it. A float reads back as the double of its
    // shortest text (0.1f as 0.1), a token as the object {id: text}, and a
    // dictionary's keys come in ascending code-unit order, where keys that are
    // canonically equivalent collapse into one, the later taking the place of
    // the earlier's value. Throws JinjaError for a value nested too deeply.
    Jinja::Value jinjaValue() const;

private:
    Data value_;
};

template <>
std::optional<std::string> Config::get<std::string>() const;
template <>
std::optional<BinaryDistinctString> Config::get<BinaryDistinctString>() const;
template <>
std::optional<bool> Config::get<bool>() const;
template <>
std::optional<std::int64_t> Config::get<std::int64_t>() const;
template <>
std::optional<float> Config::get<float>() const;
template <>
std::optional<Config::Dictionary> Config::get<Config::Dictionary>() const;
template <>
std::optional<std::unordered_map<BinaryDistinctString, std::int64_t>>
Config::get<std::unordered_map<BinaryDistinctString, std::int64_t>>() const;
template <>
std::optional<Config::Array> Config::get<Config::Array>() const;
template <>
std::optional<std::vector<std::string>> Config::get<std::vector<std::string>>() const;
template <>
std::optional<std::vector<BinaryDistinctString>> Config::get<std::vector<BinaryDistinctString>>() const;
template <>
std::optional<Config::Token> Config::get<Config::Token>() const;

} // namespace Hub
