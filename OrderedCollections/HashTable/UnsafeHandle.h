#pragma once

// A non-owning view of one hash table block: the two header words, then the
// buckets, each `scale` bits wide and packed back to back into 64-bit words,
// least significant bit first. A bucket stores an element offset relative to
// the table's bias; raw 0 marks it empty.

#include "InternalCollectionsUtilities/Fatal.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace OrderedCollections::detail {

using InternalCollectionsUtilities::fatal;
using InternalCollectionsUtilities::precondition;

struct Bucket {
    std::ptrdiff_t offset = 0;

    std::string description() const { return "Bucket(@" + std::to_string(offset) + ")"; }
    friend bool operator==(Bucket, Bucket) = default;
};

// The two header words: scale and seed, then reserved scale and bias.
struct HashTableHeader {
    std::uint64_t scaleAndSeed = 0;
    std::uint64_t reservedScaleAndBias = 0;

    int scale() const { return static_cast<int>(scaleAndSeed & 63); }
    std::int64_t seed() const { return static_cast<std::int64_t>(scaleAndSeed); }
    int reservedScale() const { return static_cast<int>(reservedScaleAndBias & 63); }
    std::ptrdiff_t bias() const { return static_cast<std::int64_t>(reservedScaleAndBias) >> 6; }

    void setReservedScale(int reservedScale)
    {
        reservedScaleAndBias = (reservedScaleAndBias & ~std::uint64_t(63)) | static_cast<std::uint64_t>(reservedScale);
    }
    // Brought into 0 ..< M first (M = 2^scale - 1); inputs lie in -M ..< 2M.
    void setBias(std::ptrdiff_t bias)
    {
        const std::ptrdiff_t mask = (std::ptrdiff_t(1) << scale()) - 1;
        if (bias < 0)
            bias += mask;
        else if (bias >= mask)
            bias -= mask;
        reservedScaleAndBias = (static_cast<std::uint64_t>(bias) << 6) | (reservedScaleAndBias & 63);
    }

    std::string _description() const
    {
        char seedText[17];
        const auto seedEnd = std::to_chars(seedText, seedText + sizeof seedText, scaleAndSeed, 16).ptr;
        return "(scale: " + std::to_string(scale()) + ", reservedScale: " + std::to_string(reservedScale()) +
               ", bias: " + std::to_string(bias()) + ", seed: " + std::string(seedText, seedEnd) + ")";
    }
    std::string description() const { return "_HashTable.Header" + _description(); }
};

class UnsafeHandle {
public:
    UnsafeHandle(HashTableHeader* header, std::uint64_t* buckets) : header_(header), buckets_(buckets) {}

    HashTableHeader& header() const { return *header_; }
    std::uint64_t* buckets() const { return buckets_; }

    int scale() const { return header().scale(); }
    std::int64_t seed() const { return header().seed(); }
    int reservedScale() const { return header().reservedScale(); }
    void setReservedScale(int reservedScale) const { header().setReservedScale(reservedScale); }
    std::ptrdiff_t bias() const { return header().bias(); }
    void setBias(std::ptrdiff_t bias) const { header().setBias(bias); }

    std::ptrdiff_t bucketCount() const { return std::ptrdiff_t(1) << scale(); }
    std::ptrdiff_t bucketMask() const { return bucketCount() - 1; }
    std::ptrdiff_t bitCount() const { return static_cast<std::ptrdiff_t>(scale()) << scale(); }
    std::ptrdiff_t wordCount() const { return (bitCount() + 63) / 64; }
    // Word 2 of a scale-5 table holds only 32 bucket bits.
    int bitsInWord(std::ptrdiff_t word) const { return scale() == 5 && word == 2 ? 32 : 64; }

    std::uint64_t& word(std::ptrdiff_t index) const { return buckets()[index]; }
    std::ptrdiff_t wordAfter(std::ptrdiff_t w) const { return w + 1 == wordCount() ? 0 : w + 1; }
    std::ptrdiff_t wordBefore(std::ptrdiff_t w) const { return w == 0 ? wordCount() - 1 : w - 1; }
    Bucket bucketAfter(Bucket b) const { return Bucket{b.offset + 1 == bucketCount() ? 0 : b.offset + 1}; }
    Bucket bucketBefore(Bucket b) const { return Bucket{b.offset == 0 ? bucketCount() - 1 : b.offset - 1}; }

    // The word holding a bucket's first bit, and that bit.
    std::pair<std::ptrdiff_t, int> position(Bucket b) const
    {
        const std::ptrdiff_t firstBit = b.offset * scale();
        return {firstBit >> 6, static_cast<int>(firstBit & 63)};
    }

    std::uint64_t raw(Bucket b) const
    {
        const auto [w, bit] = position(b);
        const int s = scale();
        std::uint64_t value = word(w) >> bit;
        if (bit + s > 64)
            value |= word(w + 1) << (64 - bit);
        return value & ((std::uint64_t(1) << s) - 1);
    }
    void setRaw(Bucket b, std::uint64_t value) const
    {
        const auto [w, bit] = position(b);
        const int s = scale();
        const std::uint64_t mask = (std::uint64_t(1) << s) - 1;
        word(w) = (word(w) & ~(mask << bit)) | (value << bit);
        if (bit + s > 64) {
            const int high = 64 - bit;
            word(w + 1) = (word(w + 1) & ~(mask >> high)) | (value >> high);
        }
    }
    bool isOccupied(Bucket b) const { return raw(b) != 0; }

    // raw = M - ((offset - bias) mod M); 0 is empty.
    std::uint64_t _bucketContents(std::optional<std::ptrdiff_t> offset) const
    {
        if (!offset)
            return 0;
        const std::ptrdiff_t mask = bucketMask();
        std::ptrdiff_t relative = *offset - bias();
        if (relative < 0)
            relative += mask;
        return static_cast<std::uint64_t>(mask ^ relative);
    }
    std::optional<std::ptrdiff_t> _value(std::uint64_t raw) const
    {
        if (raw == 0)
            return std::nullopt;
        const std::ptrdiff_t mask = bucketMask();
        const std::ptrdiff_t t = (mask - static_cast<std::ptrdiff_t>(raw)) + bias();
        return t >= mask ? t - mask : t;
    }
    std::optional<std::ptrdiff_t> operator[](Bucket b) const { return _value(raw(b)); }
    void set(Bucket b, std::optional<std::ptrdiff_t> offset) const { setRaw(b, _bucketContents(offset)); }

    Bucket idealBucketForHashValue(std::int64_t hash) const { return Bucket{hash & bucketMask()}; }

    // Every bucket word zero; header, seed and bias untouched.
    void clear() const
    {
        for (std::ptrdiff_t w = 0; w < wordCount(); ++w)
            word(w) = 0;
    }

    double debugLoadFactor() const
    {
        std::ptrdiff_t occupied = 0;
        for (std::ptrdiff_t b = 0; b < bucketCount(); ++b)
            occupied += isOccupied(Bucket{b});
        return static_cast<double>(occupied) / static_cast<double>(bucketCount());
    }
    std::vector<std::optional<std::ptrdiff_t>> debugContents() const
    {
        std::vector<std::optional<std::ptrdiff_t>> contents;
        for (std::ptrdiff_t b = 0; b < bucketCount(); ++b)
            contents.push_back((*this)[Bucket{b}]);
        return contents;
    }

    // The type name, the header, the load factor and, for small tables, the buckets.
    std::string _description(std::string_view typeName) const
    {
        char loadText[32];
        const auto loadEnd = std::to_chars(loadText, loadText + sizeof loadText, debugLoadFactor()).ptr;
        std::string text =
            std::string(typeName) + header()._description() + "\n  load factor: " + std::string(loadText, loadEnd);
        if (bucketCount() < 128) {
            text += "\n  ";
            for (std::ptrdiff_t b = 0; b < bucketCount(); ++b) {
                if (b > 0)
                    text += ' ';
                const auto offset = (*this)[Bucket{b}];
                text += offset ? std::to_string(*offset) : "_";
            }
        }
        return text;
    }
    std::string description() const { return _description("_HashTable.UnsafeHandle"); }

private:
    HashTableHeader* header_;
    std::uint64_t* buckets_;
};

} // namespace OrderedCollections::detail
