#pragma once

// A text key made of raw UTF-16 code units. Two keys are equal only when their
// code units are: a precomposed letter and the same letter with a combining
// mark are different keys, so every key of a configuration file stays
// distinct. Views as text and counts by characters convert on each call.

#include "Hub/Config/BinaryDistinctCharacter.h"
#include "Hub/Config/CodeUnitHash.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Hub {

// Misuse of a character position: one outside the key.
class IndexOutOfBounds : public std::out_of_range {
public:
    IndexOutOfBounds() : std::out_of_range("Index out of bounds") {}
};

class BinaryDistinctString {
public:
    BinaryDistinctString() = default;
    // The code units unchanged, unpaired surrogates included.
    explicit BinaryDistinctString(std::u16string units) : value_(std::move(units)) {}
    // The code units of UTF-8 text; malformed bytes become U+FFFD.
    BinaryDistinctString(std::string_view text);
    BinaryDistinctString(const std::string& text) : BinaryDistinctString(std::string_view(text)) {}
    BinaryDistinctString(const char* text) : BinaryDistinctString(std::string_view(text)) {}
    explicit BinaryDistinctString(const BinaryDistinctCharacter& character) : value_(character.bytes()) {}
    explicit BinaryDistinctString(const std::vector<BinaryDistinctCharacter>& characters);

    const std::u16string& value() const { return value_; }
    // The text as UTF-8.
    std::string string() const;
    std::string description() const { return string(); }
    // Characters (extended grapheme clusters), not code units.
    std::size_t count() const;
    std::ptrdiff_t startIndex() const { return 0; }
    std::ptrdiff_t endIndex() const { return static_cast<std::ptrdiff_t>(count()); }

    bool operator==(const BinaryDistinctString&) const = default;
    // Lexicographic on the units as unsigned numbers; a proper prefix first.
    std::strong_ordering operator<=>(const BinaryDistinctString&) const = default;
    void hash(std::size_t& seed) const { feedCodeUnits(seed, value_); }
    std::size_t hashValue() const { return hashOfCodeUnits(value_); }

    BinaryDistinctString operator+(const BinaryDistinctString& other) const;
    bool hasPrefix(const BinaryDistinctString& other) const;
    bool hasSuffix(const BinaryDistinctString& other) const;
    // Lower case by the root locale's rules.
    BinaryDistinctString lowercased() const;
    // Every occurrence of the target's units, left to right; an empty target
    // changes nothing.
    BinaryDistinctString replacingOccurrences(const BinaryDistinctString& target,
                                              const BinaryDistinctString& replacement) const;

    // i + n, which must lie in 0...count. Throws IndexOutOfBounds.
    std::ptrdiff_t index(std::ptrdiff_t i, std::ptrdiff_t offsetBy) const;
    // i + n, or nothing when that passes the limit.
    std::optional<std::ptrdiff_t> index(std::ptrdiff_t i, std::ptrdiff_t offsetBy, std::ptrdiff_t limitedBy) const;
    // Characters start up to end, not including end; start from 0, end up to
    // count. Throws IndexOutOfBounds.
    BinaryDistinctString slice(std::ptrdiff_t start, std::ptrdiff_t end) const;
    // Characters from start to the end.
    BinaryDistinctString slice(std::ptrdiff_t start) const;

    std::vector<BinaryDistinctCharacter> characters() const;

private:
    std::u16string value_;
};

} // namespace Hub

template <>
struct std::hash<Hub::BinaryDistinctString> {
    std::size_t operator()(const Hub::BinaryDistinctString& key) const { return key.hashValue(); }
};
