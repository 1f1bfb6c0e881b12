#include "Tokenizers/Decoders/ByteLevelDecoder.h"

#include "Platform/Text/Normalization.h"
#include "Platform/Text/UnicodeScalars.h"
#include "Tokenizers/Models/BPE/ByteLevelAlphabet.h"

namespace Tokenizers {
namespace {

// A character outside the alphabet keeps its own UTF-8 bytes, so text that
// was never byte-level survives.
std::string bytesOf(std::string_view run)
{
    const std::unordered_map<char32_t, std::uint8_t>& alphabet = byteDecoder();
    std::string bytes;
    bytes.reserve(run.size());
    Platform::forEachCodePoint(run, [&](std::optional<char32_t> codePoint, std::string_view encoded) {
        const auto byte = codePoint ? alphabet.find(*codePoint) : alphabet.end();
        if (byte != alphabet.end())
            bytes += static_cast<char>(byte->second);
        else
            bytes += encoded;
    });
    return bytes;
}

} // namespace

ByteLevelDecoder::ByteLevelDecoder(const Hub::Config&, const std::set<std::string>& addedTokens)
{
    for (const std::string& token : addedTokens)
        addedTokens_.insert(Platform::nfc(token));
}

std::vector<std::string> ByteLevelDecoder::decode(const std::vector<std::string>& tokens) const
{
    std::vector<std::string> pieces;
    std::string run;
    bool inRun = false;
    auto closeRun = [&] {
        if (inRun)
            pieces.push_back(Platform::validUTF8(bytesOf(run)));
        run.clear();
        inRun = false;
    };
    for (const std::string& token : tokens) {
        if (!addedTokens_.empty() && addedTokens_.contains(Platform::nfc(token))) {
            closeRun();
            pieces.push_back(token);
        } else {
            run += token;
            inRun = true;
        }
    }
    closeRun();
    return pieces;
}

} // namespace Tokenizers
