#pragma once

#include "RadozodEri/Core/Audio/AudioInputConfig.h"
#include "RadozodEri/Core/ModelComputeOptions.h"
#include "RuntimeCore/Logging/LogLevel.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace RadozodEri {

// The replaceable stages of the engine; each interface lives with its stage.
class AudioProcessing;
class FeatureExtracting;
class AudioEncoding;
class TextDecoding;
class LogitsFiltering;
class SegmentSeeking;
class VoiceActivityDetector;

// How to build the engine: which model, where it lives or comes from, the
// processors per model, replacement stages, logging, and what to do at
// construction. The engine reads it once while it is built; it is shared by
// reference and held through a shared pointer. An empty stage pointer or
// optional means absent: the engine uses its default.
struct RadozodEriConfig {
    // A model name, as "openai_whisper-base"; absent: the device's default.
    std::optional<std::string> model;
    // Base folder of the local model download cache.
    std::optional<std::filesystem::path> downloadBase;
    // Hub repository to download the model from.
    std::optional<std::string> modelRepo;
    // Hub access token.
    std::optional<std::string> modelToken;
    std::optional<std::string> modelEndpoint;
    // A local folder that already holds the model: nothing is downloaded.
    std::optional<std::string> modelFolder;
    // Where tokenizer files are cached; absent: `downloadBase`.
    std::optional<std::filesystem::path> tokenizerFolder;
    std::optional<ModelComputeOptions> computeOptions;
    std::optional<AudioInputConfig> audioInputConfig;
    std::shared_ptr<AudioProcessing> audioProcessor;
    std::shared_ptr<FeatureExtracting> featureExtractor;
    std::shared_ptr<AudioEncoding> audioEncoder;
    std::shared_ptr<TextDecoding> textDecoder;
    // Installed as the text decoder's extra filters.
    std::optional<std::vector<std::shared_ptr<LogitsFiltering>>> logitsFilters;
    std::shared_ptr<SegmentSeeking> segmentSeeker;
    // Finds the silences where long audio is cut.
    std::shared_ptr<VoiceActivityDetector> voiceActivityDetector;
    // False: the engine logs nothing; true: it logs at `logLevel`.
    bool verbose = true;
    RuntimeCore::LogLevel logLevel = RuntimeCore::LogLevel::info;
    // Prewarm the models at construction.
    std::optional<bool> prewarm;
    // Load the models at construction; absent: only when `modelFolder` is set.
    std::optional<bool> load;
    // Download the model when no `modelFolder` is given.
    bool download = true;
    bool useBackgroundDownloadSession = false;
};

} // namespace RadozodEri
