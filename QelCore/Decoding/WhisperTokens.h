#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace QelCore {

// Ids of the special tokens, which follow the stored vocabulary; where they
// sit depends on the vocabulary size.
struct SpecialTokens {
    int endOfText = 0;
    int startOfTranscript = 0;
    int firstLanguage = 0;
    int languageCount = 0;
    int translate = 0;
    int transcribe = 0;
    int startOfLm = 0;
    int startOfPrevious = 0;
    int noSpeech = 0;
    int noTimestamps = 0;
    int firstTimestamp = 0;

    static SpecialTokens forVocabularySize(int nVocab);
    bool multilingual() const { return languageCount > 0; }
};

// The language setting for a model from a language code or "auto": nothing
// means detect it. English-only models ignore the code once it is known to be
// valid. Throws std::invalid_argument for an unknown code or one the model
// has no token for.
std::optional<int> languageSetting(std::string_view code, const SpecialTokens& special);

// The stored byte pieces of the ordinary tokens.
class WhisperVocabulary {
public:
    explicit WhisperVocabulary(const std::vector<std::string>& pieces);

    // Splits text into tokens by taking the longest matching piece at each
    // point (the lowest id among equal pieces). A byte no piece starts with is skipped.
    std::vector<int> tokenize(std::string_view text) const;

    // The id of a piece, if stored.
    std::optional<int> find(std::string_view piece) const;

    // The number of stored pieces.
    size_t size() const { return pieces_.size(); }

    // The number of bytes appendText adds for a token.
    size_t pieceSize(int token) const;

    // Appends the bytes of ordinary tokens; ids outside the stored pieces add nothing.
    void appendText(int token, std::string& text) const;

private:
    const std::vector<std::string>& pieces_;
    std::unordered_map<std::string_view, int> ids_;
    size_t longestPiece_ = 0;
};

} // namespace QelCore
