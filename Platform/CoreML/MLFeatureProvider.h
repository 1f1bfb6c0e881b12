#pragma once

#include "Platform/CoreML/MLFeatureValue.h"

#include <map>
#include <optional>
#include <set>
#include <string>

namespace Platform::CoreML {

// A set of named values: a model's inputs, or the outputs of a prediction.
class MLFeatureProvider {
public:
    virtual ~MLFeatureProvider() = default;
    virtual std::set<std::string> featureNames() const = 0;
    // Nothing for a name the provider does not have.
    virtual std::optional<MLFeatureValue> featureValue(const std::string& featureName) const = 0;
};

// A provider over a dictionary of values.
class MLDictionaryFeatureProvider : public MLFeatureProvider {
public:
    explicit MLDictionaryFeatureProvider(std::map<std::string, MLFeatureValue> dictionary)
        : dictionary_(std::move(dictionary))
    {
    }

    std::set<std::string> featureNames() const override
    {
        std::set<std::string> names;
        for (const auto& entry : dictionary_)
            names.insert(entry.first);
        return names;
    }

    std::optional<MLFeatureValue> featureValue(const std::string& featureName) const override
    {
        const auto found = dictionary_.find(featureName);
        if (found == dictionary_.end())
            return std::nullopt;
        return found->second;
    }

    const std::map<std::string, MLFeatureValue>& dictionary() const { return dictionary_; }

private:
    std::map<std::string, MLFeatureValue> dictionary_;
};

} // namespace Platform::CoreML
