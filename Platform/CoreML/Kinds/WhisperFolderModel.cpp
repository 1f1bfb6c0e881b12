#include "Platform/CoreML/Kinds/WhisperFolderModel.h"

#include "Platform/CoreML/Folder/CheckedJSON.h"
#include "Platform/CoreML/Folder/ModelFolder.h"
#include "Platform/CoreML/MLModelError.h"
#include "Platform/ML/Whisper/WhisperTensors.h"

#include <array>

namespace Platform::CoreML {

using Platform::ML::WhisperHyperParameters;
using Platform::ML::WhisperModel;

namespace {

// Each hyper-parameter's key and the range a usable model keeps it in.
struct HyperParameter {
    const char* key;
    std::int32_t WhisperHyperParameters::*field;
    std::int32_t minimum;
    std::int32_t maximum;
};

constexpr std::array kHyperParameters{
    HyperParameter{"nVocab", &WhisperHyperParameters::nVocab, 1, 1 << 20},
    HyperParameter{"nAudioCtx", &WhisperHyperParameters::nAudioCtx, 1, 1500},
    HyperParameter{"nAudioState", &WhisperHyperParameters::nAudioState, 1, 8192},
    HyperParameter{"nAudioHead", &WhisperHyperParameters::nAudioHead, 1, 8192},
    HyperParameter{"nAudioLayer", &WhisperHyperParameters::nAudioLayer, 1, 128},
    HyperParameter{"nTextCtx", &WhisperHyperParameters::nTextCtx, 1, 8192},
    HyperParameter{"nTextState", &WhisperHyperParameters::nTextState, 1, 8192},
    HyperParameter{"nTextHead", &WhisperHyperParameters::nTextHead, 1, 8192},
    HyperParameter{"nTextLayer", &WhisperHyperParameters::nTextLayer, 1, 128},
    HyperParameter{"nMels", &WhisperHyperParameters::nMels, 1, 512},
};

void bind(const Platform::ML::WhisperTensor& tensor, const WeightTensor* weight)
{
    const std::string name = "the weight '" + tensor.name + "'";
    if (!weight)
        throw MLModelError(name + " is missing");
    if (weight->shape != tensor.shape)
        throw MLModelError(name + " has shape " + shapeText(weight->shape) + ", expected " + shapeText(tensor.shape));
    const auto rows = static_cast<int>(tensor.rows()), columns = static_cast<int>(tensor.columns());
    if (tensor.vector && weight->dataType == MLMultiArrayDataType::float32)
        *tensor.vector = weight->values<float>().data();
    else if (tensor.matrix && weight->dataType == MLMultiArrayDataType::float32)
        *tensor.matrix = Platform::ML::WeightMatrix::ofFloats(weight->values<float>().data(), rows, columns);
    else if (tensor.matrix && weight->dataType == MLMultiArrayDataType::float16)
        *tensor.matrix = Platform::ML::WeightMatrix::ofHalfFloats(weight->bytes.data(), rows, columns);
    else
        throw MLModelError(name + " is " + std::string(multiArrayDataTypeNames.name(weight->dataType)) + ", expected "
                           + (tensor.vector ? "float32" : "float16 or float32"));
}

} // namespace

void writeWhisperHyperParameters(const WhisperHyperParameters& hparams, rapidjson::Document& json)
{
    for (const auto& parameter : kHyperParameters)
        json.AddMember(rapidjson::StringRef(parameter.key), hparams.*parameter.field, json.GetAllocator());
}

WhisperHyperParameters readWhisperHyperParameters(const ModelFolder& folder)
{
    WhisperHyperParameters hparams;
    for (const auto& parameter : kHyperParameters) {
        const CheckedJSON::CodingPath where{"hyperParameters", parameter.key};
        hparams.*parameter.field = static_cast<std::int32_t>(
            CheckedJSON::integer(CheckedJSON::member(folder.hyperParameters(), parameter.key, {"hyperParameters"}),
                                 where, parameter.minimum, parameter.maximum));
    }
    if (hparams.nAudioState % hparams.nAudioHead != 0 || hparams.nTextState % hparams.nTextHead != 0)
        throw MLModelError("hyperParameters give a width that its head count does not divide");
    if (hparams.nAudioState != hparams.nTextState)
        throw MLModelError("hyperParameters give the encoder and the decoder different widths");
    return hparams;
}

WhisperModel whisperModelOfFolder(std::shared_ptr<const ModelFolder> folder, std::string_view stack)
{
    WhisperModel model;
    model.hparams = readWhisperHyperParameters(*folder);
    for (const auto& tensor : Platform::ML::whisperModelTensors(model))
        if (tensor.name.starts_with(stack))
            bind(tensor, folder->weight(tensor.name));
    model.storage = std::move(folder);
    return model;
}

} // namespace Platform::CoreML
