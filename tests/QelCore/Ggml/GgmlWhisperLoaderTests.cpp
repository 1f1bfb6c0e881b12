#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "Platform/ML/Tensor/HalfFloat.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <tuple>

using namespace QelCore;

namespace {

QelTools::RandomModelOptions microModel(int ftype)
{
    return {.seed = 5, .vocab = 51864, .ftype = ftype, .width = 8, .heads = 2, .layers = 1, .mels = 4, .audioCtx = 4,
            .textCtx = 8};
}

int32_t int32At(const std::vector<std::byte>& bytes, size_t at)
{
    int32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

// Where a micro model's vocabulary count is, and where its first tensor starts.
constexpr size_t kVocabularyCountAt = 56 + 4 * 201 * 4;

size_t tensorsStart(const std::vector<std::byte>& bytes)
{
    size_t at = kVocabularyCountAt + 4;
    for (int32_t i = 0, count = int32At(bytes, kVocabularyCountAt); i < count; ++i)
        at += 4 + static_cast<size_t>(int32At(bytes, at));
    return at;
}

// The same model with every tensor, vectors too, stored as halves.
std::vector<std::byte> everyTensorAsHalves(const std::vector<std::byte>& full)
{
    const size_t start = tensorsStart(full);
    std::vector<std::byte> half(full.begin(), full.begin() + static_cast<long>(start));
    for (size_t at = start; at < full.size();) {
        const int32_t dims = int32At(full, at), nameLength = int32At(full, at + 4);
        size_t count = 1;
        for (int32_t d = 0; d < dims; ++d)
            count *= static_cast<size_t>(int32At(full, at + 12 + 4 * static_cast<size_t>(d)));
        const size_t header = 12 + 4 * static_cast<size_t>(dims) + static_cast<size_t>(nameLength);
        const size_t first = half.size();
        half.insert(half.end(), full.begin() + static_cast<long>(at), full.begin() + static_cast<long>(at + header));
        half[first + 8] = std::byte{1}; // the type
        for (size_t i = 0; i < count; ++i) {
            float value;
            std::memcpy(&value, full.data() + at + header + 4 * i, 4);
            const uint16_t bits = Platform::ML::narrowToHalfFloat(value);
            half.insert(half.end(), reinterpret_cast<const std::byte*>(&bits), reinterpret_cast<const std::byte*>(&bits) + 2);
        }
        at += header + 4 * count;
    }
    return half;
}

std::vector<Platform::ML::WeightMatrix> matricesOf(const WhisperModel& model)
{
    std::vector<Platform::ML::WeightMatrix> matrices = {model.encoder.conv1.weight, model.encoder.conv2.weight,
                                                        model.decoder.tokenEmbedding};
    const auto addAttention = [&](const Platform::ML::AttentionWeights& attention) {
        for (const auto* linear : {&attention.query, &attention.key, &attention.value, &attention.out})
            matrices.push_back(linear->weight);
    };
    for (const auto& block : model.encoder.blocks) {
        addAttention(block.attn);
        matrices.insert(matrices.end(), {block.mlp0.weight, block.mlp2.weight});
    }
    for (const auto& block : model.decoder.blocks) {
        addAttention(block.attn);
        addAttention(block.crossAttn);
        matrices.insert(matrices.end(), {block.mlp0.weight, block.mlp2.weight});
    }
    return matrices;
}

std::vector<float> widened(const Platform::ML::WeightMatrix& matrix)
{
    std::vector<float> values(static_cast<size_t>(matrix.rows) * matrix.columns);
    matrix.widenRows(0, matrix.rows, values.data());
    return values;
}

} // namespace

TEST(GgmlWhisperLoader, ReadsSizesAndVocabulary)
{
    const auto model = parseGgmlWhisperModel(QelTools::randomGgmlModel(microModel(0)));
    EXPECT_EQ(model.hparams.nVocab, 51864);
    EXPECT_EQ(model.hparams.nTextState, 8);
    EXPECT_EQ(model.hparams.nAudioLayer, 1);
    EXPECT_EQ(model.vocabulary.size(), 50256u);
    EXPECT_EQ(model.vocabulary[65], "A");
    EXPECT_EQ(model.melFilters.size(), 4u * 201u);
    EXPECT_EQ(model.decoder.blocks.size(), 1u);
    EXPECT_EQ(model.encoder.blocks[0].attn.key.bias, nullptr);
}

// A generated model can store a tokenizer's pieces, control bytes, line ends
// and all, and draw its token embedding from a wider range.
TEST(GgmlWhisperLoader, ReadsTheGivenPiecesAndTheTokenEmbeddingSpread)
{
    auto options = microModel(0);
    for (int id = 0; id < QelTools::ordinaryTokenCount(options.vocab); ++id)
        options.pieces.push_back(id % 7 == 0 ? std::string("\n\0x", 3) : "p" + std::to_string(id));
    options.tokenEmbeddingSpread = 4.0f;
    const auto model = parseGgmlWhisperModel(QelTools::randomGgmlModel(options));
    EXPECT_EQ(model.vocabulary, options.pieces);
    const auto embedding = widened(model.decoder.tokenEmbedding);
    const auto [lowest, highest] = std::minmax_element(embedding.begin(), embedding.end());
    EXPECT_LE(*highest, 4.0f);
    EXPECT_GE(*lowest, -4.0f);
    EXPECT_GT(*highest - *lowest, 7.9f);

    options.pieces.pop_back();
    EXPECT_THROW(QelTools::randomGgmlModel(options), std::invalid_argument);
}

// The same random draws stored as f32, as f16 the way published files are
// (matrices only), and as f16 throughout. Matrices keep the file's precision;
// vectors are always floats; the values agree to half precision.
TEST(GgmlWhisperLoader, KeepsMatricesInTheFilesPrecisionAndVectorsAsFloats)
{
    const auto fullBytes = QelTools::randomGgmlModel(microModel(0));
    const auto full = parseGgmlWhisperModel(fullBytes);
    const auto half = parseGgmlWhisperModel(QelTools::randomGgmlModel(microModel(1)));
    const auto allHalf = parseGgmlWhisperModel(everyTensorAsHalves(fullBytes));

    const auto fullMatrices = matricesOf(full);
    for (const auto* model : {&half, &allHalf}) {
        const auto matrices = matricesOf(*model);
        ASSERT_EQ(matrices.size(), fullMatrices.size());
        for (size_t m = 0; m < matrices.size(); ++m) {
            EXPECT_FALSE(fullMatrices[m].isHalf());
            ASSERT_TRUE(matrices[m].isHalf()) << "matrix " << m;
            ASSERT_EQ(matrices[m].rows, fullMatrices[m].rows);
            ASSERT_EQ(matrices[m].columns, fullMatrices[m].columns);
            const auto want = widened(fullMatrices[m]), got = widened(matrices[m]);
            for (size_t i = 0; i < want.size(); ++i)
                ASSERT_NEAR(got[i], want[i], std::fabs(want[i]) * 1e-3f + 1e-7f) << "matrix " << m << ", weight " << i;
        }
        const int width = full.hparams.nTextState;
        for (const auto& [got, want, count] :
             {std::tuple{model->decoder.ln.weight, full.decoder.ln.weight, width},
              std::tuple{model->decoder.positionalEmbedding, full.decoder.positionalEmbedding, width * full.hparams.nTextCtx},
              std::tuple{model->encoder.conv2.bias, full.encoder.conv2.bias, width}})
            for (int i = 0; i < count; ++i)
                ASSERT_NEAR(got[i], want[i], std::fabs(want[i]) * 1e-3f + 1e-7f) << i;
    }
}

// Some converters store the special tokens' names after the ordinary pieces.
TEST(GgmlWhisperLoader, DropsStoredNamesOfSpecialTokens)
{
    auto bytes = QelTools::randomGgmlModel(microModel(1));
    int32_t count = int32At(bytes, kVocabularyCountAt);
    const size_t end = tensorsStart(bytes);
    const std::string name = "<|endoftext|>";
    const uint32_t length = static_cast<uint32_t>(name.size());
    std::vector<std::byte> entry(4 + name.size());
    std::memcpy(entry.data(), &length, 4);
    std::memcpy(entry.data() + 4, name.data(), name.size());
    bytes.insert(bytes.begin() + static_cast<long>(end), entry.begin(), entry.end());
    ++count;
    std::memcpy(bytes.data() + kVocabularyCountAt, &count, 4);

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
