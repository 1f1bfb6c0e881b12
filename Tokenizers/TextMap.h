#pragma once

// A hash map keyed by text that a view of text looks up without a copy.

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Tokenizers {

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};

template <class Value>
using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

} // namespace Tokenizers
