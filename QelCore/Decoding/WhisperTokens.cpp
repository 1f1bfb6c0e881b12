#include "QelCore/Decoding/WhisperTokens.h"

#include "Platform/ML/Whisper/WhisperLanguages.h"

#include <algorithm>
#include <stdexcept>

namespace QelCore {

using Platform::ML::whisperLanguageIndex;

SpecialTokens SpecialTokens::forVocabularySize(int nVocab)
{
    SpecialTokens tokens;
    if (nVocab == 51864) {
        tokens.endOfText = 50256;
        tokens.startOfTranscript = 50257;
        tokens.translate = 50357;
    } else {
        tokens.endOfText = 50257;
        tokens.startOfTranscript = 50258;
        tokens.firstLanguage = 50259;
        // 99 languages in 51865-token models, 100 from 51866 on.
        tokens.languageCount = nVocab >= 51866 ? 100 : 99;
        tokens.translate = tokens.firstLanguage + tokens.languageCount;
    }
    tokens.transcribe = tokens.translate + 1;
    tokens.startOfLm = tokens.translate + 2;
    tokens.startOfPrevious = tokens.translate + 3;
    tokens.noSpeech = tokens.translate + 4;
    tokens.noTimestamps = tokens.translate + 5;
    tokens.firstTimestamp = tokens.translate + 6;
    return tokens;
}

std::optional<int> languageSetting(std::string_view code, const SpecialTokens& special)
{
    if (code == "auto")
        return std::nullopt;
    const auto index = whisperLanguageIndex(code);
    if (!index)
        throw std::invalid_argument("Unknown language code '" + std::string(code) + "'");
    if (!special.multilingual())
        return std::nullopt;
    if (*index >= special.languageCount)
        throw std::invalid_argument("Language '" + std::string(code) + "' is not supported by this model");
    return index;
}

WhisperVocabulary::WhisperVocabulary(const std::vector<std::string>& pieces) : pieces_(pieces)
{
    for (size_t id = 0; id < pieces.size(); ++id) {
        if (pieces[id].empty())
            continue;
        ids_.emplace(pieces[id], static_cast<int>(id)); // keeps the lowest id
        longestPiece_ = std::max(longestPiece_, pieces[id].size());
    }
}

std::vector<int> WhisperVocabulary::tokenize(std::string_view text) const
{
    std::vector<int> tokens;
    size_t at = 0;
    while (at < text.size()) {
        size_t length = std::min(longestPiece_, text.size() - at);
        for (; length > 0; --length) {
            auto it = ids_.find(text.substr(at, length));
            if (it != ids_.end()) {
                tokens.push_back(it->second);
                break;
            }
        }
        at += std::max<size_t>(length, 1);
    }
    return tokens;
}

std::optional<int> WhisperVocabulary::find(std::string_view piece) const
{
    auto it = ids_.find(piece);
    if (it == ids_.end())
        return std::nullopt;
    return it->second;
}

size_t WhisperVocabulary::pieceSize(int token) const
{
    return token >= 0 && static_cast<size_t>(token) < pieces_.size() ? pieces_[static_cast<size_t>(token)].size() : 0;
}

void WhisperVocabulary::appendText(int token, std::string& text) const
{
    if (token >= 0 && static_cast<size_t>(token) < pieces_.size())
        text += pieces_[static_cast<size_t>(token)];
}

} // namespace QelCore
