#pragma once

// A cursor over a table's buckets in probe order. It reads each word once,
// keeping the rest of the current word in `nextBits`, and wraps from the last
// bucket to bucket 0 once: a second wrap means the table has no empty bucket.

#include "OrderedCollections/HashTable/UnsafeHandle.h"

#include <cstdint>
#include <optional>
#include <string>

namespace OrderedCollections::detail {

inline constexpr const char* noUnoccupiedBucketsMessage = "Hash table has no unoccupied buckets";

class BucketIterator {
public:
    BucketIterator(UnsafeHandle table, Bucket start) : table_(table), currentBucket_(start) { startAt(start); }

    Bucket currentBucket() const { return currentBucket_; }
    std::uint64_t currentRawValue() const { return currentRawValue_; }
    bool isOccupied() const { return currentRawValue_ != 0; }

    std::optional<std::ptrdiff_t> currentValue() const { return table_._value(currentRawValue_); }
    void setCurrentValue(std::optional<std::ptrdiff_t> offset)
    {
        currentRawValue_ = table_._bucketContents(offset);
        table_.setRaw(currentBucket_, currentRawValue_);
    }

    void advance()
    {
        const int s = table_.scale();
        std::ptrdiff_t next = currentBucket_.offset + 1;
        if (next == table_.bucketCount()) {
            if (wrappedAround_)
                fatal(noUnoccupiedBucketsMessage);
            wrappedAround_ = true;
            next = 0;
        }
        currentBucket_ = Bucket{next};
        const std::uint64_t mask = (std::uint64_t(1) << s) - 1;
        if (remainingBitCount_ >= s) {
            currentRawValue_ = nextBits_ & mask;
            nextBits_ >>= s;
            remainingBitCount_ -= s;
            return;
        }
        // The bucket starts in the pending bits (if any) and ends in the next word.
        std::ptrdiff_t w = (static_cast<std::ptrdiff_t>(s) * next) >> 6;
        if (remainingBitCount_ > 0)
            w = table_.wordAfter(w);
        const std::uint64_t word = table_.word(w);
        currentRawValue_ = (nextBits_ | (word << remainingBitCount_)) & mask;
        const int used = s - remainingBitCount_;
        nextBits_ = word >> used;
        remainingBitCount_ = table_.bitsInWord(w) - used;
    }

    std::optional<std::ptrdiff_t> findNext()
    {
        advance();
        return currentValue();
    }
    // Stops on the bucket holding `offset` or on the first empty bucket.
    void advanceUntil(std::ptrdiff_t offset)
    {
        const std::uint64_t wanted = table_._bucketContents(offset);
        while (currentRawValue_ != 0 && currentRawValue_ != wanted)
            advance();
    }
    void advanceToNextUnoccupiedBucket()
    {
        while (currentRawValue_ != 0)
            advance();
    }

    std::string description() const
    {
        const auto pad = [](std::string text, std::size_t width) {
            return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
        };
        const auto value = currentValue();
        std::string bits;
        for (int bit = remainingBitCount_ - 1; bit >= 0; --bit)
            bits += ((nextBits_ >> bit) & 1) ? '1' : '0';
        return "BucketIterator(scale: " + std::to_string(table_.scale()) +
               ", bucket: " + pad(std::to_string(currentBucket_.offset), 4) +
               ", value: " + pad(value ? std::to_string(*value) : "nil", 4) + ", bits: " + bits + " (" +
               std::to_string(remainingBitCount_) + " bits))";
    }

private:
    // The bucket's raw bits, and the bits above it in the word that holds its end.
    void startAt(Bucket b)
    {
        const int s = table_.scale();
        const auto [w, bit] = table_.position(b);
        const int end = bit + s;
        currentRawValue_ = table_.raw(b);
        const std::ptrdiff_t endWord = end > 64 ? w + 1 : w;
        const int usedInEndWord = end > 64 ? end - 64 : end;
        nextBits_ = usedInEndWord >= 64 ? 0 : table_.word(endWord) >> usedInEndWord;
        remainingBitCount_ = table_.bitsInWord(endWord) - usedInEndWord;
    }

    UnsafeHandle table_;
    Bucket currentBucket_;
    std::uint64_t currentRawValue_ = 0;
    std::uint64_t nextBits_ = 0;
    int remainingBitCount_ = 0;
    bool wrappedAround_ = false;
};

} // namespace OrderedCollections::detail
