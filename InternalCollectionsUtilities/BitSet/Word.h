#pragma once

// One 64-bit word of a bit set: the members 0 to 63, bit 0 the lowest.

#include "InternalCollectionsUtilities/Fatal.h"
#include "InternalCollectionsUtilities/IntegerBits.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

namespace InternalCollectionsUtilities::detail {

struct BitSetWord {
    static constexpr int wordShift = 6;
    static constexpr int wordMask = 63;
    static constexpr int capacity = 64;

    std::uint64_t value = 0;

    constexpr BitSetWord() = default;
    constexpr explicit BitSetWord(std::uint64_t bits) : value(bits) {}

    static constexpr BitSetWord empty() { return BitSetWord(0); }
    static constexpr BitSetWord allBits() { return BitSetWord(~std::uint64_t(0)); }

    // The bits below `bit`; 64 and above give every bit.
    static constexpr BitSetWord upTo(unsigned bit)
    {
        return BitSetWord(bit >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << bit) - 1);
    }
    // The bits in [from, to), with from <= to <= 64.
    static constexpr BitSetWord fromTo(unsigned from, unsigned to)
    {
        return BitSetWord(upTo(to).value ^ upTo(from).value);
    }

    // Words needed for `bitCount` members.
    static std::int64_t wordCount(std::uint64_t bitCount)
    {
        precondition(bitCount < ~std::uint64_t(0) - 63);
        return static_cast<std::int64_t>((bitCount + 63) >> 6);
    }

    bool isEmpty() const { return value == 0; }
    bool isFull() const { return value == ~std::uint64_t(0); }
    int count() const { return std::popcount(value); }
    bool contains(unsigned bit) const { return (value >> (bit & 63)) & 1; }
    std::optional<unsigned> firstMember() const
    {
        return value == 0 ? std::nullopt : std::optional<unsigned>(std::countr_zero(value));
    }
    std::optional<unsigned> lastMember() const
    {
        return value == 0 ? std::nullopt : std::optional<unsigned>(63 - std::countl_zero(value));
    }

    void set(unsigned bit) { value |= bitAt(bit); }
    void clear(unsigned bit) { value &= ~bitAt(bit); }
    bool insert(unsigned bit)
    {
        const bool wasClear = !contains(bit);
        set(bit);
        return wasClear;
    }
    bool remove(unsigned bit)
    {
        const bool wasSet = contains(bit);
        clear(bit);
        return wasSet;
    }
    void update(unsigned bit, bool member) { member ? set(bit) : clear(bit); }
    void insertAll(unsigned upToBit) { value |= upTo(upToBit).value; }
    void removeAll(unsigned upToBit) { value &= ~upTo(upToBit).value; }
    void removeAllThrough(unsigned bit) { value &= ~upTo((bit & 63) + 1).value; }
    void removeAllFrom(unsigned bit) { value &= upTo(bit & 63).value; }

    BitSetWord complement() const { return BitSetWord(~value); }
    void formComplement() { value = ~value; }
    BitSetWord union_(BitSetWord other) const { return BitSetWord(value | other.value); }
    BitSetWord intersection(BitSetWord other) const { return BitSetWord(value & other.value); }
    BitSetWord symmetricDifference(BitSetWord other) const { return BitSetWord(value ^ other.value); }
    BitSetWord subtracting(BitSetWord other) const { return BitSetWord(value & ~other.value); }
    void formUnion(BitSetWord other) { value |= other.value; }
    void formIntersection(BitSetWord other) { value &= other.value; }
    void formSymmetricDifference(BitSetWord other) { value ^= other.value; }
    void subtract(BitSetWord other) { value &= ~other.value; }

    // Shift counts are taken modulo the width.
    BitSetWord shiftedDown(unsigned n) const { return BitSetWord(value >> (n & 63)); }
    BitSetWord shiftedUp(unsigned n) const { return BitSetWord(value << (n & 63)); }

    // The member with exactly n members below it; otherwise none, and n is
    // reduced by this word's count so the search can go on in the next word.
    std::optional<unsigned> nthElement(std::uint64_t& n) const
    {
        const auto total = static_cast<std::uint64_t>(count());
        if (n >= total) {
            n -= total;
            return std::nullopt;
        }
        const auto position = _bit(value, static_cast<std::int64_t>(n));
        n = 0;
        return static_cast<unsigned>(*position);
    }
    // The same, counted from the most significant end.
    std::optional<unsigned> nthElementFromEnd(std::uint64_t& n) const
    {
        const auto total = static_cast<std::uint64_t>(count());
        if (n >= total) {
            n -= total;
            return std::nullopt;
        }
        const auto position = _bit(value, static_cast<std::int64_t>(total - 1 - n));
        n = 0;
        return static_cast<unsigned>(*position);
    }

    // The word as its own iterator: takes out the lowest member.
    std::optional<unsigned> next()
    {
        if (value == 0)
            return std::nullopt;
        const auto bit = static_cast<unsigned>(std::countr_zero(value));
        value &= value - 1;
        return bit;
    }

    // Lowercase hexadecimal without prefix or leading zeros.
    std::string description() const
    {
        char text[17];
        return std::string(text, std::to_chars(text, text + sizeof text, value, 16).ptr);
    }

    friend bool operator==(BitSetWord, BitSetWord) = default;

private:
    static constexpr std::uint64_t bitAt(unsigned bit) { return std::uint64_t(1) << (bit & 63); }
};

} // namespace InternalCollectionsUtilities::detail
