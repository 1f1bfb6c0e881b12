#include "tools/TestTokenizer/TestTokenizer.h"

#include "Platform/Files/AtomicWrite.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONDocument.h"
#include "Platform/ML/Whisper/WhisperLanguages.h"
#include "Platform/Text/Format.h"
#include "Platform/Text/UnicodeScalars.h"
#include "Tokenizers/Models/BPE/ByteLevelAlphabet.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace QelTools {
namespace {

constexpr int gpt2VocabularySize = 50257;
constexpr int gpt2MergeCount = 50000;
constexpr int endOfText = 50256;
// An English-only vocabulary has no token for the last language.
constexpr int englishLanguageCount = 99;
constexpr int timestampCount = 1501; // 0.00 to 30.00 seconds by 0.02

// The texts of the special tokens after end of text, in id order.
std::vector<std::string> specialTokensAfterEndOfText()
{
    std::vector<std::string> tokens = {"<|startoftranscript|>"};
    const auto languages = Platform::ML::whisperLanguages();
    for (int index = 0; index < englishLanguageCount; ++index)
        tokens.push_back("<|" + std::string(languages[static_cast<std::size_t>(index)].code) + "|>");
    for (const char* token :
         {"<|translate|>", "<|transcribe|>", "<|startoflm|>", "<|startofprev|>", "<|nospeech|>", "<|notimestamps|>"})
        tokens.emplace_back(token);
    for (int step = 0; step < timestampCount; ++step)
        tokens.push_back(Platform::formatted("<|%.2f|>", step * 0.02));
    return tokens;
}

std::vector<std::string> mergeLines(const std::string& text)
{
    std::vector<std::string> merges;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        if (!line.empty() && !line.starts_with("#version"))
            merges.push_back(line);
        start = end + 1;
    }
    return merges;
}

rapidjson::Value text(std::string_view value, rapidjson::Document::AllocatorType& allocator)
{
    return rapidjson::Value(value.data(), static_cast<rapidjson::SizeType>(value.size()), allocator);
}

rapidjson::Value byteLevel(rapidjson::Document::AllocatorType& allocator)
{
    rapidjson::Value stage(rapidjson::kObjectType);
    stage.AddMember("type", "ByteLevel", allocator);
    stage.AddMember("add_prefix_space", false, allocator);
    stage.AddMember("trim_offsets", true, allocator);
    stage.AddMember("use_regex", true, allocator);
    return stage;
}

} // namespace

void writeTestTokenizer(const std::filesystem::path& encoderJSON, const std::filesystem::path& vocabBPE,
                        const std::filesystem::path& folder)
{
    rapidjson::Document data(rapidjson::kObjectType);
    auto& allocator = data.GetAllocator();
    rapidjson::Document encoder = Platform::JSON::parseDocument(Platform::readFile(encoderJSON));
    if (!encoder.IsObject() || encoder.MemberCount() != gpt2VocabularySize || !encoder.HasMember("<|endoftext|>") ||
        !encoder["<|endoftext|>"].IsInt() || encoder["<|endoftext|>"].GetInt() != endOfText)
        throw std::runtime_error(encoderJSON.string() + " is not GPT-2's vocabulary of 50257 entries");
    const std::vector<std::string> merges = mergeLines(Platform::readFile(vocabBPE));
    if (merges.size() != gpt2MergeCount)
        throw std::runtime_error(vocabBPE.string() + " holds " + std::to_string(merges.size()) +
                                 " merges, GPT-2 has 50000");

    rapidjson::Value addedTokens(rapidjson::kArrayType);
    std::vector<std::string> specials = specialTokensAfterEndOfText();
    specials.insert(specials.begin(), "<|endoftext|>");
    for (std::size_t index = 0; index < specials.size(); ++index) {
        rapidjson::Value token(rapidjson::kObjectType);
        token.AddMember("id", endOfText + static_cast<int>(index), allocator);
        token.AddMember("content", text(specials[index], allocator), allocator);
        token.AddMember("special", true, allocator);
        addedTokens.PushBack(token, allocator);
    }
    rapidjson::Value mergeList(rapidjson::kArrayType);
    for (const std::string& merge : merges)
        mergeList.PushBack(text(merge, allocator), allocator);
    rapidjson::Value model(rapidjson::kObjectType);
    model.AddMember("type", "BPE", allocator);
    model.AddMember("vocab", rapidjson::Value(encoder, allocator), allocator);
    model.AddMember("merges", mergeList, allocator);

    data.AddMember("version", "1.0", allocator);
    data.AddMember("added_tokens", addedTokens, allocator);
    data.AddMember("pre_tokenizer", byteLevel(allocator), allocator);
    data.AddMember("post_processor", byteLevel(allocator), allocator);
    data.AddMember("decoder", byteLevel(allocator), allocator);
    data.AddMember("model", model, allocator);

    std::filesystem::create_directories(folder);
    Platform::writeFileAtomically(folder / "tokenizer.json", Platform::JSON::serialize(data));
    Platform::writeFileAtomically(folder / "tokenizer_config.json",
                                  R"({"tokenizer_class": "WhisperTokenizer", "clean_up_tokenization_spaces": false})");
}

std::vector<std::string> ordinaryPieces(const std::filesystem::path& folder)
{
    const auto file = folder / "tokenizer.json";
    const rapidjson::Document data = Platform::JSON::parseDocument(Platform::readFile(file));
    if (!data.IsObject() || !data.HasMember("model") || !data["model"].IsObject() ||
        !data["model"].HasMember("vocab") || !data["model"]["vocab"].IsObject())
        throw std::runtime_error(file.string() + " holds no vocabulary");
    std::vector<std::string> pieces(endOfText);
    std::vector<bool> found(endOfText);
    const auto& decoder = Tokenizers::byteDecoder();
    for (const auto& entry : data["model"]["vocab"].GetObject()) {
        const int id = entry.value.GetInt();
        if (id < 0 || id >= endOfText)
            continue;
        for (const char32_t character : Platform::unicodeScalars(entry.name.GetString())) {
            const auto byte = decoder.find(character);
            if (byte == decoder.end())
                throw std::runtime_error(file.string() + ": piece " + std::to_string(id) +
                                         " is not in the byte-level alphabet");
            pieces[static_cast<std::size_t>(id)].push_back(static_cast<char>(byte->second));
        }
        found[static_cast<std::size_t>(id)] = true;
    }
    if (std::find(found.begin(), found.end(), false) != found.end())
        throw std::runtime_error(file.string() + " lacks pieces below end of text");
    return pieces;
}

std::filesystem::path tokenizerFilesFolder()
{
    if (const char* folder = std::getenv("QEL_TOKENIZER_FILES"))
        return folder;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"))
        return std::filesystem::path(cache) / "qel/tokenizer-files";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/") / ".cache/qel/tokenizer-files";
}

bool writeFetchedTestTokenizer(const std::filesystem::path& folder)
{
    const std::filesystem::path files = tokenizerFilesFolder() / "gpt2";
    std::error_code error;
    if (!std::filesystem::exists(files / "encoder.json", error) || !std::filesystem::exists(files / "vocab.bpe", error))
        return false;
    writeTestTokenizer(files / "encoder.json", files / "vocab.bpe", folder);
    return true;
}

} // namespace QelTools
