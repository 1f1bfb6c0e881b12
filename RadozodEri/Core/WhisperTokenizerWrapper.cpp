#include "RadozodEri/Core/WhisperTokenizerWrapper.h"

#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/LanguageRecognizer.h"
#include "Platform/Text/UnicodeScalars.h"
#include "RadozodEri/Core/Constants.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace RadozodEri {
namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

// Languages written without spaces between words.
constexpr std::array<std::string_view, 6> unspacedLanguages = {"zh", "ja", "th", "lo", "my", "yue"};

// The id of `text`, or the id such a tokenizer usually gives it.
int idOr(const Tokenizers::Tokenizer& tokenizer, std::string_view text, int fallback)
{
    return tokenizer.convertTokenToId(text).value_or(fallback);
}

SpecialTokens lookUpSpecialTokens(const Tokenizers::Tokenizer& tokenizer)
{
    return SpecialTokens {
        .endToken = idOr(tokenizer, "<|endoftext|>", 50257),
        .englishToken = idOr(tokenizer, "<|en|>", 50259),
        .noSpeechToken = idOr(tokenizer, "<|nospeech|>", 50362),
        .noTimestampsToken = idOr(tokenizer, "<|notimestamps|>", 50363),
        .specialTokenBegin = idOr(tokenizer, "<|endoftext|>", 50257),
        .startOfPreviousToken = idOr(tokenizer, "<|startofprev|>", 50361),
        .startOfTranscriptToken = idOr(tokenizer, "<|startoftranscript|>", 50258),
        .timeTokenBegin = idOr(tokenizer, "<|0.00|>", 50364),
        .transcribeToken = idOr(tokenizer, "<|transcribe|>", 50359),
        .translateToken = idOr(tokenizer, "<|translate|>", 50358),
        .whitespaceToken = idOr(tokenizer, " ", 220),
    };
}

// Trimmed of spaces and tabs, the text is a single punctuation character.
bool isPunctuation(std::string_view text)
{
    const std::u32string scalars = Platform::unicodeScalars(Platform::trimming(text, Platform::CharacterSet::whitespaces));
    return scalars.size() == 1 && Platform::contains(Platform::CharacterSet::punctuation, scalars.front());
}

} // namespace

WhisperTokenizerWrapper::WhisperTokenizerWrapper(std::unique_ptr<const Tokenizers::Tokenizer> tokenizer,
                                                 std::optional<std::filesystem::path> tokenizerFolder)
    : tokenizer_(std::move(tokenizer)), tokenizerFolder_(std::move(tokenizerFolder)),
      specialTokens_(lookUpSpecialTokens(*tokenizer_))
{
    for (const std::string& code : Constants::languageCodes())
        if (std::optional<int> id = tokenizer_->convertTokenToId("<|" + code + "|>"))
            if (*id > specialTokens_.specialTokenBegin)
                allLanguageTokens_.insert(*id);
}

WordTokens WhisperTokenizerWrapper::splitToWordTokens(std::span<const int> tokenIds) const
{
    std::vector<int> textTokens;
    std::copy_if(tokenIds.begin(), tokenIds.end(), std::back_inserter(textTokens),
                 [&](int token) { return token < specialTokens_.specialTokenBegin; });
    const std::optional<std::string> language = Platform::dominantLanguage(tokenizer_->decode(textTokens));
    if (language && std::find(unspacedLanguages.begin(), unspacedLanguages.end(), *language) != unspacedLanguages.end())
        return splitTokensOnUnicode(tokenIds);
    return splitTokensOnSpaces(tokenIds);
}

WordTokens WhisperTokenizerWrapper::splitTokensOnUnicode(std::span<const int> tokens) const
{
    WordTokens split;
    if (tokens.empty())
        return split;
    const std::string fullText = tokenizer_->decode(tokens);
    std::vector<int> pending;
    for (int token : tokens) {
        pending.push_back(token);
        std::string partialText = tokenizer_->decode(pending);
        // A replacement character that the full text also holds at the same
        // place is genuine; any other stands for a character still cut off.
        const std::size_t replacement = partialText.find(replacementCharacter);
        const bool complete = replacement == std::string::npos
            || (replacement + replacementCharacter.size() <= fullText.size()
                && std::string_view(fullText).substr(replacement, replacementCharacter.size()) == replacementCharacter);
        if (complete) {
            split.words.push_back(std::move(partialText));
            split.wordTokens.push_back(std::move(pending));
            pending.clear();
        }
    }
    return split;
}

WordTokens WhisperTokenizerWrapper::splitTokensOnSpaces(std::span<const int> tokens) const
{
    const WordTokens subwords = splitTokensOnUnicode(tokens);
    WordTokens split;
    for (std::size_t index = 0; index < subwords.words.size(); ++index) {
        const std::string& subword = subwords.words[index];
        const std::vector<int>& subwordTokens = subwords.wordTokens[index];
        const bool special = subwordTokens.front() >= specialTokens_.specialTokenBegin;
        const bool withSpace = subword.starts_with(' ');
        if (special || withSpace || isPunctuation(subword) || split.words.empty()) {
            split.words.push_back(subword);
            split.wordTokens.push_back(subwordTokens);
        } else {
            split.words.back() += subword;
            split.wordTokens.back().insert(split.wordTokens.back().end(), subwordTokens.begin(), subwordTokens.end());
        }
    }
    return split;
}

} // namespace RadozodEri
