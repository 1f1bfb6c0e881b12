#pragma once

// Tokenizers built from published tokenizer files that the test set-up
// fetches (scripts/fetch-tokenizer-files): llama3, qwen3 and gemma3.

#include "Hub/Config/YYJSONParser.h"
#include "Platform/Files/ReadFile.h"
#include "Tokenizers/PreTrainedTokenizer.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace TestSupport {

// Built once per name, as the largest file takes a while; none when the
// files are absent.
inline const Tokenizers::PreTrainedTokenizer* publishedTokenizer(const std::string& name)
{
    static std::map<std::string, std::unique_ptr<Tokenizers::PreTrainedTokenizer>> built;
    const auto found = built.find(name);
    if (found != built.end())
        return found->second.get();
    const std::filesystem::path folder = QelTools::tokenizerFilesFolder() / name;
    std::unique_ptr<Tokenizers::PreTrainedTokenizer>& tokenizer = built[name];
    if (std::filesystem::exists(folder / "tokenizer.json") && std::filesystem::exists(folder / "tokenizer_config.json"))
        tokenizer = std::make_unique<Tokenizers::PreTrainedTokenizer>(
            Hub::YYJSONParser::parseToConfig(Platform::readFile(folder / "tokenizer_config.json")),
            Hub::YYJSONParser::parseToConfig(Platform::readFile(folder / "tokenizer.json")), true);
    return tokenizer.get();
}

} // namespace TestSupport
