#pragma once

#include "RadozodEri/Core/SpecialTokens.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace RadozodEri {

// Words of a token sequence, each with the tokens it was made of.
struct WordTokens {
    std::vector<std::string> words {};
    std::vector<std::vector<int>> wordTokens {};

    bool operator==(const WordTokens&) const = default;
};

// The engine's view of its text tokenizer. Shared by concurrent
// transcriptions, so every operation may be called from several threads.
class WhisperTokenizer {
public:
    virtual ~WhisperTokenizer() = default;

    virtual std::vector<int> encode(std::string_view text) const = 0;
    virtual std::string decode(std::span<const int> tokens) const = 0;
    virtual std::optional<int> convertTokenToId(std::string_view token) const = 0;
    virtual std::optional<std::string> convertIdToToken(int id) const = 0;
    virtual const SpecialTokens& specialTokens() const = 0;
    // The ids of the language tokens, as "<|en|>".
    virtual const std::unordered_set<int>& allLanguageTokens() const = 0;
    // Groups the tokens into words, for word timings.
    virtual WordTokens splitToWordTokens(std::span<const int> tokenIds) const = 0;
};

} // namespace RadozodEri
