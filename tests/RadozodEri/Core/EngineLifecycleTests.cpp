#include "RadozodEri/Core/Audio/AudioProcessor.h"
#include "RadozodEri/Core/AudioEncoder.h"
#include "RadozodEri/Core/FeatureExtractor.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Core/TextDecoder.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "Support/LogCapture.h"
#include "Support/TestEnvironment.h"
#include "tools/ModelFolder/WhisperFolders.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

using Platform::CoreML::MLComputeUnits;
using RadozodEri::RadozodEriConfig;
using RuntimeCore::ModelState;
using testing::ElementsAre;
using testing::IsSupersetOf;
using Transition = std::pair<std::optional<ModelState>, ModelState>;

namespace {

// A decoder and an encoder that report the sizes of a larger model than the
// small random one they load.
class SizedDecoder : public RadozodEri::TextDecoder {
public:
    explicit SizedDecoder(int logits) : logits_(logits) {}
    std::optional<int> logitsSize() const override { return logits_; }

private:
    int logits_;
};

class SizedEncoder : public RadozodEri::AudioEncoder {
public:
    explicit SizedEncoder(int width) : width_(width) {}
    std::optional<int> embedSize() const override { return width_; }

private:
    int width_;
};

class CountingAudioProcessor : public RadozodEri::AudioProcessor {
public:
    void stopRecording() override { ++stops; }
    int stops = 0;
};

// Finds its model folder without a hub.
class LocalEngine : public RadozodEri::RadozodEri {
public:
    LocalEngine(ConstructionKey key, const RadozodEriConfig& config) : RadozodEri(key, config) {}
    void setupModels(const std::optional<std::string>&, const std::optional<std::filesystem::path>&,
                     const std::optional<std::string>&, const std::optional<std::string>&,
                     const std::optional<std::string>&, bool, const std::string&, const std::string&) override
    {
        setModelFolder(folder);
    }
    static inline std::filesystem::path folder;
};

class EngineLifecycle : public testing::Test {
protected:
    // One small random English model with its context-prefill model and the
    // English test tokenizer, and a folder with only its mel model.
    static void SetUpTestSuite()
    {
        folders_ = new TestSupport::TemporaryFolder;
        QelTools::writeRandomModelFolders(modelFolder(), {.vocab = QelTools::englishVocabularySize},
                                          {.contextPrefill = true});
        hasTokenizer_ = QelTools::writeFetchedTestTokenizer(modelFolder());
        std::filesystem::create_directories(melOnlyFolder());
        std::filesystem::copy(modelFolder() / QelTools::kMelSpectrogramFolder,
                              melOnlyFolder() / QelTools::kMelSpectrogramFolder,
                              std::filesystem::copy_options::recursive);
    }
    static void TearDownTestSuite() { delete folders_; }

    void SetUp() override
    {
        if (!hasTokenizer_)
            GTEST_SKIP() << "GPT-2's files are absent";
    }

    static std::filesystem::path modelFolder() { return folders_->path() / "model"; }
    static std::filesystem::path melOnlyFolder() { return folders_->path() / "mel-only"; }

    static RadozodEriConfig localConfig(std::optional<std::filesystem::path> folder = modelFolder())
    {
        RadozodEriConfig config;
        if (folder)
            config.modelFolder = folder->string();
        config.download = false;
        config.load = false;
        return config;
    }

    // Every state change of the engine from now on.
    std::vector<Transition>& record(RadozodEri::RadozodEri& engine)
    {
        engine.modelStateCallback = [this](std::optional<ModelState> old, ModelState now) {
            std::lock_guard lock(mutex_);
            transitions_.emplace_back(old, now);
        };
        return transitions_;
    }

    static std::string loadFailure(RadozodEri::RadozodEri& engine)
    {
        try {
            engine.loadModels();
        } catch (const RadozodEri::WhisperError& error) {
            return error.what();
        }
        return "no error";
    }

private:
    static inline TestSupport::TemporaryFolder* folders_ = nullptr;
    static inline bool hasTokenizer_ = false;
    std::mutex mutex_;
    std::vector<Transition> transitions_;
};

} // namespace

TEST_F(EngineLifecycle, ConstructionFillsInTheDefaultsAndKeepsWhatIsGiven)
{
    TestSupport::LogCapture log(RuntimeCore::LogLevel::info);
    auto decoder = std::make_shared<RadozodEri::TextDecoder>();
    decoder->logitsFilters->push_back(nullptr);
    auto config = localConfig(std::nullopt);
    config.downloadBase = "/downloads";
    config.textDecoder = decoder;
    config.verbose = false;
    config.logLevel = RuntimeCore::LogLevel::debug;
    const auto engine = RadozodEri::RadozodEri::create(config);

    EXPECT_EQ(engine->modelVariant(), RadozodEri::ModelVariant::tiny);
    EXPECT_EQ(engine->modelState(), ModelState::unloaded);
    EXPECT_EQ(engine->modelCompute.melCompute, MLComputeUnits::cpuAndGPU);
    EXPECT_EQ(engine->modelCompute.audioEncoderCompute, MLComputeUnits::cpuAndNeuralEngine);
    EXPECT_EQ(engine->modelCompute.textDecoderCompute, MLComputeUnits::cpuAndNeuralEngine);
    EXPECT_EQ(engine->modelCompute.prefillCompute, MLComputeUnits::cpuOnly);
    EXPECT_EQ(engine->tokenizerFolder, std::filesystem::path("/downloads"));
    EXPECT_FALSE(engine->modelFolder());
    EXPECT_EQ(engine->textDecoder, decoder);
    EXPECT_EQ(decoder->logitsFilters->size(), 1u) << "an absent list leaves the decoder's";
    EXPECT_EQ(RuntimeCore::Logging::shared().logLevel(), RuntimeCore::LogLevel::none);

    config.logitsFilters.emplace();
    config.tokenizerFolder = "/tokenizers";
    config.verbose = true;
    const auto second = RadozodEri::RadozodEri::create(config);
    EXPECT_TRUE(decoder->logitsFilters->empty()) << "an empty list empties the decoder's";
    EXPECT_EQ(second->tokenizerFolder, std::filesystem::path("/tokenizers"));
    EXPECT_EQ(RuntimeCore::Logging::shared().logLevel(), RuntimeCore::LogLevel::debug);

    // The form with the fields as arguments builds the same configuration.
    const auto convenient = RadozodEri::RadozodEri::create(
        std::nullopt, "/downloads", std::nullopt, std::nullopt, std::nullopt, std::nullopt, nullptr, nullptr, nullptr,
        decoder, std::nullopt, nullptr, false, RuntimeCore::LogLevel::debug, std::nullopt, std::nullopt, false);
    EXPECT_EQ(convenient->tokenizerFolder, std::filesystem::path("/downloads"));
    EXPECT_EQ(convenient->textDecoder, decoder);
    EXPECT_FALSE(convenient->modelFolder());
    EXPECT_EQ(RuntimeCore::Logging::shared().logLevel(), RuntimeCore::LogLevel::none);

    // Neither a folder nor a download: the load says what is missing, and a
    // second load reports the state it already has.
    auto& transitions = record(*second);
    EXPECT_EQ(loadFailure(*second), "Model folder is not set.");
    EXPECT_EQ(loadFailure(*second), "Model folder is not set.");
    EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::unloaded, ModelState::loading},
                                         Transition{ModelState::loading, ModelState::loading}));
}

TEST_F(EngineLifecycle, ConstructionCallsASubclassesSetupAndPrewarmsWithoutLoading)
{
    LocalEngine::folder = modelFolder();
    auto config = localConfig(std::nullopt);
    config.load.reset();
    config.prewarm = true;
    const auto engine = RadozodEri::RadozodEri::create<LocalEngine>(config);

    EXPECT_EQ(engine->modelFolder(), modelFolder());
    EXPECT_EQ(engine->modelState(), ModelState::prewarmed);
    EXPECT_FALSE(engine->tokenizer());
    const auto timings = engine->currentTimings();
    EXPECT_GT(timings.decoderSpecializationTime, 0);
    EXPECT_GT(timings.encoderSpecializationTime, 0);
    EXPECT_GT(timings.prewarmLoadTime, 0);
    EXPECT_EQ(timings.decoderLoadTime, 0);
    EXPECT_EQ(timings.encoderLoadTime, 0);
    EXPECT_FALSE(dynamic_cast<RadozodEri::FeatureExtractor&>(*engine->featureExtractor).model())
        << "prewarming keeps no model";

    // A later load counts the prewarm in.
    auto& transitions = record(*engine);
    engine->loadModels();
    EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::prewarmed, ModelState::loading},
                                         Transition{ModelState::loading, ModelState::loaded}));
    EXPECT_GE(engine->currentTimings().modelLoading, timings.prewarmLoadTime);

    engine->clearState();
    EXPECT_EQ(engine->currentTimings().modelLoading, 0);
    EXPECT_EQ(engine->currentTimings().inputAudioSeconds, 0.001);
    EXPECT_EQ(engine->modelState(), ModelState::loaded);
}

TEST_F(EngineLifecycle, LoadsInOrderThenTheTokenizerAndKeepsItThroughAnUnload)
{
    TestSupport::LogCapture log;
    auto config = localConfig();
    config.load.reset();
    config.logLevel = RuntimeCore::LogLevel::debug;
    config.computeOptions = RadozodEri::ModelComputeOptions{.melCompute = MLComputeUnits::cpuOnly};
    const auto engine = RadozodEri::RadozodEri::create(config);

    EXPECT_EQ(engine->modelState(), ModelState::loaded) << "a configured folder loads when load is absent";
    EXPECT_THAT(log.lines, IsSupersetOf({"Loading feature extractor", "Loading text decoder prefill data",
                                         "Loading text decoder", "Loading audio encoder"}));
    std::vector<std::string> order;
    for (const auto& line : log.lines)
        if (line.starts_with("Loading ") && !line.starts_with("Loading models") &&
            !line.starts_with("Loading tokenizer"))
            order.push_back(line);
    EXPECT_THAT(order, ElementsAre("Loading feature extractor", "Loading text decoder prefill data",
                                   "Loading text decoder", "Loading audio encoder"));
    auto& extractor = dynamic_cast<RadozodEri::FeatureExtractor&>(*engine->featureExtractor);
    EXPECT_EQ(extractor.model()->configuration().computeUnits, MLComputeUnits::cpuOnly);
    ASSERT_TRUE(engine->textDecoder->prefillData);
    EXPECT_TRUE(engine->textDecoder->prefillData->model());
    const auto tokenizer = engine->tokenizer();
    ASSERT_TRUE(tokenizer);
    EXPECT_EQ(engine->textDecoder->tokenizer, tokenizer);
    EXPECT_GT(engine->currentTimings().tokenizerLoadTime, 0);

    // Unloading drops the models, not the tokenizer; the next load reads the
    // compute units the object holds then.
    log.lines.clear();
    engine->unloadModels();
    EXPECT_FALSE(extractor.model());
    EXPECT_THAT(log.lines, testing::Contains("Unloaded all models"));
    engine->modelCompute.melCompute = MLComputeUnits::cpuAndGPU;
    engine->loadModels();
    EXPECT_THAT(log.lines, testing::Contains("Tokenizer already exists on RadozodEri, skipping load"));
    EXPECT_EQ(engine->tokenizer(), tokenizer);
    EXPECT_EQ(extractor.model()->configuration().computeUnits, MLComputeUnits::cpuAndGPU);

    // Assigning a tokenizer gives the decoder the same one.
    engine->setTokenizer(nullptr);
    EXPECT_FALSE(engine->textDecoder->tokenizer);
}

TEST_F(EngineLifecycle, AMissingModelFailsBeforeAnythingLoadsAndTheFolderIsReadAtLoad)
{
    const auto engine = RadozodEri::RadozodEri::create(localConfig(melOnlyFolder()));
    auto& transitions = record(*engine);
    EXPECT_EQ(loadFailure(*engine),
              "Model file not found at " + (melOnlyFolder() / QelTools::kAudioEncoderFolder).string());
    EXPECT_EQ(engine->modelState(), ModelState::loading);
    EXPECT_FALSE(dynamic_cast<RadozodEri::FeatureExtractor&>(*engine->featureExtractor).model());

    engine->setModelFolder(modelFolder());
    engine->loadModels();
    EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::unloaded, ModelState::loading},
                                         Transition{ModelState::loading, ModelState::loading},
                                         Transition{ModelState::loading, ModelState::loaded}));

    // A local folder that does not exist is taken as it is.
    EXPECT_NO_THROW(RadozodEri::RadozodEri::create(localConfig("/no/such/folder")));
}

TEST_F(EngineLifecycle, TheVariantAndLanguagesFollowTheDecodersVocabularyAndTheEncodersWidth)
{
    struct Case {
        int logits;
        int width;
        const char* variant;
        bool multilingual;
    };
    for (const Case& c :
         {Case{51864, 512, "base.en", false}, Case{51865, 512, "base", true}, Case{51864, 384, "tiny.en", false}}) {
        auto config = localConfig();
        config.textDecoder = std::make_shared<SizedDecoder>(c.logits);
        config.audioEncoder = std::make_shared<SizedEncoder>(c.width);
        const auto engine = RadozodEri::RadozodEri::create(config);
        engine->loadModels();
        EXPECT_EQ(RadozodEri::description(engine->modelVariant()), c.variant);
        EXPECT_EQ(engine->textDecoder->isModelMultilingual, c.multilingual) << c.logits;
    }
}

TEST_F(EngineLifecycle, UnloadingANeverLoadedEngineStillPassesThroughUnloading)
{
    TestSupport::LogCapture log(RuntimeCore::LogLevel::info);
    auto processor = std::make_shared<CountingAudioProcessor>();
    auto config = localConfig();
    config.audioProcessor = processor;
    {
        const auto engine = RadozodEri::RadozodEri::create(config);
        auto& transitions = record(*engine);
        engine->unloadModels();
        EXPECT_THAT(transitions, ElementsAre(Transition{ModelState::unloaded, ModelState::unloading},
                                             Transition{ModelState::unloading, ModelState::unloaded}));
        EXPECT_THAT(log.lines, ElementsAre("Unloaded all models"));
        EXPECT_EQ(processor->stops, 0);
    }
    EXPECT_EQ(processor->stops, 1) << "the engine's end stops recording once";
}

TEST_F(EngineLifecycle, LoadsAndUnloadsFromManyThreadsNeverInterleave)
{
    const auto engine = RadozodEri::RadozodEri::create(localConfig());
    auto& transitions = record(*engine);
    std::vector<std::thread> threads;
    for (int index = 0; index < 8; ++index)
        threads.emplace_back([&engine, index] {
            if (index % 2)
                engine->unloadModels();
            else
                engine->loadModels();
        });
    for (auto& thread : threads)
        thread.join();

    ASSERT_EQ(transitions.size(), 16u);
    for (std::size_t index = 0; index < transitions.size(); index += 2) {
        const ModelState through = transitions[index].second;
        ASSERT_TRUE(through == ModelState::loading || through == ModelState::unloading);
        EXPECT_EQ(transitions[index + 1],
                  (Transition{through, through == ModelState::loading ? ModelState::loaded : ModelState::unloaded}));
    }
}
