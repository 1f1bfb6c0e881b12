#pragma once

#include "Platform/CoreML/MLModel.h"
#include "Platform/Log/Signposter.h"

#include <memory>
#include <stop_token>
#include <string>
#include <string_view>

// How the engine's model stages run one prediction and read its results.
namespace RadozodEri {

// The engine's log and signpost subsystem.
inline constexpr const char* engineSubsystem = "com.tolvek.radozoderi";

// One prediction inside a signpost interval named `intervalName`; the
// interval ends whether the prediction succeeds or throws, and its errors
// pass through. A stop requested before the interval opens throws
// RuntimeCore::CancellationError.
std::shared_ptr<const Platform::CoreML::MLFeatureProvider>
signpostedPrediction(const Platform::CoreML::MLModel& model, const Platform::CoreML::MLFeatureProvider& input,
                     std::string_view intervalName, const Platform::Signposter& signposter,
                     const std::stop_token& stop);

// The array a prediction gave under `name`. WhisperError modelsUnavailable
// naming the feature when the model gave no array of that name: such a model
// does not fit the stage.
Platform::CoreML::MLMultiArray requiredOutput(const Platform::CoreML::MLFeatureProvider& outputs,
                                              const std::string& name);

} // namespace RadozodEri
