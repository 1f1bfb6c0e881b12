#include "Tokenizers/Decoders/StripDecoder.h"

#include "Platform/Text/Graphemes.h"
#include "Platform/Text/Normalization.h"
#include "Tokenizers/ConfigurationError.h"

namespace Tokenizers {
namespace {

ConfigurationError unparsable(const std::string& key)
{
    return ConfigurationError("Incorrect StripDecoder configuration: can't parse `" + key + "`.", {key});
}

std::int64_t requiredCount(const Hub::Config& config, const std::string& key)
{
    if (const std::optional<std::int64_t> count = config.member(key).integer())
        return *count;
    throw unparsable(key);
}

std::string requiredContent(const Hub::Config& config)
{
    if (std::optional<std::string> content = config.member("content").string())
        return std::move(*content);
    throw unparsable("content");
}

// Characters compare up to canonical equivalence.
bool sameCharacters(std::string_view text, const std::string& content)
{
    return text == content || Platform::nfc(text) == Platform::nfc(content);
}

} // namespace

StripDecoder::StripDecoder(const Hub::Config& config)
    : content_(requiredContent(config)), start_(requiredCount(config, "start")), stop_(requiredCount(config, "stop"))
{
}

std::vector<std::string> StripDecoder::decode(const std::vector<std::string>& tokens) const
{
    const std::size_t length = Platform::graphemeCount(content_);
    std::vector<std::string> stripped;
    stripped.reserve(tokens.size());
    for (const std::string& token : tokens) {
        std::string_view rest = token;
        for (std::int64_t count = 0; length > 0 && count < start_; ++count) {
            const std::string_view front = Platform::graphemePrefix(rest, length);
            if (!sameCharacters(front, content_))
                break;
            rest.remove_prefix(front.size());
        }
        for (std::int64_t count = 0; length > 0 && count < stop_; ++count) {
            const std::string_view kept = Platform::dropLastGraphemes(rest, length);
            if (!sameCharacters(rest.substr(kept.size()), content_))
                break;
            rest = kept;
        }
        stripped.emplace_back(rest);
    }
    return stripped;
}

} // namespace Tokenizers
