#include "RadozodEri/Core/TranscribeTaskSupport.h"

#include "RadozodEri/Core/ModelPrediction.h"
#include "RuntimeCore/Logging/Logging.h"

namespace RadozodEri::TranscribeTaskSupport {

const Platform::Signposter& signposter()
{
    static const Platform::Signposter instance(Platform::Logger(engineSubsystem, "TranscribeTask"));
    return instance;
}

SignpostScope::SignpostScope(std::string_view name)
    : name_(name), interval_(RuntimeCore::Logging::beginSignpost(name, signposter()))
{
}

SignpostScope::~SignpostScope()
{
    RuntimeCore::Logging::endSignpost(name_, interval_, signposter());
}

double secondsSince(Platform::Date start)
{
    return Platform::Date::now().secondsSinceReferenceDate - start.secondsSinceReferenceDate;
}

std::string promptTokenTexts(const std::vector<int>& prompt, const WhisperTokenizer& tokenizer)
{
    std::string text = "[";
    for (std::size_t i = 0; i < prompt.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += "\"" + tokenizer.convertIdToToken(prompt[i]).value_or("") + "\"";
    }
    return text + "]";
}

} // namespace RadozodEri::TranscribeTaskSupport
