#pragma once

// Writes spaces as a word marker ("replacement", U+2581 in most files; the
// text put in for each space is "strRep", the marker when absent) and cuts
// the text before each marker. The prepend scheme says when the text gets a
// marker in front: "always", "never", or "first" (only the first section of
// the input). Without a scheme, "addPrefixSpace" false means never and
// anything else always.

#include "Hub/Config/Config.h"
#include "Platform/Text/Regex.h"
#include "Tokenizers/PreTokenizers/PreTokenizer.h"

namespace Tokenizers {

class MetaspacePreTokenizer : public PreTokenizer {
public:
    enum class PrependScheme { first, never, always };

    // The marker is also the pattern of the cut; one that does not compile
    // as an expression is the fault "Cannot build regexp from <marker>".
    explicit MetaspacePreTokenizer(const Hub::Config& config);
    using PreTokenizer::preTokenize;
    std::vector<std::string> preTokenize(std::string_view text, const PreTokenizerOptions& options) const override;

private:
    std::string replacement_;
    std::string stringReplacement_;
    PrependScheme prependScheme_;
    Platform::Regex marker_;
};

} // namespace Tokenizers
