#include "Platform/ML/Whisper/WhisperEncoder.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Ops/Kernels.h"

#include <algorithm>

namespace Platform::ML {
namespace {

// Unrolls a kernel-3, padding-1 convolution input so it becomes one matrix
// product: columns[t][c·3 + k] = input(c, t·stride + k − 1), zero outside.
// `at(c, s)` reads channel c at input position s.
template <typename Read>
void unrollConvolution(int channels, int inputLength, int outputLength, int stride, Read at, float* columns)
{
    constexpr long kRowsPerPiece = 32;
    Platform::parallelFor(outputLength, kRowsPerPiece, computeThreads(), [&](long begin, long end) {
        for (long t = begin; t < end; ++t) {
            float* row = columns + t * channels * 3;
            for (int c = 0; c < channels; ++c)
                for (int k = 0; k < 3; ++k) {
                    const long s = t * stride + k - 1;
                    row[c * 3 + k] = (s >= 0 && s < inputLength) ? at(c, s) : 0.0f;
                }
        }
    });
}

} // namespace

// The scratch is one piece of memory laid out anew by each stage, in units of
// one [positions][width] array (P):
//   convolutions: conv1's output (2P), then the unrolled inputs of either
//                 convolution (conv1: 2·positions rows of mels·3, conv2:
//                 positions rows of width·3);
//   attention:    query, key, value, attended, normalised rows (5P), then
//                 the attention's workspace;
//   MLP:          normalised rows (P), hidden (4P), output (P).
// None of a stage's arrays outlives it, so a window takes the largest stage,
// not their sum.
WhisperEncoder::WhisperEncoder(const WhisperModel& model)
    : model_(model), positions_(model.hparams.nAudioCtx), width_(model.hparams.nAudioState),
      fullAttention_(positions_, width_, model.hparams.nAudioHead)
{
}

std::size_t WhisperEncoder::scratchSize() const
{
    const size_t p = static_cast<size_t>(positions_), w = static_cast<size_t>(width_);
    const size_t mels = static_cast<size_t>(model_.hparams.nMels);
    const size_t convolutions = 2 * p * w + std::max(2 * p * mels * 3, p * w * 3);
    const size_t attention = 5 * p * w + fullAttention_.workspaceSize();
    return std::max({convolutions, attention, 6 * p * w});
}

void WhisperEncoder::encode(const float* mel, float* out)
{
    if (ownScratch_.empty())
        ownScratch_.resize(scratchSize());
    encode(mel, out, ownScratch_.data());
}

void WhisperEncoder::encode(const float* mel, float* out, float* scratch)
{
    const auto& weights = model_.encoder;
    const int mels = model_.hparams.nMels;
    const int frames = 2 * positions_;
    const long size = static_cast<long>(positions_) * width_;

    float* conv1 = scratch;
    float* columns = scratch + 2 * size;
    unrollConvolution(
        mels, frames, frames, 1, [&](int c, long s) { return mel[static_cast<long>(c) * frames + s]; }, columns);
    applyLinear(weights.conv1, columns, frames, conv1);
    gelu(conv1, static_cast<long>(frames) * width_);

    unrollConvolution(
        width_, frames, positions_, 2, [&](int c, long s) { return conv1[static_cast<size_t>(s) * width_ + c]; },
        columns);
    applyLinear(weights.conv2, columns, positions_, out);
    gelu(out, size);
    addInPlace(out, weights.positionalEmbedding, size);

    float* normed = scratch;
    float* hidden = scratch + size;
    float* projected = scratch + 5 * size;
    for (const auto& block : weights.blocks) {
        attention(block, out, scratch);
        layerNorm(block.mlpLn, out, positions_, width_, normed);
        applyLinear(block.mlp0, normed, positions_, hidden);
        gelu(hidden, size * 4);
        applyLinear(block.mlp2, hidden, positions_, projected);
        addInPlace(out, projected, size);
    }
    layerNorm(weights.lnPost, out, positions_, width_, out);
}

void WhisperEncoder::attention(const EncoderBlockWeights& block, float* x, float* scratch)
{
    const long size = static_cast<long>(positions_) * width_;
    float* query = scratch;
    float* key = query + size;
    float* value = key + size;
    float* attended = value + size;
    float* normed = attended + size;
    layerNorm(block.attnLn, x, positions_, width_, normed);
    applyLinear(block.attn.query, normed, positions_, query);
    applyLinear(block.attn.key, normed, positions_, key);
    applyLinear(block.attn.value, normed, positions_, value);
    fullAttention_.compute(query, key, value, attended, normed + size);
    applyLinear(block.attn.out, attended, positions_, normed);
    addInPlace(x, normed, size);
}

} // namespace Platform::ML
