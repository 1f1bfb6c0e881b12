#pragma once

#include "Platform/CoreML/Kinds/ModelComputation.h"
#include "Platform/CoreML/MLModelDescription.h"

#include <cstdint>
#include <memory>

namespace Platform::CoreML {

class ModelFolder;
struct WeightTensor;

// The key-value cache of a text decoder's start sequence, looked up rather
// than decoded: the converter decoded every start sequence once, against
// silence. Weights "key_cache_prefill" and "value_cache_prefill", float16
// [tasks, languages, E, n]: task 0 transcribes and 1 translates, language i is
// the token firstLanguageToken + i (a hyper-parameter). A model with one task
// and one language (English only, n = 1) answers the same to every input.
// Inputs "task" [1] (0 or 1) and "language" [1] (a language token); outputs
// "key_cache_prefill" and "value_cache_prefill" [1, E, 1, n].
class ContextPrefillKind : public ModelComputation {
public:
    static std::unique_ptr<ModelComputation> make(std::shared_ptr<const ModelFolder> folder);

    std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs) const override;

private:
    ContextPrefillKind() = default;
    MLMultiArray entry(const WeightTensor& table, const MLMultiArrayConstraint& output, std::int64_t index) const;

    std::shared_ptr<const ModelFolder> folder_;
    const WeightTensor* keys_ = nullptr;
    const WeightTensor* values_ = nullptr;
    std::int64_t tasks_ = 0;
    std::int64_t languages_ = 0;
    std::int64_t firstLanguageToken_ = 0;
    MLMultiArrayConstraint keyOutput_;
    MLMultiArrayConstraint valueOutput_;
};

} // namespace Platform::CoreML
