#include "RadozodEri/Core/FeatureRecords.h"

#include "Platform/CoreML/MLModelError.h"

namespace RadozodEri {

MLMultiArray OutputRecord::requiredArray(const std::string& name) const
{
    if (auto array = optionalArray(name))
        return *array;
    throw Platform::CoreML::MLModelError("The model's output '" + name + "' is missing or not an array");
}

std::optional<MLMultiArray> OutputRecord::optionalArray(const std::string& name) const
{
    const auto value = provider_->featureValue(name);
    return value ? value->multiArrayValue() : std::nullopt;
}

std::shared_ptr<const MLFeatureProvider> OutputRecord::providerOf(std::map<std::string, MLFeatureValue> features)
{
    return std::make_shared<Platform::CoreML::MLDictionaryFeatureProvider>(std::move(features));
}

} // namespace RadozodEri
