#pragma once

// The built-in speech engine: its configuration, its replaceable stages, the
// tokenizer and the model folder, and the loading and unloading of its models.

#include "Platform/Progress/Progress.h"
#include "RadozodEri/Core/Audio/AudioInputConfig.h"
#include "RadozodEri/Core/ModelComputeOptions.h"
#include "RadozodEri/Core/ModelSupport.h"
#include "RadozodEri/Core/ModelVariant.h"
#include "RadozodEri/Core/RadozodEriConfig.h"
#include "RadozodEri/Core/TranscribeTask.h"
#include "RadozodEri/Core/TranscriptionResult.h"
#include "RadozodEri/Core/TranscriptionSegment.h"
#include "RadozodEri/Core/TranscriptionState.h"
#include "RadozodEri/Core/TranscriptionTimings.h"
#include "RadozodEri/Core/WhisperTokenizer.h"
#include "RuntimeCore/Models/ModelState.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace RadozodEri {

class RadozodEri {
protected:
    // Only create() builds an engine, so that the steps that may call a
    // subclass's overrides run once the object is whole.
    class ConstructionKey {
        friend class RadozodEri;
        ConstructionKey() = default;
    };

public:
    using ModelState = RuntimeCore::ModelState;
    using ModelStateCallback = std::function<void(std::optional<ModelState> oldState, ModelState newState)>;
    using SegmentDiscoveryCallback = std::function<void(const std::vector<TranscriptionSegment>&)>;
    using TranscriptionStateCallback = std::function<void(TranscriptionState)>;
    using ProgressCallback = std::function<void(const Platform::Progress&)>;
    // Hears every decoded token; false ends the current window early.
    using TranscriptionCallback = ::RadozodEri::ProgressCallback;
    using TranscriptionResults = std::vector<std::shared_ptr<TranscriptionResult>>;

    static constexpr int sampleRate = 16000;
    static constexpr int hopLength = 160;
    static constexpr float secondsPerTimeToken = 0.02f;

    // Fills in the stages the configuration leaves out, sets the shared log
    // level, finds or downloads the model folder and, when asked, prewarms and
    // loads the models. Throws what those steps throw; no engine is made then.
    template <class Engine = RadozodEri>
    static std::shared_ptr<Engine> create(const RadozodEriConfig& config)
    {
        std::shared_ptr<Engine> engine(new Engine(ConstructionKey(), config));
        engine->setUp(config);
        return engine;
    }

    // The same with a configuration of these fields, the rest left absent.
    template <class Engine = RadozodEri>
    static std::shared_ptr<Engine>
    create(std::optional<std::string> model, std::optional<std::filesystem::path> downloadBase = std::nullopt,
           std::optional<std::string> modelRepo = std::nullopt, std::optional<std::string> modelFolder = std::nullopt,
           std::optional<std::filesystem::path> tokenizerFolder = std::nullopt,
           std::optional<ModelComputeOptions> computeOptions = std::nullopt,
           std::shared_ptr<AudioProcessing> audioProcessor = nullptr,
           std::shared_ptr<FeatureExtracting> featureExtractor = nullptr,
           std::shared_ptr<AudioEncoding> audioEncoder = nullptr, std::shared_ptr<TextDecoding> textDecoder = nullptr,
           std::optional<std::vector<std::shared_ptr<LogitsFiltering>>> logitsFilters = std::nullopt,
           std::shared_ptr<SegmentSeeking> segmentSeeker = nullptr, bool verbose = true,
           RuntimeCore::LogLevel logLevel = RuntimeCore::LogLevel::info, std::optional<bool> prewarm = std::nullopt,
           std::optional<bool> load = std::nullopt, bool download = true, bool useBackgroundDownloadSession = false)
    {
        RadozodEriConfig config;
        config.model = std::move(model);
        config.downloadBase = std::move(downloadBase);
        config.modelRepo = std::move(modelRepo);
        config.modelFolder = std::move(modelFolder);
        config.tokenizerFolder = std::move(tokenizerFolder);
        config.computeOptions = computeOptions;
        config.audioProcessor = std::move(audioProcessor);
        config.featureExtractor = std::move(featureExtractor);
        config.audioEncoder = std::move(audioEncoder);
        config.textDecoder = std::move(textDecoder);
        config.logitsFilters = std::move(logitsFilters);
        config.segmentSeeker = std::move(segmentSeeker);
        config.verbose = verbose;
        config.logLevel = logLevel;
        config.prewarm = prewarm;
        config.load = load;
        config.download = download;
        config.useBackgroundDownloadSession = useBackgroundDownloadSession;
        return create<Engine>(config);
    }

    RadozodEri(ConstructionKey, const RadozodEriConfig& config);
    RadozodEri(const RadozodEri&) = delete;
    RadozodEri& operator=(const RadozodEri&) = delete;
    // Stops any recording.
    virtual ~RadozodEri();

    ModelVariant modelVariant() const;
    ModelState modelState() const;
    std::shared_ptr<const WhisperTokenizer> tokenizer() const;
    // Also the text decoder's tokenizer.
    void setTokenizer(std::shared_ptr<const WhisperTokenizer> tokenizer);
    TranscriptionTimings currentTimings() const;
    std::shared_ptr<Platform::Progress> progress() const;
    std::optional<std::filesystem::path> modelFolder() const;
    void setModelFolder(std::optional<std::filesystem::path> folder);
    bool useBackgroundDownloadSession() const { return useBackgroundDownloadSession_; }

    // Read when a load runs; set them before, not while, the engine works.
    ModelComputeOptions modelCompute;
    AudioInputConfig audioInputConfig;
    std::shared_ptr<AudioProcessing> audioProcessor;
    std::shared_ptr<FeatureExtracting> featureExtractor;
    std::shared_ptr<AudioEncoding> audioEncoder;
    std::shared_ptr<TextDecoding> textDecoder;
    std::shared_ptr<SegmentSeeking> segmentSeeker;
    std::shared_ptr<VoiceActivityDetector> voiceActivityDetector;
    std::optional<std::filesystem::path> tokenizerFolder;
    SegmentDiscoveryCallback segmentDiscoveryCallback;
    // Called with every state the engine assigns, also the one it already has.
    ModelStateCallback modelStateCallback;
    TranscriptionStateCallback transcriptionStateCallback;

    // Sets the model folder: a local folder as given (not checked), else,
    // with `download`, the hub folder of `model` (or of the device's default
    // variant) in `modelRepo`; otherwise it leaves the folder as it was.
    virtual void setupModels(const std::optional<std::string>& model,
                             const std::optional<std::filesystem::path>& downloadBase,
                             const std::optional<std::string>& modelRepo, const std::optional<std::string>& modelToken,
                             const std::optional<std::string>& modelFolder, bool download,
                             const std::string& remoteConfigName, const std::string& endpoint);
    virtual void prewarmModels();
    // Loads the models of the model folder in the order mel, prefill, decoder,
    // encoder, then the tokenizer. A failure keeps what was loaded before it
    // and leaves the state at loading (or prewarming).
    virtual void loadModels(bool prewarmMode = false);
    virtual void loadTokenizerIfNeeded();
    virtual void unloadModels();
    // Stops recording and starts fresh timings; models and folders stay.
    virtual void clearState();
    // Process-wide: every user of the shared logger logs through it; an empty
    // callback restores the system log.
    virtual void loggingCallback(std::function<void(const std::string&)> callback);

    // The machine's hardware model.
    static std::string deviceName();
    static ModelSupport recommendedModels();
    static ModelSupport recommendedRemoteModels(const std::string& repo,
                                                const std::optional<std::filesystem::path>& downloadBase,
                                                const std::optional<std::string>& token,
                                                const std::string& remoteConfigName, const std::string& endpoint);
    // Every failure is logged and answered with the built-in table.
    static ModelSupportConfig fetchModelSupportConfig(const std::string& repo,
                                                      const std::optional<std::filesystem::path>& downloadBase,
                                                      const std::optional<std::string>& token,
                                                      const std::string& remoteConfigName, const std::string& endpoint);
    // The device's supported models that any pattern matches, each once, by size.
    static std::vector<std::string> fetchAvailableModels(const std::string& repo,
                                                         const std::vector<std::string>& patterns,
                                                         const std::optional<std::filesystem::path>& downloadBase,
                                                         const std::optional<std::string>& token,
                                                         const std::string& remoteConfigName,
                                                         const std::string& endpoint);
    // Fetches the one folder of the repository that holds `variant` and
    // returns its local path.
    static std::filesystem::path download(const std::string& variant,
                                          const std::optional<std::filesystem::path>& downloadBase,
                                          bool useBackgroundSession, const std::string& repo,
                                          const std::optional<std::string>& token, const std::string& endpoint,
                                          const ProgressCallback& progressCallback = {});
    // HUB_ENDPOINT when set, else the placeholder default.
    static std::string defaultEndpoint();

    // Transcription. Each form that hands on to another calls it as a virtual
    // function, so an override of one form changes the forms built on it. A
    // first transcription loads the models when they are not loaded. A stop
    // requested through `stop` ends a transcription with
    // RuntimeCore::CancellationError and gives the engine a fresh progress.

    // The whole file, read as 16 kHz mono by the channel mode of
    // audioInputConfig. The state callback hears convertingAudio, then
    // transcribing, then finished (also when transcribing fails); a file that
    // cannot be read ends with its loading error after convertingAudio.
    virtual TranscriptionResults transcribe(const std::string& audioPath,
                                            const std::optional<DecodingOptions>& decodeOptions = std::nullopt,
                                            const TranscriptionCallback& callback = {}, std::stop_token stop = {});
    // The samples, 16 kHz mono. The segments of each window go to
    // `segmentCallback`, or, when it is empty, to segmentDiscoveryCallback as
    // it is when the call starts.
    virtual TranscriptionResults transcribe(const std::vector<float>& audioArray,
                                            const std::optional<DecodingOptions>& decodeOptions,
                                            const TranscriptionCallback& callback,
                                            const SegmentDiscoveryCallback& segmentCallback, std::stop_token stop = {});
    // The first result of the list forms above (the samples' without a
    // segment callback of their own); none for an empty list.
    virtual std::shared_ptr<TranscriptionResult>
    transcribeFirst(const std::string& audioPath, const std::optional<DecodingOptions>& decodeOptions = std::nullopt,
                    const TranscriptionCallback& callback = {}, std::stop_token stop = {});
    virtual std::shared_ptr<TranscriptionResult>
    transcribeFirst(const std::vector<float>& audioArray,
                    const std::optional<DecodingOptions>& decodeOptions = std::nullopt,
                    const TranscriptionCallback& callback = {}, std::stop_token stop = {});

    // A task over the given stages, not started.
    virtual std::shared_ptr<TranscribeTask>
    setupTranscribeTask(const TranscriptionTimings& currentTimings, std::shared_ptr<Platform::Progress> progress,
                        std::shared_ptr<AudioProcessing> audioProcessor, std::shared_ptr<AudioEncoding> audioEncoder,
                        std::shared_ptr<FeatureExtracting> featureExtractor,
                        std::shared_ptr<SegmentSeeking> segmentSeeker, std::shared_ptr<TextDecoding> textDecoder,
                        std::shared_ptr<const WhisperTokenizer> tokenizer);
    // Loads the models unless they are loaded, then runs one task over the
    // samples with a child of the engine's progress; one result.
    // WhisperError tokenizerUnavailable when loading left no tokenizer.
    virtual TranscriptionResults runTranscribeTask(const std::vector<float>& audioArray,
                                                   const std::optional<DecodingOptions>& decodeOptions,
                                                   const TranscriptionCallback& callback,
                                                   const SegmentDiscoveryCallback& segmentCallback,
                                                   std::stop_token stop = {});

protected:
    // Every assignment reaches modelStateCallback.
    void setModelState(ModelState state);
    void setModelVariant(ModelVariant variant);
    void updateTimings(const std::function<void(TranscriptionTimings&)>& update);
    // Starts a new count for the transcriptions that follow.
    void replaceProgress();

    // Serialises loading, prewarming and unloading (and the loads that
    // transcriptions start), so that two of them never interleave.
    std::recursive_mutex lifecycleMutex;

private:
    // Finds or downloads the model folder, then prewarms and loads as asked.
    void setUp(const RadozodEriConfig& config);

    mutable std::mutex stateMutex_;
    ModelVariant modelVariant_ = ModelVariant::tiny;
    ModelState modelState_ = ModelState::unloaded;
    std::shared_ptr<const WhisperTokenizer> tokenizer_;
    TranscriptionTimings currentTimings_;
    std::shared_ptr<Platform::Progress> progress_ = std::make_shared<Platform::Progress>(0);
    std::optional<std::filesystem::path> modelFolder_;
    bool useBackgroundDownloadSession_ = false;
};

} // namespace RadozodEri
