#include "bench/DecoderRun.h"

#include "bench/BenchModels.h"

#include "Platform/ML/Tensor/HalfFloat.h"
#include "Platform/ML/Whisper/WhisperEncoder.h"
#include "QelCore/Decoding/WhisperTokens.h"

#include <algorithm>
#include <cstddef>
#include <span>

namespace QelBench {

using namespace Platform::ML;

DecoderRun::DecoderRun(const WhisperModel& model) : model_(model), decoder_(model)
{
    const auto& hp = model.hparams;
    const auto mel = benchMel(model);
    audio_.resize(static_cast<size_t>(hp.nAudioCtx) * hp.nAudioState);
    WhisperEncoder(model).encode(mel.data(), audio_.data());
    newWindow();
    const size_t cache = static_cast<size_t>(hp.nTextLayer) * hp.nTextCtx * hp.nTextState;
    keys_.resize(cache);
    values_.resize(cache);
    newKeys_.resize(cache);
    newValues_.resize(cache);
    logits_.resize(static_cast<size_t>(hp.nVocab));

    const auto special = QelCore::SpecialTokens::forVocabularySize(hp.nVocab);
    tokens_ = {special.startOfTranscript, special.firstLanguage, special.transcribe, special.noTimestamps};
    for (int i = 0; tokens_.size() < kWindowTokens; ++i)
        tokens_.push_back(1000 + 37 * i);
}

void DecoderRun::newWindow()
{
    decoder_.computeCrossAttention(audio_.data(), cross_);
}

void DecoderRun::decode(int first, int count, bool logits)
{
    const auto& hp = model_.hparams;
    const auto view = KeyValueCacheView::positionMajor(keys_.data(), values_.data(), hp.nTextCtx, hp.nTextState);
    decoder_.decode(std::span(tokens_).subspan(static_cast<size_t>(first), static_cast<size_t>(count)), first, view,
                    cross_, newKeys_.data(), newValues_.data(), logits ? logits_.data() : nullptr);
    const size_t layerSize = static_cast<size_t>(count) * hp.nTextState;
    for (int l = 0; l < hp.nTextLayer; ++l) {
        const size_t to = (static_cast<size_t>(l) * hp.nTextCtx + first) * hp.nTextState;
        narrowToHalfFloats(newKeys_.data() + l * layerSize, layerSize, reinterpret_cast<std::byte*>(keys_.data() + to));
        narrowToHalfFloats(newValues_.data() + l * layerSize, layerSize,
                           reinterpret_cast<std::byte*>(values_.data() + to));
    }
    benchmark::DoNotOptimize(std::max_element(logits_.begin(), logits_.end()));
}

} // namespace QelBench
