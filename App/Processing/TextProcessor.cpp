#include "App/Processing/TextProcessor.h"

namespace QEL {

TextProcessor::TextProcessor(std::optional<FillerRemover> fillerRemover, std::optional<CommandDetector> commandDetector,
                             SmartFormatter smartFormatter, ContextDetection detectContext)
    : fillerRemover_(std::move(fillerRemover)), commandDetector_(std::move(commandDetector)),
      smartFormatter_(std::move(smartFormatter)), detectContext_(std::move(detectContext))
{
}

ProcessedResult TextProcessor::process(const QELTranscriptionResult& result) const
{
    ProcessedResult processed{
        .text = result.text,
        .originalText = result.text,
        .isPartial = result.isPartial,
        .detectedCommand = std::nullopt,
        .language = result.language,
        .processingTime = result.processingTime,
    };
    if (commandDetector_) {
        processed.detectedCommand = commandDetector_->detect(result.text);
        if (processed.detectedCommand)
            return processed;
    }
    std::string text = fillerRemover_ ? fillerRemover_->removeFillers(result.text) : result.text;
    const AppContext context = detectContext_ ? detectContext_() : AppContext(AppContext::general);
    processed.text = smartFormatter_.format(text, context);
    return processed;
}

} // namespace QEL
