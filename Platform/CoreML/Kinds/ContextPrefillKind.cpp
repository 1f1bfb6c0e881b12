#include "Platform/CoreML/Kinds/ContextPrefillKind.h"

#include "Platform/CoreML/Folder/CheckedJSON.h"
#include "Platform/CoreML/Folder/ModelFolder.h"
#include "Platform/CoreML/Kinds/KindFeatures.h"
#include "Platform/CoreML/MLModelError.h"
#include "Platform/ML/Tensor/HalfFloat.h"

#include <cstring>

namespace Platform::CoreML {

using namespace KindFeatures;

namespace {

const WeightTensor& requiredTable(const ModelFolder& folder, const std::string& name)
{
    const auto* table = folder.weight(name);
    if (!table || table->dataType != MLMultiArrayDataType::float16 || table->shape.size() != 4)
        throw MLModelError("the weight '" + name + "' must be a float16 table [tasks, languages, channels, positions]");
    return *table;
}

} // namespace

std::unique_ptr<ModelComputation> ContextPrefillKind::make(std::shared_ptr<const ModelFolder> folder)
{
    const auto& inputs = folder->description().inputDescriptionsByName;
    const auto& outputs = folder->description().outputDescriptionsByName;
    std::unique_ptr<ContextPrefillKind> kind(new ContextPrefillKind);
    requiredIntegers(inputs, "task", "input", {1});
    requiredIntegers(inputs, "language", "input", {1});
    kind->keys_ = &requiredTable(*folder, "key_cache_prefill");
    kind->values_ = &requiredTable(*folder, "value_cache_prefill");
    const auto& shape = kind->keys_->shape;
    if (kind->values_->shape != shape)
        throw MLModelError("the weights 'key_cache_prefill' and 'value_cache_prefill' differ in shape");
    kind->tasks_ = shape[0];
    kind->languages_ = shape[1];
    if (kind->tasks_ < 1 || kind->tasks_ > 2 || kind->languages_ < 1)
        throw MLModelError("the prefill tables hold " + std::to_string(kind->tasks_) + " tasks and "
                           + std::to_string(kind->languages_) + " languages");
    if (kind->languages_ > 1 || kind->tasks_ > 1)
        kind->firstLanguageToken_ = CheckedJSON::integer(
            CheckedJSON::member(folder->hyperParameters(), "firstLanguageToken", {"hyperParameters"}),
            {"hyperParameters", "firstLanguageToken"}, 0, std::int64_t{1} << 30);
    kind->keyOutput_ = requiredFloats(outputs, "key_cache_prefill", "output", {1, shape[2], 1, shape[3]});
    kind->valueOutput_ = requiredFloats(outputs, "value_cache_prefill", "output", {1, shape[2], 1, shape[3]});
    refuseOtherOutputs(outputs, {"key_cache_prefill", "value_cache_prefill"}, "a context prefill");
    kind->folder_ = std::move(folder);
    return kind;
}

MLMultiArray ContextPrefillKind::entry(const WeightTensor& table, const MLMultiArrayConstraint& output,
                                       std::int64_t index) const
{
    MLMultiArray array(output.shape, output.dataType);
    const auto count = static_cast<std::size_t>(array.count());
    const std::byte* source = table.bytes.data() + 2 * count * static_cast<std::size_t>(index);
    if (output.dataType == MLMultiArrayDataType::float16)
        std::memcpy(array.mutableBytes(), source, 2 * count);
    else
        Platform::ML::widenHalfFloats(source, count, array.mutableValues<float>().data());
    return array;
}

std::map<std::string, MLFeatureValue> ContextPrefillKind::predict(const MLFeatureProvider& inputs) const
{
    std::int64_t index = 0;
    if (languages_ > 1 || tasks_ > 1) {
        const std::int64_t task = firstInteger(inputs, "task");
        const std::int64_t language = firstInteger(inputs, "language") - firstLanguageToken_;
        if (task < 0 || task >= tasks_)
            throw MLModelError("task holds " + std::to_string(task) + "; it must be 0 (transcribe)"
                               + (tasks_ > 1 ? " or 1 (translate)" : ""));
        if (language < 0 || language >= languages_)
            throw MLModelError("language holds " + std::to_string(language + firstLanguageToken_)
                               + ", not one of the model's language tokens");
        index = task * languages_ + language;
    }
    return {{"key_cache_prefill", MLFeatureValue(entry(*keys_, keyOutput_, index))},
            {"value_cache_prefill", MLFeatureValue(entry(*values_, valueOutput_, index))}};
}

} // namespace Platform::CoreML
