#include "Platform/CoreML/Kinds/ShapeOnly.h"

#include "Platform/CoreML/Folder/ModelFolder.h"
#include "Platform/CoreML/Kinds/KindFeatures.h"

namespace Platform::CoreML {

std::unique_ptr<ModelComputation> ShapeOnly::make(std::shared_ptr<const ModelFolder> folder)
{
    return std::unique_ptr<ModelComputation>(new ShapeOnly(folder->description().outputDescriptionsByName));
}

std::map<std::string, MLFeatureValue> ShapeOnly::predict(const MLFeatureProvider&) const
{
    return KindFeatures::zeroValues(outputs_);
}

} // namespace Platform::CoreML
