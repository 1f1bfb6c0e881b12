#include "RadozodEri/Core/WindowResult.h"

#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RadozodEri/Utilities/Extensions.h"
#include "RadozodEri/Utilities/TextUtilities.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Extensions/FoundationExtensions.h"
#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>
#include <iterator>
#include <numeric>

namespace RadozodEri {

using Logging = RuntimeCore::Logging;

DecodingResult windowResult(const SamplingResult& final, const WhisperTokenizer& tokenizer,
                            const TokenSampling& sampler, const DecodingOptions& options,
                            bool isFirstTokenLogProbTooLow)
{
    const SpecialTokens& special = tokenizer.specialTokens();
    DecodingResult result;
    const auto start = std::ranges::find(final.tokens, special.startOfTranscriptToken);
    const std::size_t first = start == final.tokens.end() ? 0 : static_cast<std::size_t>(start - final.tokens.begin());
    const auto end =
        std::find(final.tokens.begin() + static_cast<std::ptrdiff_t>(first), final.tokens.end(), special.endToken);
    if (end == final.tokens.end())
        throw WhisperError::decodingFailed("The window's tokens have no end of text");
    const auto last = static_cast<std::size_t>(end - final.tokens.begin());
    if (final.logProbs.size() <= last)
        throw WhisperError::decodingFailed("The window has fewer log probabilities than tokens");
    result.tokens.assign(final.tokens.begin() + static_cast<std::ptrdiff_t>(first),
                         final.tokens.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    const std::vector<float> segmentLogProbs(final.logProbs.begin() + static_cast<std::ptrdiff_t>(first),
                                             final.logProbs.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    result.avgLogProb = std::accumulate(segmentLogProbs.begin(), segmentLogProbs.end(), 0.0f) /
                        static_cast<float>(segmentLogProbs.size());
    for (std::size_t i = 0; i < result.tokens.size(); ++i)
        result.tokenLogProbs.push_back({{result.tokens[i], segmentLogProbs[i]}});
    std::vector<int> textTokens;
    std::ranges::copy_if(result.tokens, std::back_inserter(textTokens),
                         [&](int token) { return token < special.specialTokenBegin; });
    result.compressionRatio = TextUtilities::compressionRatio(textTokens);

    result.temperature = options.temperature;
    if (const auto* greedy = dynamic_cast<const GreedyTokenSampler*>(&sampler))
        result.temperature = RuntimeCore::rounded(static_cast<float>(greedy->temperature), 3);

    if (options.language) {
        result.language = *options.language;
        result.languageProbs = {{result.language, 0.0f}};
    } else {
        const auto& languageTokens = tokenizer.allLanguageTokens();
        const auto found =
            std::ranges::find_if(result.tokens, [&](int token) { return languageTokens.contains(token); });
        if (found != result.tokens.end()) {
            const int token[]{*found};
            result.language = std::string(trimmingSpecialTokenCharacters(tokenizer.decode(token)));
            result.languageProbs = {
                {result.language, segmentLogProbs[static_cast<std::size_t>(found - result.tokens.begin())]}};
        } else {
            result.language = std::string(Constants::defaultLanguageCode);
            result.languageProbs = {{result.language, 0.0f}};
        }
    }

    result.text = tokenizer.decode(result.tokens);
    Logging::debug("Completed window: " + result.text);
    result.noSpeechProb = 0;
    result.fallback = DecodingFallback::evaluate(options, isFirstTokenLogProbTooLow, result.noSpeechProb,
                                                 result.compressionRatio, result.avgLogProb);
    return result;
}

} // namespace RadozodEri
