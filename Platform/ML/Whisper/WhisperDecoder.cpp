#include "Platform/ML/Whisper/WhisperDecoder.h"

#include "Platform/ML/Ops/Kernels.h"

#include <algorithm>
#include <stdexcept>

namespace Platform::ML {

KeyValueCacheView KeyValueCacheView::positionMajor(const float* keys, const float* values, int capacity, int width,
                                                   std::optional<int> positions)
{
    return {keys, values, static_cast<long>(capacity) * width, width, 1, positions};
}

KeyValueCacheView KeyValueCacheView::channelMajor(const float* keys, const float* values, int capacity, int width,
                                                  std::optional<int> positions)
{
    // A single position is also a position-major row; said so, no stride is
    // mistaken for the other.
    if (capacity == 1)
        return positionMajor(keys, values, capacity, width, positions);
    return {keys, values, static_cast<long>(capacity) * width, 1, capacity, positions};
}

KeyValueSpan KeyValueCacheView::layer(long index, int count) const
{
    return {keys + index * layerStride, values + index * layerStride, positionStride, channelStride, count};
}

WhisperDecoder::WhisperDecoder(const WhisperModel& model)
    : model_(model),
      width_(model.hparams.nTextState),
      attention_(width_, model.hparams.nTextHead, std::max(model.hparams.nAudioCtx, model.hparams.nTextCtx))
{
    reserveRows(1);
}

void WhisperDecoder::reserveRows(int rows)
{
    if (rows <= rowCapacity_)
        return;
    const size_t size = static_cast<size_t>(rows) * width_;
    for (auto* buffer : {&x_, &normed_, &query_, &attended_, &projected_})
        buffer->resize(size);
    hidden_.resize(4 * size);
    rowCapacity_ = rows;
}

void WhisperDecoder::computeCrossAttention(const float* encoderOutput, CrossAttentionCache& cache) const
{
    const int positions = model_.hparams.nAudioCtx;
    const size_t perLayer = static_cast<size_t>(positions) * width_;
    const size_t total = perLayer * model_.decoder.blocks.size();
    cache.keys.resize(total);
    cache.values.resize(total);
    for (size_t l = 0; l < model_.decoder.blocks.size(); ++l) {
        const auto& attention = model_.decoder.blocks[l].crossAttn;
        applyLinear(attention.key, encoderOutput, positions, cache.keys.data() + l * perLayer);
        applyLinear(attention.value, encoderOutput, positions, cache.values.data() + l * perLayer);
    }
}

void WhisperDecoder::step(int token, int position, const KeyValueCacheView& cache,
                          const CrossAttentionCache& cross, float* newKeys, float* newValues, float* logits)
{
    decode({&token, 1}, position, cache, cross, newKeys, newValues, logits);
}

void WhisperDecoder::decode(std::span<const int> tokens, int firstPosition, const KeyValueCacheView& cache,
                            const CrossAttentionCache& cross, float* newKeys, float* newValues, float* logits,
                            float* crossWeights)
{
    const auto& hp = model_.hparams;
    const int rows = static_cast<int>(tokens.size());
    const int earlier = cache.positions.value_or(firstPosition);
    if (rows == 0 || firstPosition < 0 || firstPosition > hp.nTextCtx - rows || earlier < 0
        || earlier > hp.nTextCtx - rows)
        throw std::out_of_range("Decoder step outside the model's text context");
    if (std::any_of(tokens.begin(), tokens.end(), [&](int token) { return token < 0 || token >= hp.nVocab; }))
        throw std::out_of_range("Decoder step outside the model's vocabulary");
    reserveRows(rows);
    const auto& decoder = model_.decoder;
    const long size = static_cast<long>(rows) * width_;
    float* x = x_.data();

    for (int i = 0; i < rows; ++i)
        decoder.tokenEmbedding.widenRows(tokens[static_cast<size_t>(i)], 1, x + static_cast<long>(i) * width_);
    addInPlace(x, decoder.positionalEmbedding + static_cast<long>(firstPosition) * width_, size);

    const long crossPerLayer = static_cast<long>(hp.nAudioCtx) * width_;
    for (size_t l = 0; l < decoder.blocks.size(); ++l) {
        const auto& block = decoder.blocks[l];
        float* ownKeys = newKeys + l * size;
        float* ownValues = newValues + l * size;

        // Causal self-attention over the cache and the batch.
        layerNorm(block.attnLn, x, rows, width_, normed_.data());
        applyLinear(block.attn.query, normed_.data(), rows, query_.data());
        applyLinear(block.attn.key, normed_.data(), rows, ownKeys);
        applyLinear(block.attn.value, normed_.data(), rows, ownValues);
        const KeyValueSpan own{ownKeys, ownValues, width_, 1, rows};
        attention_.compute(query_.data(), rows, cache.layer(static_cast<long>(l), earlier), &own, attended_.data());
        applyLinear(block.attn.out, attended_.data(), rows, projected_.data());
        addInPlace(x, projected_.data(), size);

        // Cross-attention over the window's precomputed keys and values.
        layerNorm(block.crossAttnLn, x, rows, width_, normed_.data());
        applyLinear(block.crossAttn.query, normed_.data(), rows, query_.data());
        const KeyValueSpan audio{cross.keys.data() + l * crossPerLayer, cross.values.data() + l * crossPerLayer,
                                 width_, 1, hp.nAudioCtx};
        attention_.compute(query_.data(), rows, audio, nullptr, attended_.data(),
                           crossWeights ? crossWeights + l * hp.nTextHead * hp.nAudioCtx : nullptr);
        applyLinear(block.crossAttn.out, attended_.data(), rows, projected_.data());
        addInPlace(x, projected_.data(), size);

        layerNorm(block.mlpLn, x, rows, width_, normed_.data());
        applyLinear(block.mlp0, normed_.data(), rows, hidden_.data());
        gelu(hidden_.data(), 4 * size);
        applyLinear(block.mlp2, hidden_.data(), rows, projected_.data());
        addInPlace(x, projected_.data(), size);
    }

    if (!logits)
        return;
    layerNorm(decoder.ln, x + size - width_, 1, width_, normed_.data());
    applyLinear(Linear{decoder.tokenEmbedding, nullptr}, normed_.data(), 1, logits);
}

} // namespace Platform::ML
