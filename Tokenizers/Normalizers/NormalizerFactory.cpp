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

template <class Member>
std::unique_ptr<Normalizer> make(const Hub::Config& config)
{
    return std::make_unique<Member>(config);
}

const StageTable<Normalizer> types = {
    {"Sequence", &make<NormalizerSequence>},
    {"Prepend", &make<PrependNormalizer>},
    {"Replace", &make<ReplaceNormalizer>},
    {"Lowercase", &make<LowercaseNormalizer>},
    {"NFD", &make<NFDNormalizer>},
    {"NFC", &make<NFCNormalizer>},
    {"NFKD", &make<NFKDNormalizer>},
    {"NFKC", &make<NFKCNormalizer>},
    {"Bert", &make<BertNormalizer>},
    {"BertNormalizer", &make<BertNormalizer>},
    {"Precompiled", &make<PrecompiledNormalizer>},
    {"StripAccents", &make<StripAccentsNormalizer>},
    {"Strip", &make<StripNormalizer>},
};

} // namespace

std::unique_ptr<Normalizer> fromConfig(const Hub::Config& config)
{
    return buildStage(config, types, "Normalizer");
}

} // namespace Tokenizers::NormalizerFactory
