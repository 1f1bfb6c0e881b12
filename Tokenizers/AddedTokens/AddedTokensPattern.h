#pragma once

// The cut of a text at its added tokens (texts the model never splits). It
// behaves as the alternation of the contents taken literally, longest first
// by characters (grapheme clusters) and in file order among equals, each
// preceded by optional white space when the token strips on its left and
// followed by it when it strips on its right: the leftmost match wins, and at
// one position the first alternative that matches. A prefix tree of the
// contents runs it, so a text costs the same with one added token or
// thousands.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Tokenizers {

class AddedTokensPattern {
public:
    struct Record {
        std::string content;
        bool prefix = false; // absorbs white space on its left
        bool suffix = false; // absorbs white space on its right
    };

    // Records with empty contents take no part: they would match everywhere.
    explicit AddedTokensPattern(std::vector<Record> records);

    bool isEmpty() const { return nodes_.size() == 1; }

    // The text between matches (never empty) and each match's content without
    // the white space it absorbed, in text order. A text without a match is
    // one piece, the empty text none.
    std::vector<std::string_view> split(std::string_view text) const;

private:
    // The best-ranked record that ends at a node, of those without and with a
    // prefix.
    struct Ending {
        std::size_t rank = 0;
        bool suffix = false;
    };
    struct Node {
        std::optional<Ending> plain;
        std::optional<Ending> prefixed;
    };
    struct Match {
        std::size_t rank = 0;
        std::size_t contentBegin = 0;
        std::size_t contentEnd = 0;
        bool suffix = false;
    };

    // The starts of a run of white space and the character after it, with
    // the best prefixed content that may start at each.
    struct PrefixedRun {
        std::vector<std::size_t> starts;
        std::vector<std::optional<Match>> best;
    };

    std::optional<std::uint32_t> child(std::uint32_t node, char byte) const;
    // The best prefixed content whose white space starts at `offset`, a
    // white-space character.
    std::optional<Match> prefixedFromRun(std::string_view text, std::size_t offset, PrefixedRun& run) const;
    // The best content of each kind that starts at `offset`.
    void contentsAt(std::string_view text, std::size_t offset, std::optional<Match>& plain,
                    std::optional<Match>& prefixed) const;

    std::vector<Node> nodes_;
    std::unordered_map<std::uint64_t, std::uint32_t> edges_;
    bool hasPrefixed_ = false;
};

} // namespace Tokenizers
