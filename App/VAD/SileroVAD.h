#pragma once

#include "App/VAD/VoiceActivityDetector.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace QEL {

// Failures of the neural detector; what() is the description shown to the user.
class SileroVADError : public std::runtime_error {
public:
    enum class Kind { missingOutput, modelNotFound, onnxRuntimeUnavailable, sessionNotInitialized };

    static SileroVADError missingOutput(const std::string& tensorName);
    static SileroVADError modelNotFound(const std::string& path);
    static SileroVADError onnxRuntimeUnavailable();
    static SileroVADError sessionNotInitialized();

    Kind kind() const { return kind_; }

private:
    SileroVADError(Kind kind, const std::string& description);
    Kind kind_;
};

// Placeholder for a neural detector. The program carries no runtime for its
// model, so construction always fails and callers fall back to EnergyVAD.
class SileroVAD : public VoiceActivityDetector {
public:
    // Always throws SileroVADError::onnxRuntimeUnavailable().
    SileroVAD(const std::string& modelPath, float speechThreshold, int silenceDurationMs);

    VADResult process(const std::vector<float>&) override { return VADResult::silence; }
    void reset() override {}
    bool isSpeechActive() const override { return false; }

    // Looks for "silero_vad.onnx" beside the running program, in a "Resources"
    // folder next to the program's folder, then in "Resources" four folders above it.
    static std::optional<std::string> findModelPath();
    // The same search from a given program folder.
    static std::optional<std::string> findModelPath(const std::filesystem::path& programFolder);
};

} // namespace QEL
