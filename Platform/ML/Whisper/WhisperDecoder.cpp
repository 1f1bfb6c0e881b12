#include "Platform/ML/Whisper/WhisperDecoder.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Ops/Kernels.h"
#include "Platform/ML/Simd/Elementwise.h"

#include <algorithm>
#include <cblas.h>
#include <cmath>
#include <stdexcept>

namespace Platform::ML {
namespace {

// scores[j] = scale · Σ_d query[d] · keys(j, d) for j < count, where
// keys(j, d) = keys[j·positionStride + d·channelStride].
void scoreAgainst(const float* query, int headWidth, const float* keys, long positionStride,
                  long channelStride, int count, float scale, float* scores)
{
    if (count == 0)
        return;
    if (channelStride == 1)
        cblas_sgemv(CblasRowMajor, CblasNoTrans, count, headWidth, scale, keys, positionStride,
                    query, 1, 0.0f, scores, 1);
    else
        cblas_sgemv(CblasRowMajor, CblasTrans, headWidth, count, scale, keys, channelStride,
                    query, 1, 0.0f, scores, 1);
}

// out[d] += Σ_j weights[j] · values(j, d) for j < count.
void accumulateValues(const float* weights, int count, const float* values, long positionStride,
                      long channelStride, int headWidth, float* out)
{
    if (count == 0)
        return;
    if (channelStride == 1)
        cblas_sgemv(CblasRowMajor, CblasTrans, count, headWidth, 1.0f, values, positionStride,
                    weights, 1, 1.0f, out, 1);
    else
        cblas_sgemv(CblasRowMajor, CblasNoTrans, headWidth, count, 1.0f, values, channelStride,
                    weights, 1, 1.0f, out, 1);
}

} // namespace

KeyValueCacheView KeyValueCacheView::positionMajor(const float* keys, const float* values,
                                                   int capacity, int width)
{
    return {keys, values, static_cast<long>(capacity) * width, width, 1};
}

KeyValueCacheView KeyValueCacheView::channelMajor(const float* keys, const float* values,
                                                  int capacity, int width)
{
    return {keys, values, static_cast<long>(capacity) * width, 1, capacity};
}

WhisperDecoder::WhisperDecoder(const WhisperModel& model)
    : model_(model), width_(model.hparams.nTextState), heads_(model.hparams.nTextHead)
{
    const size_t w = static_cast<size_t>(width_);
    x_.resize(w);
    normed_.resize(w);
    query_.resize(w);
    attended_.resize(w);
    projected_.resize(w);
    hidden_.resize(4 * w);
    // Room for every head's cross-attention scores, and for one head's over the text.
    scores_.resize(std::max(static_cast<size_t>(heads_) * model.hparams.nAudioCtx,
                            static_cast<size_t>(model.hparams.nTextCtx) + 1));
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
                          const CrossAttentionCache& cross, float* newKeys, float* newValues,
                          float* logits)
{
    if (token < 0 || token >= model_.hparams.nVocab || position < 0 || position >= model_.hparams.nTextCtx)
        throw std::out_of_range("Decoder step outside the model's vocabulary or text context");
    const auto& decoder = model_.decoder;
    const int headWidth = width_ / heads_;
    const float scale = 1.0f / std::sqrt(static_cast<float>(headWidth));
    const int audioPositions = model_.hparams.nAudioCtx;
    float* x = x_.data();

    decoder.tokenEmbedding.widenRows(token, 1, x);
    addInPlace(x, decoder.positionalEmbedding + static_cast<long>(position) * width_, width_);

    for (size_t l = 0; l < decoder.blocks.size(); ++l) {
        const auto& block = decoder.blocks[l];
        float* ownKeys = newKeys + l * width_;
        float* ownValues = newValues + l * width_;
        const float* layerKeys = cache.keys + l * cache.layerStride;
        const float* layerValues = cache.values + l * cache.layerStride;

        // Causal self-attention over the cache and this token.
        layerNorm(block.attnLn, x, 1, width_, normed_.data());
        applyLinear(block.attn.query, normed_.data(), 1, query_.data());
        applyLinear(block.attn.key, normed_.data(), 1, ownKeys);
        applyLinear(block.attn.value, normed_.data(), 1, ownValues);
        for (int h = 0; h < heads_; ++h) {
            const long head = static_cast<long>(h) * headWidth;
            const float* q = query_.data() + head;
            float* scores = scores_.data();
            scoreAgainst(q, headWidth, layerKeys + head * cache.channelStride, cache.positionStride,
                         cache.channelStride, position, scale, scores);
            scores[position] = scale * cblas_sdot(headWidth, q, 1, ownKeys + head, 1);
            softmax(scores, position + 1);
            float* out = attended_.data() + head;
            for (int d = 0; d < headWidth; ++d)
                out[d] = scores[position] * ownValues[head + d];
            accumulateValues(scores, position, layerValues + head * cache.channelStride,
                             cache.positionStride, cache.channelStride, headWidth, out);
        }
        applyLinear(block.attn.out, attended_.data(), 1, projected_.data());
        addInPlace(x, projected_.data(), width_);

        // Cross-attention over the window's precomputed keys and values.
        layerNorm(block.crossAttnLn, x, 1, width_, normed_.data());
        applyLinear(block.crossAttn.query, normed_.data(), 1, query_.data());
        const long perLayer = static_cast<long>(audioPositions) * width_;
        const float* crossKeys = cross.keys.data() + l * perLayer;
        const float* crossValues = cross.values.data() + l * perLayer;
        // The heads side by side: each reads megabytes of keys and values.
        parallelFor(heads_, 1, computeThreads(), [&](long begin, long end) {
            for (long h = begin; h < end; ++h) {
                const long head = h * headWidth;
                float* scores = scores_.data() + h * audioPositions;
                scoreAgainst(query_.data() + head, headWidth, crossKeys + head, width_, 1,
                             audioPositions, scale, scores);
                softmax(scores, audioPositions);
                float* out = attended_.data() + head;
                std::fill(out, out + headWidth, 0.0f);
                accumulateValues(scores, audioPositions, crossValues + head, width_, 1, headWidth, out);
            }
        });
        applyLinear(block.crossAttn.out, attended_.data(), 1, projected_.data());
        addInPlace(x, projected_.data(), width_);

        layerNorm(block.mlpLn, x, 1, width_, normed_.data());
        applyLinear(block.mlp0, normed_.data(), 1, hidden_.data());
        gelu(hidden_.data(), 4L * width_);
        applyLinear(block.mlp2, hidden_.data(), 1, projected_.data());
        addInPlace(x, projected_.data(), width_);
    }

    if (!logits)
        return;
    layerNorm(decoder.ln, x, 1, width_, normed_.data());
    const Linear vocabulary{decoder.tokenEmbedding, nullptr};
    applyLinear(vocabulary, normed_.data(), 1, logits);
}

} // namespace Platform::ML
