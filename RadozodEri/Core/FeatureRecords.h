#pragma once

#include "Platform/CoreML/MLFeatureProvider.h"
#include "Platform/CoreML/MLShapedArray.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>

// What the models' input and output records share.
namespace RadozodEri {

using Platform::CoreML::Float16;
using Platform::CoreML::MLFeatureProvider;
using Platform::CoreML::MLFeatureValue;
using Platform::CoreML::MLMultiArray;
using Platform::CoreML::MLShapedArray;

// One feature of an input record and the member that holds its array.
template <class Record>
struct RecordFeature {
    const char* name;
    MLMultiArray Record::*array;
};

// An input record: its features are the arrays it holds, named by the
// record's table `Record::features()`. A value is the very array the record
// holds; any other name has none (names compare exactly).
template <class Record>
class InputRecord : public MLFeatureProvider {
public:
    std::set<std::string> featureNames() const override
    {
        std::set<std::string> names;
        for (const auto& feature : Record::features())
            names.insert(feature.name);
        return names;
    }

    std::optional<MLFeatureValue> featureValue(const std::string& name) const override
    {
        for (const auto& feature : Record::features())
            if (name == feature.name)
                return MLFeatureValue(static_cast<const Record&>(*this).*feature.array);
        return std::nullopt;
    }
};

// An output record: typed access to the features of a prediction's result,
// read from the result on every call.
class OutputRecord : public MLFeatureProvider {
public:
    explicit OutputRecord(std::shared_ptr<const MLFeatureProvider> provider) : provider_(std::move(provider)) {}

    std::set<std::string> featureNames() const override { return provider_->featureNames(); }
    std::optional<MLFeatureValue> featureValue(const std::string& name) const override
    {
        return provider_->featureValue(name);
    }

protected:
    // A feature every model of the kind has; a model without it does not match
    // its record, which is reported as a model error.
    MLMultiArray requiredArray(const std::string& name) const;
    std::optional<MLMultiArray> optionalArray(const std::string& name) const;

    // A provider of the given arrays under their names.
    static std::shared_ptr<const MLFeatureProvider> providerOf(std::map<std::string, MLFeatureValue> features);

private:
    std::shared_ptr<const MLFeatureProvider> provider_;
};

} // namespace RadozodEri
