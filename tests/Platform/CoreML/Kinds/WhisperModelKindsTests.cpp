#include "Platform/CoreML/Folder/ModelManifest.h"
#include "Platform/CoreML/MLModel.h"
#include "Platform/CoreML/MLModelError.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Ops/Transpose.h"
#include "Platform/ML/Tensor/HalfFloat.h"
#include "Platform/ML/Whisper/MelSpectrogram.h"
#include "Platform/ML/Whisper/WhisperEncoder.h"
#include "Platform/JSON/JSONDocument.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "tools/ModelFolder/FolderDecoding.h"
#include "tools/ModelFolder/WhisperFolders.h"

#include "Support/TestEnvironment.h"
#include "Support/WhisperModelFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <fstream>
#include <thread>

using namespace Platform::CoreML;
using namespace TestSupport;
namespace fs = std::filesystem;

namespace {

using Inputs = std::map<std::string, MLFeatureValue>;
using QelTools::arrayFloats;
using QelTools::FolderDecoding;
using QelTools::integerArray;
using QelTools::outputArray;
using QelTools::predictArray;

// A multilingual model with a 2 s window, random weights in halves, and the
// folders it converts into.
const QelTools::RandomModelOptions kModel{
    .seed = 5, .vocab = 51865, .ftype = 1, .width = 32, .heads = 4, .layers = 2, .audioCtx = 100};

class WhisperModelKinds : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TemporaryFolder;
        QelTools::writeRandomModelFolders(folder_->path(), kModel, {.contextPrefill = true});
    }
    static void TearDownTestSuite() { delete folder_; }

    static std::shared_ptr<const MLModel> load(std::string_view name) { return MLModel::load(folder_->path() / name); }

    static TemporaryFolder* folder_;
};

TemporaryFolder* WhisperModelKinds::folder_ = nullptr;

std::vector<float> roundedToHalves(std::vector<float> values)
{
    for (float& value : values)
        value = Platform::ML::widenHalfFloat(Platform::ML::narrowToHalfFloat(value));
    return values;
}

// The encoder output of a chirp, through the mel and encoder folders.
MLMultiArray encodedChirp(const MLModel& mel, const MLModel& encoder, double startHz)
{
    MLMultiArray audio({kModel.audioCtx * 320}, MLMultiArrayDataType::float32);
    const auto samples = chirp(audio.count(), startHz);
    std::copy(samples.begin(), samples.end(), audio.mutableValues<float>().begin());
    const auto features = predictArray(mel, "audio", audio, "melspectrogram_features");
    return predictArray(encoder, "melspectrogram_features", features, "encoder_output_embeds");
}

// The start sequence of a German transcription, then the greedy tokens:
// every step's logits, key and value updates and alignment weights.
std::vector<std::vector<float>> greedySteps(const MLModel& decoder, const MLMultiArray& audio, int steps)
{
    FolderDecoding decoding(decoder, audio);
    std::vector<std::vector<float>> answers;
    int token = 50258;
    const int start[] = {50258, 50261, 50359, 50363};
    for (int position = 0; position < steps; ++position) {
        const auto outputs = decoding.step(position < 4 ? start[position] : token, position);
        for (const char* name : {"logits", "key_cache_updates", "value_cache_updates", "alignment_heads_weights"})
            answers.push_back(arrayFloats(outputArray(*outputs, name)));
        const auto& logits = answers[answers.size() - 4];
        token = static_cast<int>(std::max_element(logits.begin(), logits.begin() + 50257) - logits.begin());
    }
    return answers;
}

} // namespace

// The mel and encoder folders run the kernels the engine library runs, on the
// same weights, and hand back their numbers rounded to halves.
TEST_F(WhisperModelKinds, MelAndEncoderAreTheKernelsInHalves)
{
    const auto model = QelCore::parseGgmlWhisperModel(QelTools::randomGgmlModel(kModel));
    const auto& hp = model.hparams;
    const auto samples = chirp(model.windowSamples(), 250);
    Platform::ML::MelSpectrogram melKernel(model.melFilters.data(), hp.nMels, model.windowSamples());
    std::vector<float> mel(static_cast<size_t>(hp.nMels) * model.melFrames());
    melKernel.compute(samples.data(), static_cast<long>(samples.size()), mel.data());
    const auto expectedMel = roundedToHalves(mel);
    std::vector<float> positions(static_cast<size_t>(hp.nAudioCtx) * hp.nAudioState), channels(positions.size());
    Platform::ML::WhisperEncoder(model).encode(expectedMel.data(), positions.data());
    Platform::ML::transpose(positions.data(), hp.nAudioCtx, hp.nAudioState, channels.data());
    const auto expectedEncoding = roundedToHalves(channels);

    const auto melFolder = load(QelTools::kMelSpectrogramFolder);
    const auto encoderFolder = load(QelTools::kAudioEncoderFolder);
    for (auto type : {MLMultiArrayDataType::float32, MLMultiArrayDataType::float16}) {
        MLMultiArray audio({model.windowSamples()}, type);
        for (size_t i = 0; i < samples.size(); ++i)
            audio.setNumber(static_cast<std::int64_t>(i), samples[i]);
        const bool exact = type == MLMultiArrayDataType::float32;
        const auto features = predictArray(*melFolder, "audio", audio, "melspectrogram_features");
        EXPECT_EQ(features.shape(), (std::vector<std::int64_t>{1, hp.nMels, 1, model.melFrames()}));
        if (exact) {
            EXPECT_EQ(arrayFloats(features), expectedMel);
        }
        const auto encoding = predictArray(*encoderFolder, "melspectrogram_features", features, "encoder_output_embeds");
        EXPECT_EQ(encoding.dataType(), MLMultiArrayDataType::float16);
        if (exact) {
            EXPECT_EQ(arrayFloats(encoding), expectedEncoding);
        } else { // samples in halves: a little different, not another answer
            const auto values = arrayFloats(encoding);
            for (size_t i = 0; i < expectedEncoding.size(); i += 101)
                EXPECT_NEAR(values[i], expectedEncoding[i], 0.05) << i;
        }
    }
}

// What masked cache positions hold, NaN included, plays no part; positions
// a mask hides in the middle of the cache are skipped as well.
TEST_F(WhisperModelKinds, MaskedCachePositionsPlayNoPart)
{
    const auto decoder = load(QelTools::kTextDecoderFolder);
    const auto audio = encodedChirp(*load(QelTools::kMelSpectrogramFolder), *load(QelTools::kAudioEncoderFolder), 300);
    const int tokens[] = {50258, 50261, 50359, 50363, 1000, 2000};
    // The same first six steps each time, then the seventh after `change`,
    // with the caches handed over as halves or as floats holding the same numbers.
    const auto answers = [&](std::function<void(FolderDecoding&)> change, bool floats = false) {
        FolderDecoding decoding(*decoder, audio);
        for (int position = 0; position < 6; ++position)
            decoding.step(tokens[position], position);
        auto inputs = decoding.inputs(3000, 6);
        change(decoding);
        for (const auto& [name, cache] :
             {std::pair{"key_cache", &decoding.keys}, std::pair{"value_cache", &decoding.values}})
            if (floats) {
                MLMultiArray widened(cache->shape(), MLMultiArrayDataType::float32);
                std::ranges::copy(arrayFloats(*cache), widened.mutableValues<float>().begin());
                inputs.insert_or_assign(name, MLFeatureValue(widened));
            }
        const auto outputs = decoder->prediction(MLDictionaryFeatureProvider(inputs));
        std::vector<std::vector<float>> result;
        for (const char* name : {"logits", "key_cache_updates", "value_cache_updates", "alignment_heads_weights"})
            result.push_back(arrayFloats(outputArray(*outputs, name)));
        return result;
    };
    const auto fill = [](MLMultiArray& cache, std::int64_t position, float value) {
        const auto length = cache.shape()[3];
        for (std::int64_t c = 0; c < cache.shape()[1]; ++c)
            cache.setNumber(c * length + position, value);
    };
    const auto clean = answers([](FolderDecoding&) {});
    EXPECT_EQ(answers([&](FolderDecoding& b) {
                  for (std::int64_t p = 6; p < b.keys.shape()[3]; ++p) {
                      fill(b.keys, p, NAN);
                      fill(b.values, p, p % 2 ? INFINITY : 60000);
                  }
              }),
              clean);

    // Position 4 hidden: the answers are those of a cache without it, whatever it holds.
    const auto hidden = [&](float garbage) {
        return answers([&](FolderDecoding& b) {
            b.paddingMask.setNumber(4, -10000);
            fill(b.keys, 4, garbage);
            fill(b.values, 4, garbage);
        });
    };
    EXPECT_EQ(hidden(NAN), hidden(0));
    EXPECT_NE(hidden(0), clean);

    // Caches of floats, read where they lie or gathered around the hidden
    // position, give the answers of halves up to the order of the sums: an
    // output near the middle of two halves may round to the other.
    const auto close = [](const std::vector<std::vector<float>>& got, const std::vector<std::vector<float>>& want) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].size(), want[i].size());
            for (size_t j = 0; j < got[i].size(); ++j)
                ASSERT_NEAR(got[i][j], want[i][j], 1e-3f * std::max(1.0f, std::abs(want[i][j]))) << i << ", " << j;
        }
    };
    close(answers([](FolderDecoding&) {}, true), clean);
    close(answers([&](FolderDecoding& b) { b.paddingMask.setNumber(4, -10000); }, true), hidden(0));
}

// Cross-attention keys and values are kept per encoder output and made again
// once the array is written to.
TEST_F(WhisperModelKinds, WritingTheEncoderOutputRecomputesItsCrossAttention)
{
    const auto decoder = load(QelTools::kTextDecoderFolder);
    const auto mel = load(QelTools::kMelSpectrogramFolder);
    const auto encoder = load(QelTools::kAudioEncoderFolder);
    auto audio = encodedChirp(*mel, *encoder, 300);
    const auto other = encodedChirp(*mel, *encoder, 900);
    const auto before = greedySteps(*decoder, audio, 6);

    std::ranges::copy(other.values<Float16>(), audio.mutableValues<Float16>().begin());
    const auto after = greedySteps(*decoder, audio, 6);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, greedySteps(*decoder, other, 6));
}

// One model, many callers, each with its own buffers and encoder output:
// every thread gets the answers it gets alone. The products split their work
// by the threads they may use, which moves the last bits of a sum, so every
// call here gets the same two.
TEST_F(WhisperModelKinds, ThreadsDecodingOnOneModelGetTheOneThreadAnswers)
{
    const auto decoder = load(QelTools::kTextDecoderFolder);
    const auto mel = load(QelTools::kMelSpectrogramFolder);
    const auto encoder = load(QelTools::kAudioEncoderFolder);
    Platform::ML::setComputeThreads(2);
    constexpr int kThreads = 8;
    std::vector<MLMultiArray> audio;
    std::vector<std::vector<std::vector<float>>> expected;
    for (int thread = 0; thread < kThreads; ++thread) {
        audio.push_back(encodedChirp(*mel, *encoder, 200 + 150 * thread));
        expected.push_back(greedySteps(*decoder, audio.back(), 8));
    }

    std::vector<std::vector<std::vector<float>>> answers(kThreads);
    std::vector<MLMultiArray> encoded(kThreads, MLMultiArray({1}, MLMultiArrayDataType::float16));
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread)
        threads.emplace_back([&, thread] {
            const auto t = static_cast<size_t>(thread);
            encoded[t] = encodedChirp(*mel, *encoder, 200 + 150 * thread);
            answers[t] = greedySteps(*decoder, audio[t], 8);
        });
    for (auto& thread : threads)
        thread.join();
    for (size_t t = 0; t < kThreads; ++t) {
        EXPECT_EQ(arrayFloats(encoded[t]), arrayFloats(audio[t])) << t;
        EXPECT_TRUE(answers[t] == expected[t]) << "thread " << t;
    }
    Platform::ML::setComputeThreads(0);
}

TEST_F(WhisperModelKinds, PredictionsRefuseInputsOutsideTheModel)
{
    const auto decoder = load(QelTools::kTextDecoderFolder);
    const auto prefill = load(QelTools::kContextPrefillFolder);
    const MLMultiArray audio({1, kModel.width, 1, kModel.audioCtx}, MLMultiArrayDataType::float16);
    const struct {
        const char* what;
        std::function<Inputs(FolderDecoding&)> inputs;
        const char* error;
    } cases[] = {
        {"a token past the vocabulary", [&](FolderDecoding& d) { return d.inputs(51865, 0); },
         "input_ids holds 51865, not a token of the vocabulary"},
        {"a position past the text context", [&](FolderDecoding& d) {
             auto in = d.inputs(1, 0);
             in.insert_or_assign("cache_length", MLFeatureValue(integerArray(448)));
             return in;
         }, "cache_length holds 448, not a position of the 448-token text context"},
        {"no update position", [&](FolderDecoding& d) {
             auto in = d.inputs(1, 0);
             d.updateMask.setNumber(0, 0);
             return in;
         }, "kv_cache_update_mask marks 0 positions; it must mark exactly one"},
        {"two update positions", [&](FolderDecoding& d) {
             auto in = d.inputs(1, 0);
             d.updateMask.setNumber(5, 1);
             return in;
         }, "kv_cache_update_mask marks 2 positions"},
        {"a task that is neither", [&](FolderDecoding&) {
             return Inputs{{"task", MLFeatureValue(integerArray(2))}, {"language", MLFeatureValue(integerArray(50259))}};
         }, "task holds 2; it must be 0 (transcribe) or 1 (translate)"},
        {"a language that is no language", [&](FolderDecoding&) {
             return Inputs{{"task", MLFeatureValue(integerArray(0))}, {"language", MLFeatureValue(integerArray(50258))}};
         }, "language holds 50258, not one of the model's language tokens"},
    };
    for (const auto& c : cases) {
        FolderDecoding decoding(*decoder, audio);
        const auto inputs = c.inputs(decoding);
        const auto& model = inputs.contains("task") ? prefill : decoder;
        try {
            model->prediction(MLDictionaryFeatureProvider(inputs));
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const MLModelError& error) {
            EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos) << c.what << ": " << error.what();
        }
    }
}

// A folder whose description does not fit its kind is refused when it loads,
// with the reason.
// A copy of the decoder folder, for tests that damage it.
std::filesystem::path copiedDecoder(const std::filesystem::path& from, const TemporaryFolder& to)
{
    const auto path = to.path() / QelTools::kTextDecoderFolder;
    std::filesystem::copy(from / QelTools::kTextDecoderFolder, path, std::filesystem::copy_options::recursive);
    return path;
}

TEST_F(WhisperModelKinds, ADecoderWithWeightsThatAreNoNumbersFailsAsTheEngineDoes)
{
    const TemporaryFolder copy;
    const auto path = copiedDecoder(folder_->path(), copy);
    // All bits set: NaN as a half and as a float.
    const auto size = std::filesystem::file_size(path / "weights.bin");
    std::ofstream(path / "weights.bin", std::ios::binary | std::ios::trunc) << std::string(size, '\xff');
    const auto decoder = MLModel::load(path);
    const auto audio = encodedChirp(*load(QelTools::kMelSpectrogramFolder), *load(QelTools::kAudioEncoderFolder), 300);
    FolderDecoding decoding(*decoder, audio);
    try {
        decoding.step(50258, 0);
        ADD_FAILURE() << "a step over NaN weights gave an answer";
    } catch (const MLModelError& error) {
        EXPECT_STREQ(error.what(), "Decoding failed: the model's scores are not finite numbers");
    }
}

TEST_F(WhisperModelKinds, AWeightsFileRewrittenInPlaceAfterLoadingChangesNothing)
{
    const TemporaryFolder copy;
    const auto path = copiedDecoder(folder_->path(), copy);
    const auto decoder = MLModel::load(path);
    const auto audio = encodedChirp(*load(QelTools::kMelSpectrogramFolder), *load(QelTools::kAudioEncoderFolder), 300);
    const auto before = greedySteps(*decoder, audio, 3);
    // Cut short in place, as a careless writer would, then written anew.
    std::filesystem::resize_file(path / "weights.bin", 0);
    std::ofstream(path / "weights.bin", std::ios::binary | std::ios::trunc) << "other";
    EXPECT_EQ(greedySteps(*decoder, audio, 3), before);
}

TEST_F(WhisperModelKinds, UnsuitableFoldersAreRefusedWithAReason)
{
    using Edit = std::function<void(ModelManifest&)>;
    const auto weight = [](ModelManifest& m, const std::string& name) -> WeightEntry& {
        return *std::ranges::find(m.weights, name, &WeightEntry::name);
    };
    const auto feature = [](std::vector<MLFeatureDescription>& list, const std::string& name) -> MLMultiArrayConstraint& {
        return *std::ranges::find(list, name, &MLFeatureDescription::name)->multiArrayConstraint;
    };
    const struct {
        std::string_view folder;
        const char* what;
        Edit edit;
        const char* error;
    } cases[] = {
        {QelTools::kTextDecoderFolder, "a missing weight",
         [](ModelManifest& m) { std::erase_if(m.weights, [](const auto& w) { return w.name == "decoder.ln.bias"; }); },
         "the weight 'decoder.ln.bias' is missing"},
        {QelTools::kTextDecoderFolder, "a weight of another shape",
         [&](ModelManifest& m) { weight(m, "decoder.ln.weight").shape = {16}; },
         "the weight 'decoder.ln.weight' has shape [16], expected [32]"},
        {QelTools::kTextDecoderFolder, "a vector of halves",
         [&](ModelManifest& m) { weight(m, "decoder.ln.weight").dataType = MLMultiArrayDataType::float16; },
         "the weight 'decoder.ln.weight' is float16, expected float32"},
        {QelTools::kAudioEncoderFolder, "a matrix of integers",
         [&](ModelManifest& m) { weight(m, "encoder.conv1.weight").dataType = MLMultiArrayDataType::int32; },
         "the weight 'encoder.conv1.weight' is int32, expected float16 or float32"},
        {QelTools::kTextDecoderFolder, "a hyper-parameter missing",
         [](ModelManifest& m) { m.hyperParameters.RemoveMember("nTextHead"); }, "hyperParameters.nTextHead is missing"},
        {QelTools::kAudioEncoderFolder, "heads that do not divide the width",
         [](ModelManifest& m) { m.hyperParameters["nAudioHead"] = 3; }, "width that its head count does not divide"},
        {QelTools::kTextDecoderFolder, "an alignment head past the layers",
         [](ModelManifest& m) { m.alignmentHeads = {{2, 0}}; }, "alignment head (2, 0) is not a head of the decoder"},
        {QelTools::kTextDecoderFolder, "alignment weights without heads",
         [](ModelManifest& m) { m.alignmentHeads.clear(); }, "needs alignment heads, and the description lists none"},
        {QelTools::kTextDecoderFolder, "a cache of another width",
         [&](ModelManifest& m) { feature(m.inputs, "key_cache").shape = {1, 63, 1, 224}; },
         "the input 'key_cache' has shape [1, 63, 1, 224], expected [1, 64, 1, 0]"},
        {QelTools::kTextDecoderFolder, "an output it does not make",
         [](ModelManifest& m) { m.outputs.push_back(m.outputs.front()); m.outputs.back().name = "logits_argmax"; },
         "the output 'logits_argmax' is not one a text decoder makes"},
        {QelTools::kMelSpectrogramFolder, "a window of part of a frame",
         [&](ModelManifest& m) { feature(m.inputs, "audio").shape = {31999}; },
         "the input 'audio' holds 31999 samples, not a multiple of 160"},
        {QelTools::kMelSpectrogramFolder, "features of other bands",
         [&](ModelManifest& m) { feature(m.outputs, "melspectrogram_features").shape = {1, 40, 1, 200}; },
         "expected [1, 80, 1, 200]"},
        {QelTools::kAudioEncoderFolder, "integer features",
         [&](ModelManifest& m) { feature(m.outputs, "encoder_output_embeds").dataType = MLMultiArrayDataType::int32; },
         "is not an array of float16 or float32"},
        {QelTools::kContextPrefillFolder, "tables of two shapes",
         [&](ModelManifest& m) { weight(m, "value_cache_prefill").shape = {2, 99, 64, 2}; },
         "differ in shape"},
    };
    for (const auto& c : cases) {
        TemporaryFolder scratch;
        const auto copy = scratch / std::string(c.folder);
        fs::copy(folder_->path() / c.folder, copy);
        auto manifest = ModelManifest::fromJSON(Platform::JSON::parseDocument(fileContents(copy / "model.json")));
        c.edit(manifest);
        rapidjson::Document document;
        std::ofstream(copy / "model.json", std::ios::trunc)
            << Platform::JSON::serialize(manifest.toJSON(document.GetAllocator()));
        try {
            MLModel::load(copy);
            ADD_FAILURE() << c.what << ": loaded";
        } catch (const MLModelError& error) {
            EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos) << c.what << ": " << error.what();
        }
    }
}

// The converter stores matrices as asked, keeps vectors in floats, lists the
// upper half of the decoder's heads unless told otherwise, and writes the
// prefill folder only on request.
TEST(WhisperFolders, ConvertAModelFileAsAsked)
{
    TemporaryFolder scratch;
    const auto model = scratch / "model.bin";
    QelTools::writeRandomGgmlModel(model, {.seed = 2, .vocab = 51864, .ftype = 0, .width = 16, .heads = 2,
                                           .layers = 4, .audioCtx = 20});
    const auto manifest = [&](const fs::path& folder, std::string_view name) {
        return ModelManifest::fromJSON(Platform::JSON::parseDocument(fileContents(folder / name / "model.json")));
    };
    const auto typeOf = [](const ModelManifest& m, const std::string& name) {
        return std::ranges::find(m.weights, name, &WeightEntry::name)->dataType;
    };

    QelTools::convertWhisperModel(model, scratch / "halves");
    const auto halves = manifest(scratch / "halves", QelTools::kTextDecoderFolder);
    EXPECT_EQ(typeOf(halves, "decoder.blocks.0.mlp.0.weight"), MLMultiArrayDataType::float16);
    EXPECT_EQ(typeOf(halves, "decoder.blocks.0.mlp.0.bias"), MLMultiArrayDataType::float32);
    EXPECT_EQ(halves.alignmentHeads, (std::vector<AlignmentHead>{{2, 0}, {2, 1}, {3, 0}, {3, 1}}));
    EXPECT_FALSE(fs::exists(scratch / "halves" / QelTools::kContextPrefillFolder));

    QelTools::convertWhisperModel(model, scratch / "floats",
                                  {.matrixType = MLMultiArrayDataType::float32, .contextPrefill = true,
                                   .alignmentHeads = std::vector<AlignmentHead>{}});
    const auto floatsManifest = manifest(scratch / "floats", QelTools::kTextDecoderFolder);
    EXPECT_EQ(typeOf(floatsManifest, "decoder.token_embedding.weight"), MLMultiArrayDataType::float32);
    EXPECT_TRUE(floatsManifest.alignmentHeads.empty());
    EXPECT_FALSE(MLModel::load(scratch / "floats" / QelTools::kTextDecoderFolder)
                     ->modelDescription()
                     .outputDescriptionsByName.contains("alignment_heads_weights"));

    // An English-only prefill holds the start of transcript alone and answers
    // the same to every task and language.
    const auto prefill = MLModel::load(scratch / "floats" / QelTools::kContextPrefillFolder);
    const auto caches = [&](int task, int language) {
        return arrayFloats(outputArray(*prefill->prediction(MLDictionaryFeatureProvider(
                                 Inputs{{"task", MLFeatureValue(integerArray(task))},
                                        {"language", MLFeatureValue(integerArray(language))}})),
                             "key_cache_prefill"));
    };
    EXPECT_EQ(caches(0, 50259).size(), 4u * 16u);
    EXPECT_EQ(caches(1, 7), caches(0, 50259));

    EXPECT_THROW(QelTools::convertWhisperModel(model, scratch / "bad", {.alignmentHeads = std::vector<AlignmentHead>{{4, 0}}}),
                 std::invalid_argument);
}
