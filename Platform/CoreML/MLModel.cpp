#include "Platform/CoreML/MLModel.h"

#include "Platform/CoreML/Folder/CheckedJSON.h"
#include "Platform/CoreML/Folder/ModelFolder.h"
#include "Platform/CoreML/Kinds/ModelKinds.h"
#include "Platform/CoreML/MLModelError.h"
#include "Platform/ML/Ops/ComputeThreads.h"

#include <exception>

namespace Platform::CoreML {
namespace {

bool accepts(MLMultiArrayDataType declared, MLMultiArrayDataType given)
{
    const auto isHalfOrSingle = [](MLMultiArrayDataType type) {
        return type == MLMultiArrayDataType::float16 || type == MLMultiArrayDataType::float32;
    };
    return declared == given || (isHalfOrSingle(declared) && isHalfOrSingle(given));
}

void checkInput(const MLFeatureDescription& declared, const MLFeatureProvider& input)
{
    const std::string name = "Input '" + declared.name + "'";
    const auto value = input.featureValue(declared.name);
    if (!value)
        throw MLModelError(name + " is required but was not given");
    if (value->type() != declared.type)
        throw MLModelError(name + " is " + std::string(featureTypeNames.name(value->type())) + ", expected "
                           + std::string(featureTypeNames.name(declared.type)));
    const auto& constraint = declared.multiArrayConstraint;
    if (!constraint)
        return;
    const MLMultiArray array = *value->multiArrayValue();
    if (!accepts(constraint->dataType, array.dataType()))
        throw MLModelError(name + " holds " + std::string(multiArrayDataTypeNames.name(array.dataType()))
                           + ", expected " + std::string(multiArrayDataTypeNames.name(constraint->dataType)));
    if (array.shape() != constraint->shape)
        throw MLModelError(name + " has shape " + shapeText(array.shape()) + ", expected "
                           + shapeText(constraint->shape));
}

} // namespace

MLModel::MLModel(std::shared_ptr<const ModelFolder> folder, std::unique_ptr<ModelComputation> computation,
                 const MLModelConfiguration& configuration)
    : folder_(std::move(folder)), computation_(std::move(computation)), configuration_(configuration)
{
}

MLModel::~MLModel() = default;

std::shared_ptr<const MLModel> MLModel::load(const std::filesystem::path& path,
                                             const MLModelConfiguration& configuration)
{
    try {
        auto folder = std::make_shared<const ModelFolder>(path);
        const ModelKindConstructor construct = modelKindConstructor(folder->kind());
        if (!construct)
            throw MLModelError("its kind '" + folder->kind() + "' is not one this runtime computes ("
                               + knownModelKinds() + ")");
        auto computation = construct(folder);
        return std::shared_ptr<const MLModel>(new MLModel(std::move(folder), std::move(computation), configuration));
    } catch (const MLModelError& failure) {
        std::throw_with_nested(MLModelError("Cannot load the model at " + path.string() + ": " + failure.what()));
    } catch (const JSON::DecodingError& failure) {
        // The kinds' reading of their hyper-parameters.
        std::throw_with_nested(
            MLModelError("Cannot load the model at " + path.string() + ": " + CheckedJSON::modelErrorText(failure)));
    }
}

const MLModelDescription& MLModel::modelDescription() const { return folder_->description(); }

std::shared_ptr<const MLFeatureProvider> MLModel::prediction(const MLFeatureProvider& input,
                                                             const MLPredictionOptions&) const
{
    for (const auto& entry : folder_->description().inputDescriptionsByName)
        checkInput(entry.second, input);
    // Predictions running at once share the processor rather than each taking all of it.
    const Platform::ML::ComputeThreadShare share;
    return std::make_shared<MLDictionaryFeatureProvider>(computation_->predict(input));
}

} // namespace Platform::CoreML
