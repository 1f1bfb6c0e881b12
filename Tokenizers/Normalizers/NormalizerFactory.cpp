#include "Tokenizers/Normalizers/NormalizerFactory.h"

#include "Tokenizers/Normalizers/BertNormalizer.h"
#include "Tokenizers/Normalizers/LowercaseNormalizer.h"
#include "Tokenizers/Normalizers/NormalizerSequence.h"
#include "Tokenizers/Normalizers/PrecompiledNormalizer.h"
#include "Tokenizers/Normalizers/PrependNormalizer.h"
#include "Tokenizers/Normalizers/ReplaceNormalizer.h"
#include "Tokenizers/Normalizers/StripNormalizer.h"
#include "Tokenizers/Normalizers/UnicodeFormNormalizers.h"
#include "Tokenizers/StageConfig.h"

namespace Tokenizers::NormalizerFactory {
namespace {

const StageTable<Normalizer> types = {
    {"Sequence", &construct<Normalizer, NormalizerSequence>},
    {"Prepend", &construct<Normalizer, PrependNormalizer>},
    {"Replace", &construct<Normalizer, ReplaceNormalizer>},
    {"Lowercase", &construct<Normalizer, LowercaseNormalizer>},
    {"NFD", &construct<Normalizer, NFDNormalizer>},
    {"NFC", &construct<Normalizer, NFCNormalizer>},
    {"NFKD", &construct<Normalizer, NFKDNormalizer>},
    {"NFKC", &construct<Normalizer, NFKCNormalizer>},
    {"Bert", &construct<Normalizer, BertNormalizer>},
    {"BertNormalizer", &construct<Normalizer, BertNormalizer>},
    {"Precompiled", &construct<Normalizer, PrecompiledNormalizer>},
    {"StripAccents", &construct<Normalizer, StripAccentsNormalizer>},
    {"Strip", &construct<Normalizer, StripNormalizer>},
};

} // namespace

std::unique_ptr<Normalizer> fromConfig(const Hub::Config& config)
{
    return buildStage(config, types, "Normalizer");
}

} // namespace Tokenizers::NormalizerFactory
