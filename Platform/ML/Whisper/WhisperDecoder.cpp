#include "Platform/ML/Whisper/WhisperDecoder.h"

#include "Platform/ML/Ops/Kernels.h"
#include "Platform/ML/Tensor/HalfFloat.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace Platform::ML {

namespace {

// Audio positions whose cross-attention keys go through one product before
// they are rounded: enough rows to keep BLAS efficient, few enough that the
// float block stays small.
constexpr int kCrossBlockPositions = 128;

KeyValueCacheView laidOut(const void* keys, const void* values, int capacity, int width, bool halves, bool channelMajor,
                          std::optional<int> positions)
{
    // A single position is also a position-major row; said so, no stride is
    // mistaken for the other.
    if (channelMajor && capacity != 1)
        return {keys, values, static_cast<long>(capacity) * width, 1, capacity, halves, positions};
    return {keys, values, static_cast<long>(capacity) * width, width, 1, halves, positions};
}

} // namespace

KeyValueCacheView KeyValueCacheView::positionMajor(const float* keys, const float* values, int capacity, int width,
                                                   std::optional<int> positions)
{
    return laidOut(keys, values, capacity, width, false, false, positions);
}

KeyValueCacheView KeyValueCacheView::positionMajor(const Float16* keys, const Float16* values, int capacity, int width,
                                                   std::optional<int> positions)
{
    return laidOut(keys, values, capacity, width, true, false, positions);
}

KeyValueCacheView KeyValueCacheView::channelMajor(const float* keys, const float* values, int capacity, int width,
                                                  std::optional<int> positions)
{
    return laidOut(keys, values, capacity, width, false, true, positions);
}

KeyValueCacheView KeyValueCacheView::channelMajor(const Float16* keys, const Float16* values, int capacity, int width,
                                                  std::optional<int> positions)
{
    return laidOut(keys, values, capacity, width, true, true, positions);
}

KeyValueSpan KeyValueCacheView::layer(long index, int count) const
{
    const long offset = index * layerStride * (halves ? 2 : 4);
    return {static_cast<const std::byte*>(keys) + offset,
            static_cast<const std::byte*>(values) + offset,
            positionStride,
            channelStride,
            count,
            halves};
}

WhisperDecoder::WhisperDecoder(const WhisperModel& model)
    : model_(model), width_(model.hparams.nTextState),
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

std::size_t WhisperDecoder::crossAttentionSize() const
{
    return static_cast<size_t>(model_.hparams.nAudioCtx) * width_ * model_.decoder.blocks.size();
}

void WhisperDecoder::computeCrossAttention(const float* encoderOutput, CrossAttentionCache& cache)
{
    cache.keys.resize(crossAttentionSize());
    cache.values.resize(crossAttentionSize());
    computeCrossAttention(encoderOutput, cache.keys.data(), cache.values.data());
}

void WhisperDecoder::computeCrossAttention(const float* encoderOutput, Float16* keys, Float16* values)
{
    const int positions = model_.hparams.nAudioCtx;
    const size_t perLayer = static_cast<size_t>(positions) * width_;
    crossBlock_.resize(static_cast<size_t>(std::min(positions, kCrossBlockPositions)) * width_);
    for (size_t l = 0; l < model_.decoder.blocks.size(); ++l) {
        const auto& attention = model_.decoder.blocks[l].crossAttn;
        for (int first = 0; first < positions; first += kCrossBlockPositions) {
            const int rows = std::min(kCrossBlockPositions, positions - first);
            const long at = static_cast<long>(l * perLayer) + static_cast<long>(first) * width_;
            const float* in = encoderOutput + static_cast<long>(first) * model_.hparams.nAudioState;
            const auto count = static_cast<size_t>(rows) * width_;
            applyLinear(attention.key, in, rows, crossBlock_.data());
            narrowToHalfFloats(crossBlock_.data(), count, reinterpret_cast<std::byte*>(keys + at));
            applyLinear(attention.value, in, rows, crossBlock_.data());
            narrowToHalfFloats(crossBlock_.data(), count, reinterpret_cast<std::byte*>(values + at));
        }
    }
}

void WhisperDecoder::step(int token, int position, const KeyValueCacheView& cache, const CrossAttentionCache& cross,
                          float* newKeys, float* newValues, float* logits)
{
    decode({&token, 1}, position, cache, cross, newKeys, newValues, logits);
}

void WhisperDecoder::decode(std::span<const int> tokens, int firstPosition, const KeyValueCacheView& cache,
                            const CrossAttentionCache& cross, float* newKeys, float* newValues, float* logits,
                            float* crossWeights)
{
    decode(tokens, firstPosition, cache, CrossAttentionSpan{cross.keys.data(), cross.values.data()}, newKeys, newValues,
           logits, crossWeights);
}

void WhisperDecoder::decode(std::span<const int> tokens, int firstPosition, const KeyValueCacheView& cache,
                            const CrossAttentionSpan& cross, float* newKeys, float* newValues, float* logits,
                            float* crossWeights)
{
    const auto& hp = model_.hparams;
    const int rows = static_cast<int>(tokens.size());
    const int earlier = cache.positions.value_or(firstPosition);
    if (rows == 0 || firstPosition < 0 || firstPosition > hp.nTextCtx - rows || earlier < 0 ||
        earlier > hp.nTextCtx - rows)
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
        const LinearOutput queryKeyValue[] = {
            {block.attn.query, query_.data()}, {block.attn.key, ownKeys}, {block.attn.value, ownValues}};
        applyLinears(queryKeyValue, normed_.data(), rows);
        const KeyValueSpan own{ownKeys, ownValues, width_, 1, rows};
        attention_.compute(query_.data(), rows, cache.layer(static_cast<long>(l), earlier), &own, attended_.data());
        applyLinear(block.attn.out, attended_.data(), rows, projected_.data());
        addInPlace(x, projected_.data(), size);

        // Cross-attention over the window's precomputed keys and values.
        layerNorm(block.crossAttnLn, x, rows, width_, normed_.data());
        applyLinear(block.crossAttn.query, normed_.data(), rows, query_.data());
        const KeyValueSpan audio{
            cross.keys + l * crossPerLayer, cross.values + l * crossPerLayer, width_, 1, hp.nAudioCtx, true};
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
