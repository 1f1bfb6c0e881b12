#include "Platform/ML/Ops/Kernels.h"
#include "Platform/ML/Whisper/MelSpectrogram.h"
#include "Platform/ML/Whisper/WhisperDecoder.h"
#include "Platform/ML/Whisper/WhisperEncoder.h"

#include "Support/WhisperModelFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace Platform::ML;

namespace {

// A self-attention cache of either layout that keeps what the decoder returns.
class Cache {
public:
    Cache(const WhisperModel& model, bool channelMajor)
        : layers_(model.hparams.nTextLayer), width_(model.hparams.nTextState), capacity_(model.hparams.nTextCtx),
          channelMajor_(channelMajor), keys_(static_cast<size_t>(layers_) * capacity_ * width_),
          values_(keys_.size()), newKeys_(keys_.size()), newValues_(keys_.size())
    {
    }

    KeyValueCacheView view() const
    {
        return channelMajor_ ? KeyValueCacheView::channelMajor(keys_.data(), values_.data(), capacity_, width_)
                             : KeyValueCacheView::positionMajor(keys_.data(), values_.data(), capacity_, width_);
    }

    // Runs the tokens as one batch from `first` on and stores their keys and values.
    void decode(WhisperDecoder& decoder, const CrossAttentionCache& cross, std::span<const int> tokens, int first,
                float* logits)
    {
        const int rows = static_cast<int>(tokens.size());
        decoder.decode(tokens, first, view(), cross, newKeys_.data(), newValues_.data(), logits);
        for (int l = 0; l < layers_; ++l)
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < width_; ++c) {
                    const size_t from = (static_cast<size_t>(l) * rows + r) * width_ + c;
                    keys_[at(l, first + r, c)] = newKeys_[from];
                    values_[at(l, first + r, c)] = newValues_[from];
                }
    }

    float key(int layer, int position, int channel) const { return keys_[at(layer, position, channel)]; }
    float value(int layer, int position, int channel) const { return values_[at(layer, position, channel)]; }

private:
    size_t at(int layer, int position, int channel) const
    {
        return channelMajor_ ? (static_cast<size_t>(layer) * width_ + channel) * capacity_ + position
                             : (static_cast<size_t>(layer) * capacity_ + position) * width_ + channel;
    }

    int layers_, width_, capacity_;
    bool channelMajor_;
    std::vector<float> keys_, values_, newKeys_, newValues_;
};

std::vector<float> encode(const WhisperModel& model)
{
    const auto& hp = model.hparams;
    MelSpectrogram mel(model.melFilters.data(), hp.nMels, model.windowSamples());
    std::vector<float> features(static_cast<size_t>(hp.nMels) * model.melFrames());
    const auto audio = chirp(20000, 300);
    mel.compute(audio.data(), static_cast<long>(audio.size()), features.data());
    std::vector<float> encoded(static_cast<size_t>(hp.nAudioCtx) * hp.nAudioState);
    WhisperEncoder(model).encode(features.data(), encoded.data());
    return encoded;
}

const int kTokens[] = {50258, 50259, 50359, 50363, 1000, 2000, 3000};
constexpr int kTokenCount = 7;

} // namespace

// The cache layout of one-step decoder models (channel-major, [layer·width][position])
// and the runtime's own (position-major) must give the same logits; the step
// reads only the precomputed cross-attention, never the encoder output.
TEST(WhisperDecoder, CacheLayoutsAgreeAndCrossAttentionIsComputedOncePerWindow)
{
    const auto model = smallRandomModel(51865);
    auto encoded = encode(model);
    WhisperDecoder decoder(model);
    CrossAttentionCache cross;
    decoder.computeCrossAttention(encoded.data(), cross);
    std::fill(encoded.begin(), encoded.end(), 1e30f);

    Cache rows(model, false), columns(model, true);
    std::vector<float> rowLogits(static_cast<size_t>(model.hparams.nVocab)), columnLogits(rowLogits.size());
    for (int position = 0; position < kTokenCount; ++position) {
        rows.decode(decoder, cross, {&kTokens[position], 1}, position, rowLogits.data());
        columns.decode(decoder, cross, {&kTokens[position], 1}, position, columnLogits.data());
        for (size_t v = 0; v < rowLogits.size(); v += 97)
            ASSERT_NEAR(rowLogits[v], columnLogits[v], 1e-4f) << "position " << position;
        ASSERT_TRUE(std::all_of(rowLogits.begin(), rowLogits.end(), [](float x) { return std::isfinite(x); }));
    }
    std::vector<float> keys(2 * static_cast<size_t>(model.hparams.nTextLayer) * model.hparams.nTextState);
    const int capacity = model.hparams.nTextCtx;
    EXPECT_THROW(decoder.step(1, capacity, rows.view(), cross, keys.data(), keys.data(), nullptr), std::out_of_range);
    const int twoTokens[] = {1, 2};
    EXPECT_THROW(decoder.decode(twoTokens, capacity - 1, rows.view(), cross, keys.data(), keys.data(), nullptr),
                 std::out_of_range);
}

// A prompt decoded as one batch, after tokens already in the cache, gives the
// keys, values and logits of one step per token, in either cache layout.
TEST(WhisperDecoder, ABatchGivesWhatOneStepPerTokenGives)
{
    const auto model = smallRandomModel(51865, 9);
    const auto encoded = encode(model);
    WhisperDecoder decoder(model);
    CrossAttentionCache cross;
    decoder.computeCrossAttention(encoded.data(), cross);

    std::vector<float> stepLogits(static_cast<size_t>(model.hparams.nVocab)), batchLogits(stepLogits.size());
    Cache stepped(model, false);
    for (int position = 0; position < kTokenCount; ++position)
        stepped.decode(decoder, cross, {&kTokens[position], 1}, position, stepLogits.data());

    constexpr int kFirstBatch = 2;
    for (bool channelMajor : {false, true}) {
        Cache batched(model, channelMajor);
        batched.decode(decoder, cross, {kTokens, kFirstBatch}, 0, nullptr);
        batched.decode(decoder, cross, {kTokens + kFirstBatch, kTokenCount - kFirstBatch}, kFirstBatch,
                       batchLogits.data());
        for (size_t v = 0; v < stepLogits.size(); ++v)
            ASSERT_NEAR(batchLogits[v], stepLogits[v], 1e-4f) << "logit " << v << ", channel-major " << channelMajor;
        for (int l = 0; l < model.hparams.nTextLayer; ++l)
            for (int position = 0; position < kTokenCount; ++position)
                for (int c = 0; c < model.hparams.nTextState; ++c) {
                    ASSERT_NEAR(batched.key(l, position, c), stepped.key(l, position, c), 1e-4f);
                    ASSERT_NEAR(batched.value(l, position, c), stepped.value(l, position, c), 1e-4f);
                }
    }
}

// A channel-major cache of a single position is read as that position, as a
// caller that gathers the positions a token sees may hand over just one.
TEST(WhisperDecoder, ACacheOfOnePositionIsReadInEitherLayout)
{
    const auto model = smallRandomModel(51865);
    const auto encoded = encode(model);
    WhisperDecoder decoder(model);
    CrossAttentionCache cross;
    decoder.computeCrossAttention(encoded.data(), cross);
    const int width = model.hparams.nTextState;

    Cache cache(model, false);
    std::vector<float> expected(static_cast<size_t>(model.hparams.nVocab)), logits(expected.size());
    cache.decode(decoder, cross, {&kTokens[0], 1}, 0, nullptr);
    std::vector<float> keys, values;
    for (int l = 0; l < model.hparams.nTextLayer; ++l)
        for (int c = 0; c < width; ++c) {
            keys.push_back(cache.key(l, 0, c));
            values.push_back(cache.value(l, 0, c));
        }
    std::vector<float> newKeys(keys.size()), newValues(keys.size());
    decoder.step(kTokens[1], 1, KeyValueCacheView::positionMajor(keys.data(), values.data(), 1, width), cross,
                 newKeys.data(), newValues.data(), expected.data());
    decoder.step(kTokens[1], 1, KeyValueCacheView::channelMajor(keys.data(), values.data(), 1, width), cross,
                 newKeys.data(), newValues.data(), logits.data());
    EXPECT_EQ(logits, expected);
}

// The caches hold halves, two bytes a key: the cross-attention ones the
// window's projections rounded, and a self-attention cache of halves, in
// either layout, gives the logits of a float cache holding its values widened.
TEST(WhisperDecoder, CachesOfHalvesGiveTheNumbersOfTheirValuesWidened)
{
    const auto model = smallRandomModel(51865, 5);
    const auto& hp = model.hparams;
    const auto encoded = encode(model);
    WhisperDecoder decoder(model);
    CrossAttentionCache cross;
    decoder.computeCrossAttention(encoded.data(), cross);
    const size_t elements = static_cast<size_t>(hp.nTextLayer) * hp.nAudioCtx * hp.nTextState;
    ASSERT_EQ(cross.keys.size() * sizeof cross.keys[0], 2 * elements);
    ASSERT_EQ(cross.values.size() * sizeof cross.values[0], 2 * elements);
    const int last = hp.nTextLayer - 1;
    std::vector<float> projected(elements / hp.nTextLayer);
    applyLinear(model.decoder.blocks[static_cast<size_t>(last)].crossAttn.value, encoded.data(), hp.nAudioCtx,
                projected.data());
    for (size_t i = 0; i < projected.size(); ++i)
        ASSERT_EQ(cross.values[last * projected.size() + i].bits, Float16(projected[i]).bits) << i;

    Cache floats(model, false);
    constexpr int kCached = 4;
    floats.decode(decoder, cross, {kTokens, kCached}, 0, nullptr);
    const int width = hp.nTextState, capacity = hp.nTextCtx;
    const size_t size = static_cast<size_t>(hp.nTextLayer) * capacity * width;
    for (bool channelMajor : {false, true}) {
        std::vector<Float16> halfKeys(size), halfValues(size);
        std::vector<float> widenedKeys(size), widenedValues(size);
        for (int l = 0; l < hp.nTextLayer; ++l)
            for (int p = 0; p < kCached; ++p)
                for (int c = 0; c < width; ++c) {
                    const size_t at = channelMajor ? (static_cast<size_t>(l) * width + c) * capacity + p
                                                   : (static_cast<size_t>(l) * capacity + p) * width + c;
                    halfKeys[at] = Float16(floats.key(l, p, c));
                    halfValues[at] = Float16(floats.value(l, p, c));
                    widenedKeys[at] = static_cast<float>(halfKeys[at]);
                    widenedValues[at] = static_cast<float>(halfValues[at]);
                }
        const auto halves = channelMajor
                                ? KeyValueCacheView::channelMajor(halfKeys.data(), halfValues.data(), capacity, width)
                                : KeyValueCacheView::positionMajor(halfKeys.data(), halfValues.data(), capacity, width);
        const auto widened =
            channelMajor ? KeyValueCacheView::channelMajor(widenedKeys.data(), widenedValues.data(), capacity, width)
                         : KeyValueCacheView::positionMajor(widenedKeys.data(), widenedValues.data(), capacity, width);
        std::vector<float> newKeys(2 * size), fromHalves(static_cast<size_t>(hp.nVocab)), fromFloats(fromHalves.size());
        // One step and a batch of two: one row and several rows read the cache differently.
        for (int rows : {1, 2}) {
            const std::span<const int> tokens{kTokens + kCached, static_cast<size_t>(rows)};
            decoder.decode(tokens, kCached, halves, cross, newKeys.data(), newKeys.data() + size, fromHalves.data());
            decoder.decode(tokens, kCached, widened, cross, newKeys.data(), newKeys.data() + size, fromFloats.data());
            for (size_t v = 0; v < fromHalves.size(); ++v)
                ASSERT_NEAR(fromHalves[v], fromFloats[v], 1e-5f * std::max(1.0f, std::abs(fromFloats[v])))
                    << "logit " << v << ", channel-major " << channelMajor << ", rows " << rows;
        }
    }
}
