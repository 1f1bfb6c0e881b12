#pragma once

#include "Platform/JSON/JSONCoding.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace RadozodEri {

// Which models a family of devices runs, and which one it should use.
struct ModelSupport {
    // The recommended model. Stored files call it "default", a C++ keyword.
    std::string defaultModel {};
    std::vector<std::string> supported {};
    // Known models the family must not use: computed by the table, never
    // stored, in no defined order.
    std::vector<std::string> disabled {};

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static ModelSupport fromJSON(const rapidjson::Value& json);

    bool operator==(const ModelSupport&) const = default;
};

// One row of a model-support table: a family of devices.
struct DeviceSupport {
    // Human-readable chip names, as "A16, A17 Pro, A18".
    std::optional<std::string> chips {};
    // Prefixes of the device model identifiers of the family.
    std::vector<std::string> identifiers {};
    ModelSupport models {};

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static DeviceSupport fromJSON(const rapidjson::Value& json);

    bool operator==(const DeviceSupport&) const = default;
};

// A model repository's table of device families. A table read from the
// repository's file is merged with the built-in table when it belongs to the
// same repository, so devices the file leaves out keep their built-in row.
class ModelSupportConfig {
public:
    ModelSupportConfig(std::string repoName, std::string repoVersion, std::vector<DeviceSupport> deviceSupports,
                       bool includeFallback = true);

    const std::string& repoName() const { return repoName_; }
    const std::string& repoVersion() const { return repoVersion_; }
    const std::vector<DeviceSupport>& deviceSupports() const { return deviceSupports_; }
    // Every model any row supports, once each, in order of first appearance.
    const std::vector<std::string>& knownModels() const { return knownModels_; }
    // The row of a device no row matches.
    const DeviceSupport& defaultSupport() const { return defaultSupport_; }

    // The models of the row whose identifier is the longest prefix of
    // `deviceIdentifier` (the earlier row among equals), or those of the
    // default row.
    ModelSupport modelSupport(std::string_view deviceIdentifier) const;

    // Writes the rows as they stand after any merge.
    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    // Reading merges with the built-in table.
    static ModelSupportConfig fromJSON(const rapidjson::Value& json);

private:
    void computeDisabledModels();

    std::string repoName_;
    std::string repoVersion_;
    std::vector<DeviceSupport> deviceSupports_;
    std::vector<std::string> knownModels_;
    DeviceSupport defaultSupport_;
};

// The remote rows first, each extended by the supported models of the first
// built-in row that shares an identifier with it; then the built-in rows that
// share no identifier with any remote row.
std::vector<DeviceSupport> mergeDeviceSupport(const std::vector<DeviceSupport>& remote,
                                              const std::vector<DeviceSupport>& fallback);

} // namespace RadozodEri
