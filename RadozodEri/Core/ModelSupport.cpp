#include "RadozodEri/Core/ModelSupport.h"

#include "RadozodEri/Core/Constants.h"
#include "RuntimeCore/Extensions/FoundationExtensions.h"
#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>
#include <unordered_set>

namespace RadozodEri {

using namespace Platform::JSON;

namespace {

bool sharesIdentifier(const DeviceSupport& row, const std::unordered_set<std::string>& identifiers)
{
    return std::any_of(row.identifiers.begin(), row.identifiers.end(),
                       [&](const std::string& identifier) { return identifiers.contains(identifier); });
}

// ["a", "b"]
std::string quotedList(const std::vector<std::string>& texts)
{
    std::string list = "[";
    for (std::size_t index = 0; index < texts.size(); ++index)
        list += (index ? ", \"" : "\"") + texts[index] + "\"";
    return list + "]";
}

} // namespace

std::vector<DeviceSupport> mergeDeviceSupport(const std::vector<DeviceSupport>& remote,
                                              const std::vector<DeviceSupport>& fallback)
{
    std::unordered_set<std::string> remoteIdentifiers;
    for (const DeviceSupport& row : remote)
        remoteIdentifiers.insert(row.identifiers.begin(), row.identifiers.end());

    std::vector<DeviceSupport> merged;
    for (const DeviceSupport& row : remote) {
        const std::unordered_set<std::string> identifiers(row.identifiers.begin(), row.identifiers.end());
        auto partner = std::find_if(fallback.begin(), fallback.end(),
                                    [&](const DeviceSupport& candidate) { return sharesIdentifier(candidate, identifiers); });
        if (partner == fallback.end()) {
            merged.push_back(row);
            continue;
        }
        std::vector<std::string> supported = row.models.supported;
        supported.insert(supported.end(), partner->models.supported.begin(), partner->models.supported.end());
        merged.push_back(DeviceSupport {
            .chips = row.chips,
            .identifiers = row.identifiers,
            .models = {.defaultModel = row.models.defaultModel, .supported = RuntimeCore::orderedSet(supported)},
        });
    }
    for (const DeviceSupport& row : fallback)
        if (!sharesIdentifier(row, remoteIdentifiers))
            merged.push_back(row);
    return merged;
}

ModelSupportConfig::ModelSupportConfig(std::string repoName, std::string repoVersion,
                                       std::vector<DeviceSupport> deviceSupports, bool includeFallback)
    : repoName_(std::move(repoName)), repoVersion_(std::move(repoVersion)), deviceSupports_(std::move(deviceSupports))
{
    if (includeFallback) {
        const ModelSupportConfig fallback = Constants::fallbackModelSupportConfig();
        // A plain substring test: the built-in table also serves a file whose
        // name is any part of the built-in repository's name.
        if (fallback.repoName().find(repoName_) != std::string::npos)
            deviceSupports_ = mergeDeviceSupport(deviceSupports_, fallback.deviceSupports());
    }

    std::vector<std::string> allSupported;
    for (const DeviceSupport& row : deviceSupports_)
        allSupported.insert(allSupported.end(), row.models.supported.begin(), row.models.supported.end());
    knownModels_ = RuntimeCore::orderedSet(allSupported);
    defaultSupport_ = DeviceSupport {.models = {.defaultModel = "openai_whisper-base", .supported = knownModels_}};
    computeDisabledModels();
}

void ModelSupportConfig::computeDisabledModels()
{
    for (DeviceSupport& row : deviceSupports_) {
        const std::unordered_set<std::string> supported(row.models.supported.begin(), row.models.supported.end());
        row.models.disabled.clear();
        for (const std::string& model : knownModels_)
            if (!supported.contains(model))
                row.models.disabled.push_back(model);
    }
}

ModelSupport ModelSupportConfig::modelSupport(std::string_view deviceIdentifier) const
{
    const DeviceSupport* match = nullptr;
    std::size_t matchLength = 0;
    for (const DeviceSupport& row : deviceSupports_)
        for (const std::string& identifier : row.identifiers)
            if (deviceIdentifier.starts_with(identifier) && (!match || identifier.size() > matchLength)) {
                match = &row;
                matchLength = identifier.size();
            }

    if (!match) {
        RuntimeCore::Logging::info("No device support found for " + std::string(deviceIdentifier) + ", using default");
        return defaultSupport_.models;
    }
    RuntimeCore::Logging::debug("Matched " + std::string(deviceIdentifier) + " to devices: "
                                + quotedList(match->identifiers));
    return match->models;
}

rapidjson::Value ModelSupport::toJSON(Allocator& allocator) const
{
    rapidjson::Value json(rapidjson::kObjectType);
    encodeMember(json, "default", defaultModel, allocator);
    encodeMember(json, "supported", supported, allocator);
    return json;
}

ModelSupport ModelSupport::fromJSON(const rapidjson::Value& json)
{
    return ModelSupport {
        .defaultModel = decodeMember<std::string>(json, "default"),
        .supported = decodeMember<std::vector<std::string>>(json, "supported"),
    };
}

rapidjson::Value DeviceSupport::toJSON(Allocator& allocator) const
{
    rapidjson::Value json(rapidjson::kObjectType);
    encodeOptionalMember(json, "chips", chips, allocator);
    encodeMember(json, "identifiers", identifiers, allocator);
    encodeMember(json, "models", models, allocator);
    return json;
}

DeviceSupport DeviceSupport::fromJSON(const rapidjson::Value& json)
{
    return DeviceSupport {
        .chips = decodeOptionalMember<std::string>(json, "chips"),
        .identifiers = decodeMember<std::vector<std::string>>(json, "identifiers"),
        .models = decodeMember<ModelSupport>(json, "models"),
    };
}

rapidjson::Value ModelSupportConfig::toJSON(Allocator& allocator) const
{
    rapidjson::Value json(rapidjson::kObjectType);
    encodeMember(json, "name", repoName_, allocator);
    encodeMember(json, "version", repoVersion_, allocator);
    encodeMember(json, "device_support", deviceSupports_, allocator);
    return json;
}

ModelSupportConfig ModelSupportConfig::fromJSON(const rapidjson::Value& json)
{
    return ModelSupportConfig(decodeMember<std::string>(json, "name"), decodeMember<std::string>(json, "version"),
                              decodeMember<std::vector<DeviceSupport>>(json, "device_support"));
}

} // namespace RadozodEri
