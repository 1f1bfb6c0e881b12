#pragma once

// A small engine tokenizer for decoded windows: a few words and marks as
// text tokens, the special tokens from 20 and timestamps from 25, so that
// ts(k) = 25 + k.

#include "RadozodEri/Core/WhisperTokenizerWrapper.h"
#include "RadozodEri/Doubles/ByteTokenizer.h"

namespace TestSupport {

enum WindowToken : int {
    hello,
    world,
    comma,
    spacedInvertedQuestion, // " ¿"
    que,                    // " Qué"
    pasa,
    question,
    bang,
    spacedParenthesis, // " ("
    fullStop,
    invertedQuestion, // "¿"
    pluralS,          // "s", continuing a word
    endOfText = 20,
    startOfTranscript,
    english,
    transcribe,
    noTimestamps,
    timestampBegin,
};

constexpr int ts(int step)
{
    return timestampBegin + step;
}

inline RadozodEri::WhisperTokenizerWrapper windowTokenizer()
{
    return RadozodEri::WhisperTokenizerWrapper(
        std::make_unique<ByteTokenizer>(std::vector<std::string>{" Hello", " world", ",", " \u00bf", " Qu\u00e9",
                                                                 " pasa", "?", "!", " (", ".", "\u00bf", "s"},
                                        std::map<std::string, int>{{"<|endoftext|>", endOfText},
                                                                   {"<|startoftranscript|>", startOfTranscript},
                                                                   {"<|en|>", english},
                                                                   {"<|transcribe|>", transcribe},
                                                                   {"<|notimestamps|>", noTimestamps},
                                                                   {"<|0.00|>", timestampBegin}}));
}

} // namespace TestSupport
