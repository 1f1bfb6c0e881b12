#pragma once

// The UTF-16 code units of one character (one extended grapheme cluster), as
// iterating over a code-unit key yields them.

#include "Hub/Config/CodeUnitHash.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace Hub {

class BinaryDistinctCharacter {
public:
    explicit BinaryDistinctCharacter(std::u16string bytes) : bytes_(std::move(bytes)) {}
    // The code units of UTF-8 text.
    BinaryDistinctCharacter(std::string_view text);
    BinaryDistinctCharacter(const char* text) : BinaryDistinctCharacter(std::string_view(text)) {}

    const std::u16string& bytes() const { return bytes_; }
    // BinaryDistinctCharacter('A', bytes: ["0x41"]).
    std::string description() const;

    bool operator==(const BinaryDistinctCharacter&) const = default;

private:
    std::u16string bytes_;
};

} // namespace Hub

template <>
struct std::hash<Hub::BinaryDistinctCharacter> {
    std::size_t operator()(const Hub::BinaryDistinctCharacter& character) const
    {
        return Hub::hashOfCodeUnits(character.bytes());
    }
};
