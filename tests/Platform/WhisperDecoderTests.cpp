#include "Platform/ML/Whisper/WhisperDecoder.h"
#include "Platform/ML/Whisper/WhisperEncoder.h"
#include "Platform/ML/Whisper/MelSpectrogram.h"

#include "Support/WhisperModelFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Platform::ML;

// The cache layout of one-step decoder models (channel-major, [layer·width][position])
// and the runtime's own (position-major) must give the same logits; the step
// reads only the precomputed cross-attention, never the encoder output.
TEST(WhisperDecoder, CacheLayoutsAgreeAndCrossAttentionIsComputedOncePerWindow)
{
    const auto model = smallRandomModel(51865);
    const auto& hp = model.hparams;
    const int width = hp.nTextState, layers = hp.nTextLayer, capacity = hp.nTextCtx;

    MelSpectrogram mel(model.melFilters.data(), hp.nMels, model.windowSamples());
    std::vector<float> features(static_cast<size_t>(hp.nMels) * model.melFrames());
    const auto audio = chirp(20000, 300);
    mel.compute(audio.data(), static_cast<long>(audio.size()), features.data());
    std::vector<float> encoded(static_cast<size_t>(hp.nAudioCtx) * hp.nAudioState);
    WhisperEncoder(model).encode(features.data(), encoded.data());

    WhisperDecoder decoder(model);
    CrossAttentionCache cross;
    decoder.computeCrossAttention(encoded.data(), cross);
    std::fill(encoded.begin(), encoded.end(), 1e30f);

    const size_t cacheSize = static_cast<size_t>(layers) * capacity * width;
    std::vector<float> rowKeys(cacheSize), rowValues(cacheSize), columnKeys(cacheSize), columnValues(cacheSize);
    std::vector<float> newKeys(static_cast<size_t>(layers) * width), newValues(newKeys.size());
    std::vector<float> rowLogits(static_cast<size_t>(hp.nVocab)), columnLogits(rowLogits.size());
    const auto rows = KeyValueCacheView::positionMajor(rowKeys.data(), rowValues.data(), capacity, width);
    const auto columns = KeyValueCacheView::channelMajor(columnKeys.data(), columnValues.data(), capacity, width);

    const int tokens[] = {50258, 50259, 50359, 50363, 1000, 2000, 3000};
    for (int position = 0; position < 7; ++position) {
        decoder.step(tokens[position], position, rows, cross, newKeys.data(), newValues.data(), rowLogits.data());
        for (int l = 0; l < layers; ++l)
            for (int c = 0; c < width; ++c) {
                const size_t from = static_cast<size_t>(l) * width + c;
                rowKeys[(static_cast<size_t>(l) * capacity + position) * width + c] = newKeys[from];
                rowValues[(static_cast<size_t>(l) * capacity + position) * width + c] = newValues[from];
            }
        decoder.step(tokens[position], position, columns, cross, newKeys.data(), newValues.data(), columnLogits.data());
        for (int l = 0; l < layers; ++l)
            for (int c = 0; c < width; ++c) {
                const size_t from = static_cast<size_t>(l) * width + c;
                columnKeys[(static_cast<size_t>(l) * width + c) * capacity + position] = newKeys[from];
                columnValues[(static_cast<size_t>(l) * width + c) * capacity + position] = newValues[from];
            }
        for (size_t v = 0; v < rowLogits.size(); v += 97)
            ASSERT_NEAR(rowLogits[v], columnLogits[v], 1e-4f) << "position " << position;
        ASSERT_TRUE(std::all_of(rowLogits.begin(), rowLogits.end(), [](float x) { return std::isfinite(x); }));
    }
    EXPECT_THROW(decoder.step(1, capacity, rows, cross, newKeys.data(), newValues.data(), nullptr), std::out_of_range);
}
