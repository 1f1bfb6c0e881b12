#pragma once

#include "App/Processing/AppContext.h"
#include "App/Processing/CommandDetector.h"
#include "App/Processing/FillerRemover.h"
#include "App/Processing/SmartFormatter.h"
#include "App/Processing/VoiceCommand.h"
#include "App/STT/STTEngine.h"

#include <functional>
#include <optional>
#include <string>

namespace QEL {

// The text processor's answer for one engine result.
struct ProcessedResult {
    std::string text;         // the cleaned text; the input unchanged when a command was detected
    std::string originalText; // the input text unchanged
    bool isPartial = false;
    std::optional<VoiceCommand> detectedCommand;
    std::optional<std::string> language;
    double processingTime = 0; // seconds

    bool operator==(const ProcessedResult&) const = default;
};

// Turns the text of one engine result into a voice command to execute or a
// cleaned-up text to insert. Immutable after construction, so one processor
// serves overlapping transcriptions.
class TextProcessor {
public:
    using ContextDetection = std::function<AppContext()>;

    // A filler remover and a command detector are present exactly when their
    // settings were on when the engine loaded. `detectContext` tells which kind
    // of application is in front.
    TextProcessor(std::optional<FillerRemover> fillerRemover, std::optional<CommandDetector> commandDetector,
                  SmartFormatter smartFormatter, ContextDetection detectContext = &AppContext::detect);

    // Never fails: a stage that cannot do its work leaves the text as it was.
    ProcessedResult process(const QELTranscriptionResult& result) const;

    const std::optional<FillerRemover>& fillerRemover() const { return fillerRemover_; }
    // Executes the commands that `process` detects.
    const std::optional<CommandDetector>& commandDetector() const { return commandDetector_; }
    const SmartFormatter& smartFormatter() const { return smartFormatter_; }

private:
    std::optional<FillerRemover> fillerRemover_;
    std::optional<CommandDetector> commandDetector_;
    SmartFormatter smartFormatter_;
    ContextDetection detectContext_;
};

} // namespace QEL
