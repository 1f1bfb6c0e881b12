#pragma once

#include "Platform/CoreML/Folder/ModelManifest.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace QelTools {

// The folders a Whisper model is converted into, by the kind each holds.
inline constexpr std::string_view kMelSpectrogramFolder = "MelSpectrogram.mlmodelc";
inline constexpr std::string_view kAudioEncoderFolder = "AudioEncoder.mlmodelc";
inline constexpr std::string_view kTextDecoderFolder = "TextDecoder.mlmodelc";
inline constexpr std::string_view kContextPrefillFolder = "TextDecoderContextPrefill.mlmodelc";

// Cache positions of the converted text decoder.
inline constexpr int kDecoderCachePositions = 224;

struct WhisperFolderOptions {
    // How the matrices are stored: float16 or float32. Either is used in
    // place from the mapped file; the products widen halves as they read
    // them. Vectors are always float32.
    Platform::CoreML::MLMultiArrayDataType matrixType = Platform::CoreML::MLMultiArrayDataType::float16;
    // Also the context-prefill model. It never hears the audio (its cache is
    // decoded against silence), so decoding the start sequence with the
    // audio stays the default.
    bool contextPrefill = false;
    // Cross-attention heads for word alignment; none given: every head of the
    // upper half of the decoder's layers.
    std::optional<std::vector<Platform::CoreML::AlignmentHead>> alignmentHeads = std::nullopt;
};

// Converts a ggml Whisper model file into `folder`: MelSpectrogram,
// AudioEncoder, TextDecoder and, on request, TextDecoderContextPrefill, each
// folder written whole or not at all. Throws QelCore::ModelFileError for a
// file the engine would refuse and std::invalid_argument for a model or
// options that cannot be converted.
void convertWhisperModel(const std::filesystem::path& ggml, const std::filesystem::path& folder,
                         const WhisperFolderOptions& options = {});

// Folders of a random-weight model: the random ggml model of `model`, converted.
void writeRandomModelFolders(const std::filesystem::path& folder, const RandomModelOptions& model,
                             const WhisperFolderOptions& options = {});

} // namespace QelTools
