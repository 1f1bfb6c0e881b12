#pragma once

// Cuts text into contractions, runs of letters, of digits and of
// other symbols (each with one leading space) and white space, and writes
// each piece's UTF-8 bytes in the byte-level alphabet. "useRegex" false keeps
// the text whole; "addPrefixSpace" puts a space in front of each piece that
// lacks one.

#include "Hub/Config/Config.h"
#include "Platform/Text/Regex.h"
#include "Tokenizers/PreTokenizers/PreTokenizer.h"

namespace Tokenizers {

class ByteLevelPreTokenizer : public PreTokenizer {
public:
    static constexpr std::string_view RE =
        R"('s|'t|'re|'ve|'m|'ll|'d| ?\p{L}+| ?\p{N}+| ?[^\s\p{L}\p{N}]+|\s+(?!\S)|\s+)";

    explicit ByteLevelPreTokenizer(const Hub::Config& config);
    using PreTokenizer::preTokenize;
    std::vector<std::string> preTokenize(std::string_view text, const PreTokenizerOptions& options) const override;

private:
    bool addPrefixSpace_;
    bool useRegex_;
    Platform::Regex re_;
};

} // namespace Tokenizers
