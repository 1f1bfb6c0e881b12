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
    const size_t convInputs = static_cast<size_t>(std::max(model.hparams.nMels, width_)) * 3;
    columns_.resize(2 * p * convInputs);
    conv1_.resize(2 * p * w);
    normed_.resize(p * w);
    query_.resize(p * w);
    key_.resize(p * w);
    value_.resize(p * w);
    attended_.resize(p * w);
    hidden_.resize(p * 4 * w);
}

void WhisperEncoder::encode(const float* mel, float* out)
{
    const auto& weights = model_.encoder;
    const int mels = model_.hparams.nMels;
    const int frames = 2 * positions_;

    unrollConvolution(mels, frames, frames, 1,
                      [&](int c, long s) { return mel[static_cast<long>(c) * frames + s]; },
                      columns_.data());
    applyLinear(weights.conv1, columns_.data(), frames, conv1_.data());
    gelu(conv1_.data(), static_cast<long>(frames) * width_);

    unrollConvolution(width_, frames, positions_, 2,
                      [&](int c, long s) { return conv1_[static_cast<size_t>(s) * width_ + c]; },
                      columns_.data());
    applyLinear(weights.conv2, columns_.data(), positions_, out);
    const long size = static_cast<long>(positions_) * width_;
    gelu(out, size);
    addInPlace(out, weights.positionalEmbedding, size);

    for (const auto& block : weights.blocks) {
        attention(block, out);
        layerNorm(block.mlpLn, out, positions_, width_, normed_.data());
        applyLinear(block.mlp0, normed_.data(), positions_, hidden_.data());
        gelu(hidden_.data(), size * 4);
        applyLinear(block.mlp2, hidden_.data(), positions_, attended_.data());
        addInPlace(out, attended_.data(), size);
    }
    layerNorm(weights.lnPost, out, positions_, width_, out);
}

void WhisperEncoder::attention(const EncoderBlockWeights& block, float* x)
{
    layerNorm(block.attnLn, x, positions_, width_, normed_.data());
    applyLinear(block.attn.query, normed_.data(), positions_, query_.data());
    applyLinear(block.attn.key, normed_.data(), positions_, key_.data());
    applyLinear(block.attn.value, normed_.data(), positions_, value_.data());
    fullAttention_.compute(query_.data(), key_.data(), value_.data(), attended_.data());
    applyLinear(block.attn.out, attended_.data(), positions_, normed_.data());
    addInPlace(x, normed_.data(), static_cast<long>(positions_) * width_);
}

} // namespace Platform::ML
