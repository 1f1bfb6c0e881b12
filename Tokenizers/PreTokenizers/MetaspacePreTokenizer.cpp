#include "Tokenizers/PreTokenizers/MetaspacePreTokenizer.h"

#include "Platform/EnumNames.h"
#include "Platform/Text/CanonicalSearch.h"
#include "Tokenizers/ConfigurationError.h"
#include "Tokenizers/Splitting/StringSplitting.h"

namespace Tokenizers {
namespace {

using Scheme = MetaspacePreTokenizer::PrependScheme;

constexpr Platform::EnumNames schemeNames{std::array{
    std::pair{Scheme::first, std::string_view("first")},
    std::pair{Scheme::never, std::string_view("never")},
    std::pair{Scheme::always, std::string_view("always")},
}};

Scheme prependScheme(const Hub::Config& config)
{
    if (const std::optional<std::string> name = config.member("prependScheme").string())
        return schemeNames.value(*name).value_or(Scheme::always);
    return config.member("addPrefixSpace").boolean(true) ? Scheme::always : Scheme::never;
}

Platform::Regex markerPattern(const std::string& replacement)
{
    try {
        return Platform::Regex(replacement);
    } catch (const Platform::RegexError&) {
        throw ConfigurationError("Cannot build regexp from " + replacement, {"replacement"});
    }
}

} // namespace

MetaspacePreTokenizer::MetaspacePreTokenizer(const Hub::Config& config)
    : replacement_(config.member("replacement").string(" ")),
      stringReplacement_(config.member("strRep").string(replacement_)), prependScheme_(prependScheme(config)),
      marker_(markerPattern(replacement_))
{
}

std::vector<std::string> MetaspacePreTokenizer::preTokenize(std::string_view text,
                                                            const PreTokenizerOptions& options) const
{
    std::string marked = Platform::replacingCanonicalMatches(text, " ", stringReplacement_);
    const bool prepend = prependScheme_ == Scheme::always ||
                         (prependScheme_ == Scheme::first && options.contains(PreTokenizerOption::firstSection));
    if (prepend && !marked.starts_with(replacement_))
        marked.insert(0, stringReplacement_);
    const std::vector<std::string_view> pieces = split(marked, marker_, SplitDelimiterBehavior::mergedWithNext);
    return {pieces.begin(), pieces.end()};
}

} // namespace Tokenizers
