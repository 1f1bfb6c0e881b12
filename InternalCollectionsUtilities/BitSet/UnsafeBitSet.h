#pragma once

// A set of small non-negative integers, one bit each, over 64-bit words that
// somebody else owns: the containers mark element offsets in one and walk the
// marks in ascending order. It never allocates, grows or frees its words.

#include "InternalCollectionsUtilities/BitSet/Word.h"
#include "InternalCollectionsUtilities/Fatal.h"

#include <bit>
#include <compare>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace InternalCollectionsUtilities::detail {

class UnsafeBitSet {
public:
    using Word = BitSetWord;

    // A member's position; as the end of a range, a nonzero multiple of 64
    // belongs to the word before it.
    struct Index {
        std::uint64_t value = 0;

        static Index at(std::uint64_t word, std::uint64_t bit)
        {
            precondition(word <= (std::uint64_t(std::numeric_limits<std::int64_t>::max()) >> 6));
            return Index{word * 64 + bit};
        }
        static Index fromSigned(std::int64_t value)
        {
            precondition(value >= 0);
            return Index{static_cast<std::uint64_t>(value)};
        }
        std::uint64_t word() const { return value >> 6; }
        unsigned bit() const { return static_cast<unsigned>(value & 63); }
        std::pair<std::uint64_t, unsigned> split() const { return {word(), bit()}; }
        std::pair<std::uint64_t, unsigned> endSplit() const
        {
            if (value != 0 && bit() == 0)
                return {word() - 1, 64};
            return split();
        }
        Index successor() const
        {
            precondition(value != std::numeric_limits<std::uint64_t>::max());
            return Index{value + 1};
        }
        Index predecessor() const
        {
            precondition(value != 0);
            return Index{value - 1};
        }
        friend auto operator<=>(Index, Index) = default;
    };

    explicit UnsafeBitSet(std::span<std::uint64_t> words) : words_(words) {}

    static std::int64_t wordCount(std::uint64_t forCapacity) { return Word::wordCount(forCapacity); }
    std::int64_t wordCount() const { return static_cast<std::int64_t>(words_.size()); }
    std::span<std::uint64_t> words() const { return words_; }

    std::uint64_t capacity() const
    {
        precondition(words_.size() <= (std::uint64_t(std::numeric_limits<std::int64_t>::max()) >> 6));
        return words_.size() * 64;
    }
    bool isWithinBounds(std::uint64_t member) const { return member < capacity(); }

    bool contains(std::uint64_t member) const
    {
        return (member >> 6) < words_.size() && ((words_[member >> 6] >> (member & 63)) & 1);
    }
    // The member must be within bounds.
    bool insert(std::uint64_t member)
    {
        Word word(words_[member >> 6]);
        const bool inserted = word.insert(member & 63);
        words_[member >> 6] = word.value;
        return inserted;
    }
    bool remove(std::uint64_t member)
    {
        if ((member >> 6) >= words_.size())
            return false;
        Word word(words_[member >> 6]);
        const bool removed = word.remove(member & 63);
        words_[member >> 6] = word.value;
        return removed;
    }
    // Returns whether the member lies in the last word, not whether anything changed.
    bool update(std::uint64_t member, bool isMember)
    {
        Word word(words_[member >> 6]);
        word.update(member & 63, isMember);
        words_[member >> 6] = word.value;
        return (member >> 6) == words_.size() - 1;
    }
    void insertAll(std::uint64_t upTo)
    {
        const std::uint64_t fullWords = upTo >> 6;
        for (std::uint64_t w = 0; w < fullWords; ++w)
            words_[w] = ~std::uint64_t(0);
        if (upTo & 63)
            words_[fullWords] |= Word::upTo(upTo & 63).value;
    }

    std::int64_t count() const
    {
        std::int64_t total = 0;
        for (std::uint64_t word : words_)
            total += std::popcount(word);
        return total;
    }
    bool isEmpty() const
    {
        for (std::uint64_t word : words_)
            if (word != 0)
                return false;
        return true;
    }

    Index endIndex() const { return Index{capacity()}; }
    Index startIndex() const { return firstMemberFrom(0); }

    Index indexAfter(Index i) const
    {
        precondition(i < endIndex());
        const std::uint64_t rest = words_[i.word()] & ~Word::upTo(i.bit() + 1).value;
        if (rest != 0)
            return Index::at(i.word(), static_cast<std::uint64_t>(std::countr_zero(rest)));
        return firstMemberFrom(i.word() + 1);
    }

    Index indexBefore(Index i) const
    {
        precondition(i <= endIndex());
        auto [word, bit] = i.split();
        if (bit != 0) {
            const std::uint64_t below = words_[word] & Word::upTo(bit).value;
            if (below != 0)
                return Index::at(word, static_cast<std::uint64_t>(63 - std::countl_zero(below)));
        }
        while (word > 0) {
            --word;
            if (words_[word] != 0)
                return Index::at(word, static_cast<std::uint64_t>(63 - std::countl_zero(words_[word])));
        }
        fatal();
    }

    // The number of members in [min(i, j), max(i, j)), negative when j < i.
    std::int64_t distance(Index from, Index to) const
    {
        precondition(from <= endIndex() && to <= endIndex());
        const Index lo = std::min(from, to), hi = std::max(from, to);
        std::int64_t members = 0;
        if (lo.word() == hi.word()) {
            if (lo.word() < words_.size())
                members = std::popcount(words_[lo.word()] & Word::fromTo(lo.bit(), hi.bit()).value);
        } else {
            members = std::popcount(words_[lo.word()] & ~Word::upTo(lo.bit()).value);
            for (std::uint64_t w = lo.word() + 1; w < hi.word(); ++w)
                members += std::popcount(words_[w]);
            if (hi.word() < words_.size())
                members += std::popcount(words_[hi.word()] & Word::upTo(hi.bit()).value);
        }
        return to < from ? -members : members;
    }

    // `i` must be endIndex or a member. Landing exactly on endIndex is allowed;
    // walking past it or before the first member stops the program.
    Index index(Index i, std::int64_t offsetBy) const
    {
        if (auto result = walk(i, offsetBy))
            return *result;
        fatal();
    }

    // None when the walk would pass `limit` in its direction of travel.
    std::optional<Index> index(Index i, std::int64_t offsetBy, Index limit) const
    {
        precondition(limit <= endIndex());
        const bool limitAhead = offsetBy > 0 ? limit >= i : limit <= i;
        const auto result = walk(i, offsetBy);
        if (!result) {
            if (limitAhead && !(offsetBy > 0 && limit == endIndex()))
                return std::nullopt;
            fatal();
        }
        if (limitAhead && (offsetBy > 0 ? *result > limit : *result < limit))
            return std::nullopt;
        return result;
    }

    // Members in ascending order; each word is read once.
    class Iterator {
    public:
        explicit Iterator(const UnsafeBitSet& bitSet) : words_(bitSet.words_), word_(words_.empty() ? 0 : words_[0]) {}
        std::optional<std::uint64_t> next()
        {
            while (word_ == 0) {
                if (++index_ >= words_.size())
                    return std::nullopt;
                word_ = words_[index_];
            }
            const auto bit = static_cast<std::uint64_t>(std::countr_zero(word_));
            word_ &= word_ - 1;
            return index_ * 64 + bit;
        }

    private:
        std::span<std::uint64_t> words_;
        std::size_t index_ = 0;
        std::uint64_t word_;
    };

    // Range-for over the members.
    class iterator {
    public:
        using value_type = std::uint64_t;
        using difference_type = std::ptrdiff_t;
        iterator() : state_(UnsafeBitSet({})) {}
        explicit iterator(const UnsafeBitSet& bitSet) : state_(bitSet), current_(state_.next()) {}
        std::uint64_t operator*() const { return *current_; }
        iterator& operator++()
        {
            current_ = state_.next();
            return *this;
        }
        void operator++(int) { ++*this; }
        bool operator==(std::default_sentinel_t) const { return !current_; }

    private:
        Iterator state_;
        std::optional<std::uint64_t> current_;
    };
    iterator begin() const { return iterator(*this); }
    std::default_sentinel_t end() const { return {}; }

    // Counts first, so the array is allocated once.
    std::vector<std::uint64_t> members() const
    {
        std::vector<std::uint64_t> result;
        result.reserve(static_cast<std::size_t>(count()));
        for (std::uint64_t member : *this)
            result.push_back(member);
        return result;
    }

private:
    Index firstMemberFrom(std::uint64_t word) const
    {
        for (; word < words_.size(); ++word)
            if (words_[word] != 0)
                return Index::at(word, static_cast<std::uint64_t>(std::countr_zero(words_[word])));
        return endIndex();
    }

    // The walk of index(_:offsetBy:), none when it runs out of members.
    std::optional<Index> walk(Index i, std::int64_t n) const
    {
        if (n == 0)
            return i;
        if (n > 0) {
            std::uint64_t k = static_cast<std::uint64_t>(n);
            for (std::uint64_t w = i.word(); w < words_.size(); ++w) {
                const Word word(w == i.word() ? words_[w] & ~Word::upTo(i.bit()).value : words_[w]);
                if (auto bit = word.nthElement(k))
                    return Index::at(w, *bit);
            }
            if (k == 0)
                return endIndex();
            return std::nullopt;
        }
        std::uint64_t k = static_cast<std::uint64_t>(-(n + 1));
        auto [first, bit] = i.endSplit();
        for (std::uint64_t w = first + 1; w-- > 0;) {
            if (w >= words_.size())
                continue;
            const Word word(w == first ? words_[w] & Word::upTo(bit).value : words_[w]);
            if (auto found = word.nthElementFromEnd(k))
                return Index::at(w, *found);
        }
        return std::nullopt;
    }

    std::span<std::uint64_t> words_;
};

} // namespace InternalCollectionsUtilities::detail
