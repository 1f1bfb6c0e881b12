#include "Tokenizers/Decoders/DecoderFactory.h"

#include "Tokenizers/Decoders/ByteFallbackDecoder.h"
#include "Tokenizers/Decoders/ByteLevelDecoder.h"
#include "Tokenizers/Decoders/DecoderSequence.h"
#include "Tokenizers/Decoders/FuseDecoder.h"
#include "Tokenizers/Decoders/MetaspaceDecoder.h"
#include "Tokenizers/Decoders/ReplaceDecoder.h"
#include "Tokenizers/Decoders/StripDecoder.h"
#include "Tokenizers/Decoders/WordPieceDecoder.h"
#include "Tokenizers/StageConfig.h"

namespace Tokenizers::DecoderFactory {
namespace {

using AddedTokens = const std::set<std::string>&;

std::unique_ptr<Decoder> makeByteLevel(const Hub::Config& config, AddedTokens addedTokens)
{
    return std::make_unique<ByteLevelDecoder>(config, addedTokens);
}

const StageTable<Decoder, AddedTokens> types = {
    {"Sequence", &construct<Decoder, DecoderSequence, AddedTokens>},
    {"WordPiece", &construct<Decoder, WordPieceDecoder, AddedTokens>},
    {"ByteLevel", &makeByteLevel},
    {"Replace", &construct<Decoder, ReplaceDecoder, AddedTokens>},
    {"ByteFallback", &construct<Decoder, ByteFallbackDecoder, AddedTokens>},
    {"Fuse", &construct<Decoder, FuseDecoder, AddedTokens>},
    {"Strip", &construct<Decoder, StripDecoder, AddedTokens>},
    {"Metaspace", &construct<Decoder, MetaspaceDecoder, AddedTokens>},
};

} // namespace

std::unique_ptr<Decoder> fromConfig(const Hub::Config& config, const std::set<std::string>& addedTokens)
{
    return buildStage<Decoder, AddedTokens>(config, types, "Decoder", addedTokens);
}

} // namespace Tokenizers::DecoderFactory
