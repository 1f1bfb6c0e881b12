#pragma once

#include "App/STT/STTEngine.h"
#include "RadozodEri/Core/DecodingOptions.h"
#include "RadozodEri/Core/RadozodEri.h"
#include "RadozodEri/Core/RadozodEriConfig.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace QEL {

// The built-in engine: the engine fetches the model folder of the selected
// name from the model hub, loads its models at the first transcription and
// decodes each utterance with one fixed set of options.
class RadozodEriEngine : public STTEngine {
public:
    // Load phases; their raw values are the labels the application shows.
    enum class ModelLoadPhase { downloading, compiling, loading, ready };
    static std::string_view rawValue(ModelLoadPhase phase);
    static std::optional<ModelLoadPhase> modelLoadPhase(std::string_view rawValue);

    // Set before load().
    std::function<void(ModelLoadPhase, double fraction)> onProgress;
    // A language code, or "auto" for the engine's own choice.
    std::string languageHint = "auto";

    // How the engine is built for a model: fetched from the hub when missing,
    // its models loaded only when the first utterance needs them.
    static RadozodEri::RadozodEriConfig engineConfig(const std::string& modelName);
    // The options every utterance is decoded with.
    RadozodEri::DecodingOptions decodingOptions() const;
    // The engine's first result as the application takes it; the empty result
    // (and an error in the log) when the engine gave none.
    static QELTranscriptionResult firstResult(const RadozodEri::RadozodEri::TranscriptionResults& results,
                                              double processingTime);

    void load(const std::string& modelName) override;
    // Safe to call from several threads at once, also while unload() runs:
    // each call keeps the engine alive until it returns.
    QELTranscriptionResult transcribe(const std::vector<float>& audioSamples) override;
    bool isLoaded() const override;
    // The name last asked for.
    std::string modelName() const override;
    // Drops the engine with its models.
    void unload() override;

private:
    void report(ModelLoadPhase phase, double fraction) const;

    mutable std::mutex mutex_;
    std::shared_ptr<RadozodEri::RadozodEri> radozodEri_;
    bool isLoaded_ = false;
    std::string modelName_;
};

} // namespace QEL
