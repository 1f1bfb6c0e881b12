#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace QelCore;

namespace {

QelTools::RandomModelOptions microModel(int ftype)
{
    return {.seed = 5, .vocab = 51864, .ftype = ftype, .width = 8, .heads = 2, .layers = 1, .mels = 4, .audioCtx = 4,
            .textCtx = 8};
}

} // namespace

TEST(GgmlWhisperLoader, ReadsSizesVocabularyAndWidensHalfFloatWeights)
{
    const auto full = parseGgmlWhisperModel(QelTools::randomGgmlModel(microModel(0)));
    const auto half = parseGgmlWhisperModel(QelTools::randomGgmlModel(microModel(1)));
    EXPECT_EQ(full.hparams.nVocab, 51864);
    EXPECT_EQ(full.hparams.nTextState, 8);
    EXPECT_EQ(full.hparams.nAudioLayer, 1);
    EXPECT_EQ(full.vocabulary.size(), 50256u);
    EXPECT_EQ(full.vocabulary[65], "A");
    EXPECT_EQ(full.melFilters.size(), 4u * 201u);
    EXPECT_EQ(full.decoder.blocks.size(), 1u);
    EXPECT_EQ(full.encoder.blocks[0].attn.key.bias, nullptr);

    // The same random draws, stored once as f32 and once as f16.
    ASSERT_EQ(full.storage.size(), half.storage.size());
    for (size_t i = 0; i < full.storage.size(); ++i)
        ASSERT_NEAR(half.storage[i], full.storage[i], std::fabs(full.storage[i]) * 1e-3f + 1e-7f) << i;
    const float* token = half.decoder.tokenEmbedding.floatRow(300);
    const float* expected = full.decoder.tokenEmbedding.floatRow(300);
    EXPECT_NEAR(token[3], expected[3], 1e-3f);
}

// Some converters store the special tokens' names after the ordinary pieces.
TEST(GgmlWhisperLoader, DropsStoredNamesOfSpecialTokens)
{
    auto bytes = QelTools::randomGgmlModel(microModel(1));
    const size_t countAt = 56 + 4 * 201 * 4;
    int32_t count;
    std::memcpy(&count, bytes.data() + countAt, 4);
    size_t end = countAt + 4;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t length;
        std::memcpy(&length, bytes.data() + end, 4);
        end += 4 + length;
    }
    const std::string name = "<|endoftext|>";
    const uint32_t length = static_cast<uint32_t>(name.size());
    std::vector<std::byte> entry(4 + name.size());
    std::memcpy(entry.data(), &length, 4);
    std::memcpy(entry.data() + 4, name.data(), name.size());
    bytes.insert(bytes.begin() + static_cast<long>(end), entry.begin(), entry.end());
    ++count;
    std::memcpy(bytes.data() + countAt, &count, 4);

    const auto model = parseGgmlWhisperModel(bytes);
    EXPECT_EQ(model.vocabulary.size(), 50256u);
    EXPECT_NE(model.vocabulary.back(), name);
}

// Seeded mutations of a valid file: each must load or be refused with a
// ModelFileError, never crash or read out of bounds (the sanitizers watch).
TEST(GgmlWhisperLoader, SurvivesRandomDamage)
{
    const auto good = QelTools::randomGgmlModel(microModel(1));
    const size_t headerEnd = 56 + 4 * 201 * 4 + 8;
    std::mt19937_64 random(1234);
    int refused = 0;
    for (int iteration = 0; iteration < 300; ++iteration) {
        auto bytes = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f) {
            size_t at;
            switch (random() % 3) {
            case 0: at = random() % headerEnd; break;               // sizes and filters
            case 1: at = bytes.size() - 1 - random() % 4000; break; // the dense run of small tensors
            default: at = random() % bytes.size(); break;
            }
            bytes[at] = static_cast<std::byte>(random() % 4 == 0 ? 0xff : random() & 0xff);
        }
        if (random() % 4 == 0)
            bytes.resize(random() % bytes.size());
        try {
            parseGgmlWhisperModel(bytes);
        } catch (const ModelFileError& error) {
            ++refused;
            EXPECT_GT(std::strlen(error.what()), 10u);
        }
    }
    EXPECT_GT(refused, 100);
}
