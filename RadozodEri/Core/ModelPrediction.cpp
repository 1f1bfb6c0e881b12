#include "RadozodEri/Core/ModelPrediction.h"

#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Cancellation.h"
#include "RuntimeCore/Logging/Logging.h"
#include "RuntimeCore/Models/ModelHelpers.h"

namespace RadozodEri {

std::shared_ptr<const Platform::CoreML::MLFeatureProvider>
signpostedPrediction(const Platform::CoreML::MLModel& model, const Platform::CoreML::MLFeatureProvider& input,
                     std::string_view intervalName, const Platform::Signposter& signposter, const std::stop_token& stop)
{
    RuntimeCore::checkCancellation(stop);
    auto interval = RuntimeCore::Logging::beginSignpost(intervalName, signposter);
    try {
        auto outputs = RuntimeCore::asyncPrediction(model, input, {});
        RuntimeCore::Logging::endSignpost(intervalName, interval, signposter);
        return outputs;
    } catch (...) {
        RuntimeCore::Logging::endSignpost(intervalName, interval, signposter);
        throw;
    }
}

Platform::CoreML::MLMultiArray requiredOutput(const Platform::CoreML::MLFeatureProvider& outputs,
                                              const std::string& name)
{
    if (const auto value = outputs.featureValue(name))
        if (auto array = value->multiArrayValue())
            return *std::move(array);
    throw WhisperError::modelsUnavailable("Model output \"" + name + "\" is missing or not an array");
}

} // namespace RadozodEri
