#pragma once

#include "App/STT/QelCoreLibrary.h"
#include "App/STT/STTEngine.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace QEL {

// The default engine: hands each utterance to the outside engine library. It
// maps the model name to a model file, keeps model files in a cache folder
// (downloading a missing one), creates the library engine with a language hint
// and a prompt, and reports the load phases.
class QelCoreEngine : public STTEngine {
public:
    // Load phases; their raw values are the labels the application shows.
    enum class ModelLoadPhase { downloading, compiling, loading, prewarming, ready };
    static std::string_view rawValue(ModelLoadPhase phase);
    static std::optional<ModelLoadPhase> modelLoadPhase(std::string_view rawValue);

    static constexpr const char* defaultInitialPrompt = "QEL is a cross-platform voice dictation app. Speak QEL.";

    explicit QelCoreEngine(const QelCoreLibrary& library = QelCoreLibrary::linked());

    // Set before load().
    std::function<void(ModelLoadPhase, double fraction)> onProgress;
    std::string languageHint = "auto";
    std::optional<std::string> initialPrompt;

    void load(const std::string& modelName) override;
    // Safe to call from several threads at once, also while unload() runs: each
    // call keeps the library engine alive until it returns.
    QELTranscriptionResult transcribe(const std::vector<float>& audioSamples) override;
    bool isLoaded() const override;
    // The model that is loaded; while none is, the name last asked for.
    std::string modelName() const override;
    void unload() override;

private:
    void report(ModelLoadPhase phase, double fraction) const;
    std::string lastError(const char* fallback) const;

    const QelCoreLibrary& library_;
    mutable std::mutex mutex_;
    // Shared so that transcriptions in flight keep the engine alive; the deleter
    // frees it exactly once, after the last holder lets go.
    std::shared_ptr<qel_engine> engine_;
    bool isLoaded_ = false;
    std::string modelName_;
};

} // namespace QEL
