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
void unrollConvolution(int channels, int inputLength, int outputLength, int stride, Read at,
                       float* columns)
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

WhisperEncoder::WhisperEncoder(const WhisperModel& model)
    : model_(model),
      positions_(model.hparams.nAudioCtx),
      width_(model.hparams.nAudioState),
      fullAttention_(positions_, width_, model.hparams.nAudioHead)
{
    const size_t p = static_cast<size_t>(positions_), w = static_cast<size_t>(width_);
    const size_t mels = static_cast<size_t>(model.hparams.nMels);
    // conv1's output, then the unrolled inputs of either convolution (conv1
    // has 2·positions rows of mels·3, conv2 positions rows of width·3);
    // later query, key, value, attended and hidden, 8 widths a position.
    const size_t columns = std::max(2 * p * mels * 3, p * w * 3);
    scratch_.resize(std::max(2 * p * w + columns, 8 * p * w));
    conv1_ = scratch_.data();
    columns_ = conv1_ + 2 * p * w;
    query_ = scratch_.data();
    key_ = query_ + p * w;
    value_ = key_ + p * w;
    attended_ = value_ + p * w;
    hidden_ = attended_ + p * w;
    normed_.resize(p * w);
}

void WhisperEncoder::encode(const float* mel, float* out)
{
    const auto& weights = model_.encoder;
    const int mels = model_.hparams.nMels;
    const int frames = 2 * positions_;

    unrollConvolution(mels, frames, frames, 1,
                      [&](int c, long s) { return mel[static_cast<long>(c) * frames + s]; },
                      columns_);
    applyLinear(weights.conv1, columns_, frames, conv1_);
    gelu(conv1_, static_cast<long>(frames) * width_);

    unrollConvolution(width_, frames, positions_, 2,
                      [&](int c, long s) { return conv1_[static_cast<size_t>(s) * width_ + c]; },
                      columns_);
    applyLinear(weights.conv2, columns_, positions_, out);
    const long size = static_cast<long>(positions_) * width_;
    gelu(out, size);
    addInPlace(out, weights.positionalEmbedding, size);

    for (const auto& block : weights.blocks) {
        attention(block, out);
        layerNorm(block.mlpLn, out, positions_, width_, normed_.data());
        applyLinear(block.mlp0, normed_.data(), positions_, hidden_);
        gelu(hidden_, size * 4);
        applyLinear(block.mlp2, hidden_, positions_, attended_);
        addInPlace(out, attended_, size);
    }
    layerNorm(weights.lnPost, out, positions_, width_, out);
}

void WhisperEncoder::attention(const EncoderBlockWeights& block, float* x)
{
    layerNorm(block.attnLn, x, positions_, width_, normed_.data());
    applyLinear(block.attn.query, normed_.data(), positions_, query_);
    applyLinear(block.attn.key, normed_.data(), positions_, key_);
    applyLinear(block.attn.value, normed_.data(), positions_, value_);
    fullAttention_.compute(query_, key_, value_, attended_);
    applyLinear(block.attn.out, attended_, positions_, normed_.data());
    addInPlace(x, normed_.data(), static_cast<long>(positions_) * width_);
}

} // namespace Platform::ML
