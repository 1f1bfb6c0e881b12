#pragma once

// Two adjacent pieces of a word that a merges list may join.

#include "Platform/HashCombine.h"

#include <string>

namespace Tokenizers {

struct BytePair {
    std::string a; // left
    std::string b; // right
    bool operator==(const BytePair&) const = default;
};

} // namespace Tokenizers

template <>
struct std::hash<Tokenizers::BytePair> {
    std::size_t operator()(const Tokenizers::BytePair& pair) const noexcept
    {
        std::size_t seed = 0;
        Platform::hashCombine(seed, pair.a);
        Platform::hashCombine(seed, pair.b);
        return seed;
    }
};
