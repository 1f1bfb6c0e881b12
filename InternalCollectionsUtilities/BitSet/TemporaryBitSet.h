#pragma once

// Scratch bit sets that live for the duration of one call: up to 128 words on
// the stack, larger ones on the heap (Linux offers no reliable way to ask how
// much stack is left, and the heap is always safe).

#include "InternalCollectionsUtilities/BitSet/UnsafeBitSet.h"
#include "InternalCollectionsUtilities/Fatal.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>

namespace InternalCollectionsUtilities::detail {

inline constexpr std::int64_t maximumStackBitSetWords = 128;

// The body gets words that are not yet zeroed.
template <class Body>
decltype(auto) _withTemporaryUninitializedBitSet(std::int64_t wordCount, Body&& body)
{
    precondition(wordCount >= 0 && wordCount < (std::int64_t(1) << 60));
    if (wordCount <= maximumStackBitSetWords) {
        std::array<std::uint64_t, maximumStackBitSetWords> words;
        UnsafeBitSet bitSet(std::span(words.data(), static_cast<std::size_t>(wordCount)));
        return body(bitSet);
    }
    auto words = std::make_unique_for_overwrite<std::uint64_t[]>(static_cast<std::size_t>(wordCount));
    UnsafeBitSet bitSet(std::span(words.get(), static_cast<std::size_t>(wordCount)));
    return body(bitSet);
}

// Runs the body on a zeroed bit set of `wordCount` words and returns its result.
template <class Body>
decltype(auto) withTemporaryBitSetOfWords(std::int64_t wordCount, Body&& body)
{
    return _withTemporaryUninitializedBitSet(wordCount, [&](UnsafeBitSet& bitSet) -> decltype(auto) {
        std::fill(bitSet.words().begin(), bitSet.words().end(), 0);
        return body(bitSet);
    });
}

// The same for room for `capacity` members.
template <class Body>
decltype(auto) withTemporaryBitSet(std::int64_t capacity, Body&& body)
{
    precondition(capacity >= 0);
    return withTemporaryBitSetOfWords((capacity + 63) >> 6, std::forward<Body>(body));
}

} // namespace InternalCollectionsUtilities::detail
